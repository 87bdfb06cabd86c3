#include "control/tools/ApprovedList.h"

#include "control/records/RegistryAccess.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/TestNames.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kList = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved"_s;
const QString kLongName = QString(300, u'n');

// An approved list in the order Wine keeps it: a default value, an entry whose class has a server,
// one whose class has none, one longer than the text buffer, a value that is no text, and one
// after all of them; the last class's server is longer than the text buffer.
const QByteArray kRegistry = R"(
[Software\\Classes\\CLSID\\{00000000-0000-0000-0000-00000000000A}\\InprocServer32] 1
@="C:\\windows\\system32\\first.dll"
[Software\\Classes\\CLSID\\{00000000-0000-0000-0000-00000000000B}] 1
@="Without a server"
[Software\\Classes\\CLSID\\{00000000-0000-0000-0000-00000000000C}\\InprocServer32] 1
@="C:\\windows\\system32\\long.dll"
[Software\\Classes\\CLSID\\{00000000-0000-0000-0000-00000000000E}\\InprocServer32] 1
@=")" + QByteArray(300, 'p') + R"("
[Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved] 1
@="not an entry"
"{00000000-0000-0000-0000-00000000000A}"="First"
"{00000000-0000-0000-0000-00000000000B}"=""
"{00000000-0000-0000-0000-00000000000C}"=")" + kLongName.toLatin1() + R"("
"{00000000-0000-0000-0000-00000000000D}"=dword:00000001
"{00000000-0000-0000-0000-00000000000E}"="Last"
)";

struct Row {
    const char* clsid;
    QString name;
    QString server;
};

TEST(ApprovedListTest, ListsEveryEntryInOrderWithItsServer)
{
    TestPrefix prefix(kRegistry);
    prefix.open();
    const Row expected[] = {
        {"{00000000-0000-0000-0000-00000000000A}", u"First"_s, u"C:\\windows\\system32\\first.dll"_s},
        {"{00000000-0000-0000-0000-00000000000B}", QString(), QString()},
        // A long name is cut to what the text buffer holds, and the walk goes on after it.
        {"{00000000-0000-0000-0000-00000000000C}", kLongName.left(259), u"C:\\windows\\system32\\long.dll"_s},
        // Data that is no text shows no name; a server longer than the buffer counts as missing.
        {"{00000000-0000-0000-0000-00000000000D}", QString(), QString()},
        {"{00000000-0000-0000-0000-00000000000E}", u"Last"_s, QString()},
    };
    const std::vector<ApprovedEntry> entries = ApprovedList::regEnumApproved();
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(expected[i].clsid);
        EXPECT_EQ(entries[i].CLSID, QLatin1String(expected[i].clsid));
        EXPECT_EQ(entries[i].Name, expected[i].name);
        EXPECT_EQ(entries[i].InprocServer32, expected[i].server);
    }
}

TEST(ApprovedListTest, PumpsBeforeEveryStepOfTheWalk)
{
    TestPrefix prefix(kRegistry);
    prefix.open();
    int pumped = 0;
    const auto entries = ApprovedList::regEnumApproved([&] { ++pumped; });
    // Six values and the step that finds the end.
    EXPECT_EQ(entries.size(), 5u);
    EXPECT_EQ(pumped, 7);
}

TEST(ApprovedListTest, AMissingListIsEmpty)
{
    TestPrefix prefix;
    prefix.open();
    int pumped = 0;
    EXPECT_TRUE(ApprovedList::regEnumApproved([&] { ++pumped; }).empty());
    EXPECT_EQ(pumped, 0);
}

// ---- changes

const QByteArray kSmallList = R"(
[Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved] 1
@="default"
"{00000000-0000-0000-0000-00000000000A}"="First"
)";

struct Change {
    const char* label;
    std::function<long()> run;
    long result;
    // What the list then holds on disk: the value named, and its text (none: gone).
    QString value;
    std::optional<QString> text;
};

class ApprovedListChange : public ::testing::TestWithParam<Change> {};

TEST_P(ApprovedListChange, IsSavedOnceAndReadBack)
{
    TestPrefix prefix(kSmallList);
    prefix.open();
    const Change& change = GetParam();
    EXPECT_EQ(change.run(), change.result);
    prefix.reopen();
    EXPECT_EQ(probe::text(kList, change.value, HKEY_LOCAL_MACHINE), change.text);
    if (change.text) {
        EXPECT_EQ(probe::type(kList, change.value, HKEY_LOCAL_MACHINE), REG_SZ);
    }
    // The key's default value is never an entry to remove.
    EXPECT_EQ(probe::text(kList, QString(), HKEY_LOCAL_MACHINE), u"default"_s);
}

const Change kChanges[] = {
    {"added", [] { return ApprovedList::Add(u"{00000000-0000-0000-0000-00000000000B}"_s, u"Second"_s); }, 0,
     u"{00000000-0000-0000-0000-00000000000B}"_s, u"Second"_s},
    {"added again with another name",
     [] { return ApprovedList::Add(u"{00000000-0000-0000-0000-00000000000a}"_s, u"Renamed"_s); }, 0,
     u"{00000000-0000-0000-0000-00000000000A}"_s, u"Renamed"_s},
    {"removed", [] { return ApprovedList::Remove(u"{00000000-0000-0000-0000-00000000000A}"_s); }, 0,
     u"{00000000-0000-0000-0000-00000000000A}"_s, std::nullopt},
    {"removed when not listed", [] { return ApprovedList::Remove(u"{00000000-0000-0000-0000-00000000000B}"_s); },
     ERROR_FILE_NOT_FOUND, u"{00000000-0000-0000-0000-00000000000A}"_s, u"First"_s},
    {"removed without a name", [] { return ApprovedList::Remove(QString()); }, ERROR_INVALID_PARAMETER,
     u"{00000000-0000-0000-0000-00000000000A}"_s, u"First"_s},
};

INSTANTIATE_TEST_SUITE_P(Changes, ApprovedListChange, ::testing::ValuesIn(kChanges),
                         [](const auto& change) { return testName(change.param.label); });

TEST(ApprovedListTest, AddingAgainKeepsOneValue)
{
    TestPrefix prefix(kSmallList);
    prefix.open();
    ASSERT_EQ(ApprovedList::Add(u"{00000000-0000-0000-0000-00000000000A}"_s, u"Renamed"_s), 0);
    const auto entries = ApprovedList::regEnumApproved();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.front().Name, u"Renamed"_s);
}

TEST(ApprovedListTest, WithoutTheListKeyAddFailsAndCreatesNothing)
{
    TestPrefix prefix;
    prefix.open();
    EXPECT_EQ(ApprovedList::Add(u"{00000000-0000-0000-0000-00000000000A}"_s, u"First"_s), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(probe::keyExists(kList, HKEY_LOCAL_MACHINE));
}

TEST(ApprovedListTest, AReadOnlyRegistryRefusesChangesWithAccessDenied)
{
    TestPrefix prefix(kSmallList);
    PrefixStore store(prefix.path());
    store.setReadOnlyRequested(true);
    store.setServerProbe([](const QString&) { return WineServerProbe::Status{}; });
    QString error;
    ASSERT_TRUE(store.open(error)) << error.toStdString();
    Registry::setCurrent(&store.registry());
    const QByteArray before = prefix.readFile(u"system.reg"_s);
    EXPECT_EQ(ApprovedList::Add(u"{00000000-0000-0000-0000-00000000000B}"_s, u"Second"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ApprovedList::Remove(u"{00000000-0000-0000-0000-00000000000A}"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), before);
}

TEST(ApprovedListTest, AChangeThatCannotBeSavedFails)
{
    TestPrefix prefix(kSmallList);
    prefix.open().setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 0); });
    const QByteArray before = prefix.readFile(u"system.reg"_s);
    EXPECT_EQ(ApprovedList::Add(u"{00000000-0000-0000-0000-00000000000B}"_s, u"Second"_s), ERROR_CANTWRITE);
    EXPECT_EQ(ApprovedList::Remove(u"{00000000-0000-0000-0000-00000000000A}"_s), ERROR_CANTWRITE);
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), before);
}

} // namespace
