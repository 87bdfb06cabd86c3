#include "control/records/ErrorNumbers.h"
#include "control/records/RegistryAccess.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kSections = R"(
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

[Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved] 1
"{AAAAAAAA-0000-0000-0000-000000000001}"="Approved Thing"
)";

class RegistryAccess : public ::testing::Test {
protected:
    RegistryAccess()
        : prefix(kSections)
    {
        prefix.open();
    }

    RegKeyHandle openType(const QString& name)
    {
        RegKeyHandle key;
        EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, name, 0, KEY_ALL_ACCESS, key.out()), ERROR_SUCCESS);
        return key;
    }

    bool keyExists(const QString& path)
    {
        RegKeyHandle key;
        return RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, key.out()) == ERROR_SUCCESS;
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
}

TEST_F(RegistryAccess, EmptyNameReadsNothingEvenWhenTheParentHasADefault)
{
    RegKeyHandle txt = openType(QStringLiteral(".txt"));
    EXPECT_EQ(regGetDefault(txt.get(), QString()), QString());
}

TEST_F(RegistryAccess, FlagsAreTheFirstFourBytesWhateverTheType)
{
    struct Case {
        const char* key;
        std::uint32_t flags;
    } cases[] = {{"txtfile", 1}, {"dwordflags", 0x10004}, {"shortflags", 2}, {"longflags", 0}, {".txt", 0}, {"nokey", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(regGetFlags(HKEY_CLASSES_ROOT, QString::fromLatin1(c.key)), c.flags) << c.key;
}

TEST_F(RegistryAccess, TextLongerThanTheBufferCountsAsMissing)
{
    RegKeyHandle type = openType(QStringLiteral("txtfile"));
    EXPECT_EQ(regPutDefaultItem(type.get(), QString(259, u'i')), 0);
    EXPECT_EQ(regGetDefaultIcon(HKEY_CLASSES_ROOT, QStringLiteral("txtfile")).size(), 259);
    EXPECT_EQ(regPutDefaultItem(type.get(), QString(260, u'i')), 0);
    EXPECT_EQ(regGetDefaultIcon(HKEY_CLASSES_ROOT, QStringLiteral("txtfile")), QString());
}

TEST_F(RegistryAccess, TypeKeyWritersSetOrRemoveTheirParts)
{
    RegKeyHandle type = openType(QStringLiteral("txtfile"));
    EXPECT_EQ(regPutFlags(type.get(), 0x100000), 0);
    DWORD kind = 0;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueEx(type.get(), QStringLiteral("EditFlags"), nullptr, &kind, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(kind, REG_DWORD);
    EXPECT_EQ(regGetFlags(HKEY_CLASSES_ROOT, QStringLiteral("txtfile")), 0x100000u);
    EXPECT_EQ(regPutFlags(type.get(), 0), 0);
    EXPECT_EQ(RegQueryValueEx(type.get(), QStringLiteral("EditFlags"), nullptr, &kind, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(regPutFlags(type.get(), 0), 0); // nothing to remove is fine

    EXPECT_EQ(regPutQuickView(type.get(), true), 0);
    EXPECT_TRUE(regGetQuickView(HKEY_CLASSES_ROOT, QStringLiteral("txtfile")));
    EXPECT_EQ(regPutQuickView(type.get(), false), 0);
    EXPECT_FALSE(keyExists(QStringLiteral("txtfile\\QuickView")));

    EXPECT_EQ(regPutCLSID(type.get(), QString()), 0);
    EXPECT_FALSE(keyExists(QStringLiteral("txtfile\\CLSID")));
    EXPECT_EQ(regPutCLSID(type.get(), QString()), 0);

    // Clearing the icon removes DefaultIcon with anything below it.
    RegKeyHandle below;
    ASSERT_EQ(RegCreateKeyEx(type.get(), QStringLiteral("DefaultIcon\\stray"), 0, QString(), 0, KEY_ALL_ACCESS,
                             nullptr, below.out(), nullptr),
              ERROR_SUCCESS);
    below.close();
    EXPECT_EQ(regPutDefaultItem(type.get(), QString()), 0);
    EXPECT_FALSE(keyExists(QStringLiteral("txtfile\\DefaultIcon")));
    // The writers leave the type key open for the caller.
    EXPECT_EQ(RegQueryValueEx(type.get(), QString(), nullptr, &kind, nullptr, &size), ERROR_SUCCESS);
}

TEST_F(RegistryAccess, WritersReportTheirErrorNumbers)
{
    RegKeyHandle readOnly;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("dwordflags"), 0, KEY_READ, readOnly.out()), ERROR_SUCCESS);
    EXPECT_EQ(regPutDefaultItem(readOnly.get(), QStringLiteral("x.dll,1")), kErrCreateKey);
    EXPECT_EQ(regPutQuickView(readOnly.get(), true), kErrCreateKey);
    EXPECT_EQ(regPutFlags(readOnly.get(), 5), kErrSetValue);

    EXPECT_EQ(regPutContentType(HKEY_CLASSES_ROOT, QStringLiteral(".nokey"), QStringLiteral("a/b")), kErrOpenKey);
    EXPECT_EQ(regPutContentType(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo"), QString()), kErrSetValue);
    EXPECT_EQ(regPutInfoTip(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo"), QString()), 0);
    EXPECT_EQ(regPutInfoTip(HKEY_CLASSES_ROOT, QStringLiteral(".nokey"), QStringLiteral("tip")), 0);
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 1u); // only the test's own handle
}

TEST_F(RegistryAccess, ExtensionWritersSetAndDeleteTheirValues)
{
    EXPECT_EQ(regPutContentType(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo"), QStringLiteral("text/x-note")), 0);
    EXPECT_EQ(regPutInfoTip(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo"), QStringLiteral("A note")), 0);
    EXPECT_EQ(regGetContentType(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo")), QStringLiteral("text/x-note"));
    EXPECT_EQ(regGetInfoTip(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo")), QStringLiteral("A note"));
    EXPECT_EQ(regPutContentType(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo"), QString()), 0);
    EXPECT_EQ(regPutInfoTip(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo"), QString()), 0);
    EXPECT_EQ(regGetContentType(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo")), QString());
    EXPECT_EQ(regGetInfoTip(HKEY_CLASSES_ROOT, QStringLiteral(".noinfo")), QString());
}

TEST_F(RegistryAccess, ApprovalIsAValueOfTheApprovedList)
{
    const QString approved = QStringLiteral("{AAAAAAAA-0000-0000-0000-000000000001}");
    const QString other = QStringLiteral("{BBBBBBBB-0000-0000-0000-000000000002}");
    EXPECT_TRUE(regIsApproved(approved.toLower()));
    EXPECT_FALSE(regIsApproved(other));
    EXPECT_EQ(regSetApproved(other, true), 0);
    EXPECT_TRUE(regIsApproved(other));
    EXPECT_EQ(regSetApproved(approved, false), 0);
    EXPECT_FALSE(regIsApproved(approved));
    EXPECT_NE(regSetApproved(approved, false), 0); // nothing left to remove

    RegKeyHandle list;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, approvedListPath(), 0, KEY_READ, list.out()), ERROR_SUCCESS);
    QString text = QStringLiteral("not empty");
    ASSERT_TRUE(regReadText(list.get(), other, text));
    EXPECT_EQ(text, QString()); // approving writes empty text
}

TEST_F(RegistryAccess, WithoutTheApprovedListNothingIsApproved)
{
    ASSERT_EQ(RegDeleteTree(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Microsoft")), ERROR_SUCCESS);
    EXPECT_FALSE(regIsApproved(QStringLiteral("{AAAAAAAA-0000-0000-0000-000000000001}")));
    EXPECT_NE(regSetApproved(QStringLiteral("{AAAAAAAA-0000-0000-0000-000000000001}"), true), 0);
}

} // namespace
