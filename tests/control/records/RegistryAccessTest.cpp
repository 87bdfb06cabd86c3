#include "control/records/ErrorNumbers.h"
#include "control/records/RegistryAccess.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const QByteArray kAccessSections = R"(
[Software\\Classes\\.txt] 1
@="txtfile"
"Content Type"="text/plain"
[Software\\Classes\\.noinfo] 1
@="txtfile"
[Software\\Classes\\txtfile] 1
@="Text Document"
"EditFlags"=hex:01,00,00,00
[Software\\Classes\\txtfile\\CLSID] 1
@="{11111111-2222-3333-4444-555555555555}"
[Software\\Classes\\txtfile\\DefaultIcon] 1
@=str(2):"%SystemRoot%\\system32\\shell32.dll,1"
[Software\\Classes\\txtfile\\QuickView] 1
@=""
[Software\\Classes\\longflags] 1
"EditFlags"=hex:01,00,00,00,00,00,00,00
[Software\\Classes\\shortflags] 1
"EditFlags"=hex:02
[Software\\Classes\\dwordflags] 1
"EditFlags"=dword:00010004
[Software\\Classes\\textflags] 1
"EditFlags"="65538"
[Software\\Classes\\expandflags] 1
"EditFlags"=str(2):" 2 "
[Software\\Classes\\wordflags] 1
"EditFlags"="two"
[Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved] 1
"{AAAAAAAA-0000-0000-0000-000000000001}"="Approved Thing"
)";

const QString kApprovedClsid = QStringLiteral("{AAAAAAAA-0000-0000-0000-000000000001}");

class RegistryAccess : public ::testing::Test {
protected:
    RegistryAccess()
        : prefix(kAccessSections)
    {
        prefix.open();
    }

    static RegKeyHandle openKey(const QString& name, REGSAM access = KEY_ALL_ACCESS)
    {
        RegKeyHandle key;
        EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, name, 0, access, key.out()), ERROR_SUCCESS) << name.toStdString();
        return key;
    }

    TestPrefix prefix;
};

TEST_F(RegistryAccess, ReadersGiveTheValuesOrEmptyResults)
{
    EXPECT_EQ(regGetDefault(HKEY_CLASSES_ROOT, QStringLiteral(".txt")), QStringLiteral("txtfile"));
    EXPECT_EQ(regGetDefault(HKEY_CLASSES_ROOT, QStringLiteral(".missing")), QString());
    EXPECT_EQ(regGetCLSID(HKEY_CLASSES_ROOT, QStringLiteral("txtfile")), QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
    EXPECT_EQ(regGetCLSID(HKEY_CLASSES_ROOT, QStringLiteral(".txt")), QString());
    EXPECT_EQ(regGetDefaultIcon(HKEY_CLASSES_ROOT, QStringLiteral("TXTFILE")),
              QStringLiteral("%SystemRoot%\\system32\\shell32.dll,1"));
    EXPECT_EQ(regGetContentType(HKEY_CLASSES_ROOT, QStringLiteral(".txt")), QStringLiteral("text/plain"));
    EXPECT_EQ(regGetInfoTip(HKEY_CLASSES_ROOT, QStringLiteral(".txt")), QString());
    EXPECT_FALSE(regGetQuickView(HKEY_CLASSES_ROOT, QStringLiteral("txtfile"))); // default value is empty, not "*"
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);
    // An empty name reads nothing, even though the key it is asked of has a default value.
    EXPECT_EQ(regGetDefault(openKey(QStringLiteral(".txt")).get(), QString()), QString());
}

TEST_F(RegistryAccess, FlagsAreTheFirstFourBytesOrTheNumberOfATextAndOtherwiseUnreadable)
{
    using S = RegValueState;
    struct Case {
        const char* key;
        std::uint32_t flags;
        S state;
        DWORD type;
    } cases[] = {{"txtfile", 1, S::Read, REG_BINARY},         {"dwordflags", 0x10004, S::Read, REG_DWORD},
                 {"shortflags", 2, S::Read, REG_BINARY},      {"textflags", 0x10002, S::Read, REG_SZ},
                 {"expandflags", 2, S::Read, REG_EXPAND_SZ},  {"longflags", 0, S::Unreadable, REG_BINARY},
                 {"wordflags", 0, S::Unreadable, REG_SZ},     {".txt", 0, S::Absent, REG_NONE},
                 {"nokey", 0, S::Absent, REG_NONE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const RegFlagsRead read = regReadFlags(HKEY_CLASSES_ROOT, QString::fromLatin1(c.key));
        EXPECT_EQ(read.flags, c.flags);
        EXPECT_EQ(read.state, c.state);
        EXPECT_EQ(read.type, c.type);
        EXPECT_EQ(regGetFlags(HKEY_CLASSES_ROOT, QString::fromLatin1(c.key)), c.flags);
    }
}

TEST_F(RegistryAccess, TextValuesTellWhetherTheyWereThereAndTheirType)
{
    const RegTextRead icon = regReadTextValue(HKEY_CLASSES_ROOT, QStringLiteral("txtfile\\DefaultIcon"), QString());
    EXPECT_EQ(icon.state, RegValueState::Read);
    EXPECT_EQ(icon.type, REG_EXPAND_SZ);
    EXPECT_EQ(icon.text, QStringLiteral("%SystemRoot%\\system32\\shell32.dll,1"));
    for (const char* path : {".noinfo\\nokey", ".noinfo"}) {
        const RegTextRead missing = regReadTextValue(HKEY_CLASSES_ROOT, QString::fromLatin1(path), QStringLiteral("InfoTip"));
        EXPECT_EQ(missing.state, RegValueState::Absent) << path;
        EXPECT_EQ(missing.type, REG_NONE) << path;
    }
    RegKeyHandle type = openKey(QStringLiteral("txtfile"));
    ASSERT_EQ(regPutDefaultItem(type.get(), QString(260, u'i'), REG_EXPAND_SZ), 0);
    const RegTextRead tooLong = regReadTextValue(HKEY_CLASSES_ROOT, QStringLiteral("txtfile\\DefaultIcon"), QString());
    EXPECT_EQ(tooLong.state, RegValueState::Unreadable);
    EXPECT_EQ(tooLong.type, REG_EXPAND_SZ);
    EXPECT_EQ(tooLong.text, QString());
}

TEST_F(RegistryAccess, WritersKeepTheTypeTheyAreGiven)
{
    RegKeyHandle type = openKey(QStringLiteral("txtfile"));
    const struct {
        std::function<long()> write;
        const char* path;
        const char* value;
        DWORD type;
        const char* text; // as a text reader sees it
    } cases[] = {
        {[&] { return regPutFlags(type.get(), 0x10002, REG_SZ); }, "txtfile", "EditFlags", REG_SZ, "65538"},
        {[&] { return regPutFlags(type.get(), 7, REG_EXPAND_SZ); }, "txtfile", "EditFlags", REG_EXPAND_SZ, "7"},
        {[&] { return regPutFlags(type.get(), 0x32, REG_BINARY); }, "txtfile", "EditFlags", REG_BINARY, "2"},
        {[&] { return regPutFlags(type.get(), 0x32, REG_QWORD); }, "txtfile", "EditFlags", REG_DWORD, "2"},
        {[&] { return regPutCLSID(type.get(), QStringLiteral("{x}"), REG_EXPAND_SZ); }, "txtfile\\CLSID", "",
         REG_EXPAND_SZ, "{x}"},
        {[&] { return regPutQuickView(type.get(), true, REG_EXPAND_SZ); }, "txtfile\\QuickView", "", REG_EXPAND_SZ, "*"},
        {[&] { return regPutContentType(HKEY_CLASSES_ROOT, QStringLiteral(".txt"), QStringLiteral("a/b"), REG_EXPAND_SZ); },
         ".txt", "Content Type", REG_EXPAND_SZ, "a/b"},
        {[&] { return regPutInfoTip(HKEY_CLASSES_ROOT, QStringLiteral(".txt"), QStringLiteral("Tip"), REG_EXPAND_SZ); },
         ".txt", "InfoTip", REG_EXPAND_SZ, "Tip"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + c.text);
        ASSERT_EQ(c.write(), 0);
        EXPECT_EQ(probe::type(QString::fromLatin1(c.path), QString::fromLatin1(c.value)), c.type);
        EXPECT_EQ(probe::text(QString::fromLatin1(c.path), QString::fromLatin1(c.value)), QString::fromLatin1(c.text));
    }
    // A number read back through the reader is the number written, whatever its form.
    EXPECT_EQ(regGetFlags(HKEY_CLASSES_ROOT, QStringLiteral("txtfile")), 0x32u);
}

TEST_F(RegistryAccess, TextLongerThanTheBufferCountsAsMissing)
{
    RegKeyHandle type = openKey(QStringLiteral("txtfile"));
    EXPECT_EQ(regPutDefaultItem(type.get(), QString(259, u'i')), 0);
    EXPECT_EQ(regGetDefaultIcon(HKEY_CLASSES_ROOT, QStringLiteral("txtfile")).size(), 259);
    EXPECT_EQ(regPutDefaultItem(type.get(), QString(260, u'i')), 0);
    EXPECT_EQ(regGetDefaultIcon(HKEY_CLASSES_ROOT, QStringLiteral("txtfile")), QString());
}

// That cleared parts are removed is checked through FileTypeObject::WriteMe.
TEST_F(RegistryAccess, TypeKeyWritersSetOrRemoveTheirParts)
{
    RegKeyHandle type = openKey(QStringLiteral("txtfile"));
    EXPECT_EQ(regPutFlags(type.get(), 0x100000), 0);
    EXPECT_EQ(regGetFlags(HKEY_CLASSES_ROOT, QStringLiteral("txtfile")), 0x100000u);
    EXPECT_EQ(regPutQuickView(type.get(), true), 0);
    EXPECT_TRUE(regGetQuickView(HKEY_CLASSES_ROOT, QStringLiteral("txtfile")));
    for (int twice = 0; twice < 2; ++twice) { // nothing to remove is fine
        EXPECT_EQ(regPutFlags(type.get(), 0), 0);
        EXPECT_EQ(regPutCLSID(type.get(), QString()), 0);
        EXPECT_EQ(regPutQuickView(type.get(), false), 0);
    }

    // Clearing the icon removes DefaultIcon with anything below it.
    RegKeyHandle below;
    ASSERT_EQ(RegCreateKeyEx(type.get(), QStringLiteral("DefaultIcon\\stray"), 0, QString(), 0, KEY_ALL_ACCESS,
                             nullptr, below.out(), nullptr),
              ERROR_SUCCESS);
    below.close();
    EXPECT_EQ(regPutDefaultItem(type.get(), QString()), 0);
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile\\DefaultIcon")));
    // The writers leave the type key open for the caller.
    EXPECT_EQ(RegQueryValueEx(type.get(), QString(), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
}

TEST_F(RegistryAccess, WritersReportTheirErrorNumbers)
{
    RegKeyHandle readOnly = openKey(QStringLiteral("dwordflags"), KEY_READ);
    EXPECT_EQ(regPutDefaultItem(readOnly.get(), QStringLiteral("x.dll,1")), kErrCreateKey);
    EXPECT_EQ(regPutQuickView(readOnly.get(), true), kErrCreateKey);
    EXPECT_EQ(regPutFlags(readOnly.get(), 5), kErrSetValue);

    EXPECT_EQ(regPutContentType(HKEY_CLASSES_ROOT, QStringLiteral(".nokey"), QStringLiteral("a/b")), kErrOpenKey);
    EXPECT_EQ(regPutContentType(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo"), QString()), kErrSetValue);
    // An info tip never fails a write.
    EXPECT_EQ(regPutInfoTip(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo"), QString()), 0);
    EXPECT_EQ(regPutInfoTip(HKEY_CLASSES_ROOT, QStringLiteral(".nokey"), QStringLiteral("tip")), 0);
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 1u); // only the test's own handle
}

TEST_F(RegistryAccess, ApprovalIsAValueOfTheApprovedList)
{
    const QString other = QStringLiteral("{BBBBBBBB-0000-0000-0000-000000000002}");
    EXPECT_TRUE(regIsApproved(kApprovedClsid.toLower()));
    EXPECT_FALSE(regIsApproved(other));
    EXPECT_EQ(regSetApproved(other, true), 0);
    EXPECT_TRUE(regIsApproved(other));
    EXPECT_EQ(probe::text(approvedListPath(), other, HKEY_LOCAL_MACHINE), QString()); // approving writes empty text
    EXPECT_EQ(regSetApproved(kApprovedClsid, false), 0);
    EXPECT_FALSE(regIsApproved(kApprovedClsid));
    EXPECT_NE(regSetApproved(kApprovedClsid, false), 0); // nothing left to remove

    // Without the list nothing is approved, and nothing can be.
    ASSERT_EQ(RegDeleteTree(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Microsoft")), ERROR_SUCCESS);
    EXPECT_FALSE(regIsApproved(other));
    EXPECT_NE(regSetApproved(kApprovedClsid, true), 0);
}

} // namespace
