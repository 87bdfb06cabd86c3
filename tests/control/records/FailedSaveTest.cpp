#include "control/records/ErrorNumbers.h"
#include "control/records/FileTypeObject.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/RegistryRecords.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestNames.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

// A record operation whose change could not be saved fails with ERROR_CANTWRITE, unless it failed
// on its own first; and one operation is one save, however many records it writes.

namespace {

const QByteArray kRegistry = R"(
[Software\\Classes\\.txt] 1
@="txtfile"
[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}] 1
@="Menu Handler"
[Software\\Classes\\txtfile] 1
@="Text Document"
[Software\\Classes\\txtfile\\shell\\open\\command] 1
@="notepad.exe %1"
[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\Menu] 1
@="{11111111-0000-0000-0000-000000000001}"
[Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved] 1
)";

enum class SaveFailure { FullDisk, ChangedOnDisk };

class Records {
public:
    Records()
        : prefix(kRegistry)
    {
        prefix.open();
        records = RegistryRecords::load();
    }

    std::shared_ptr<FileTypeObject> type() const { return records.type(QStringLiteral("txtfile")); }
    std::shared_ptr<FileExtensionObject> extension() const { return records.extension(QStringLiteral(".txt")); }
    std::shared_ptr<ActionObject> action() const { return type()->Actions.first(); }
    std::shared_ptr<ShellExtensionObject> handler() const { return type()->ShellExtensions.first(); }

    TestSettings settings;
    TestPrefix prefix;
    ScriptedUi ui;
    RegistryRecords records;
};

struct Operation {
    const char* label;
    std::function<long(Records&)> run;
    long result;       // when its save fails
    int failedSaves;   // 0 for an operation that changed nothing
};

const Operation kOperations[] = {
    {"type written",
     [](Records& r) {
         r.type()->Name = QStringLiteral("Text");
         return r.type()->WriteMe(false);
     },
     ERROR_CANTWRITE, 1},
    {"type written with its members",
     [](Records& r) {
         r.type()->Name = QStringLiteral("Text");
         r.extension()->ContentType = QStringLiteral("text/plain");
         r.action()->Command = QStringLiteral("wordpad.exe %1");
         r.handler()->Name = QStringLiteral("Menu");
         return r.type()->WriteMe(true);
     },
     ERROR_CANTWRITE, 1},
    {"type removed", [](Records& r) { return r.type()->RemoveMe(true); }, ERROR_CANTWRITE, 1},
    {"extension written",
     [](Records& r) {
         r.extension()->InfoTip = QStringLiteral("Text");
         return r.extension()->WriteMe(true);
     },
     ERROR_CANTWRITE, 1},
    {"extension removed", [](Records& r) { return r.extension()->RemoveMe(); }, ERROR_CANTWRITE, 1},
    {"action written",
     [](Records& r) {
         r.action()->Command = QStringLiteral("wordpad.exe %1");
         return r.action()->WriteMe();
     },
     ERROR_CANTWRITE, 1},
    {"action removed", [](Records& r) { return r.action()->RemoveMe(); }, ERROR_CANTWRITE, 1},
    {"handler written",
     [](Records& r) {
         r.handler()->Approved = true;
         return r.handler()->WriteMe();
     },
     ERROR_CANTWRITE, 1},
    {"handler removed", [](Records& r) { return r.handler()->RemoveMe(true); }, ERROR_CANTWRITE, 1},
    // Failures of the operation's own win over the failed save, whether or not it changed something first.
    {"type without a name",
     [](Records&) {
         FileTypeObject nameless;
         nameless.Name = QStringLiteral("Clobber");
         return nameless.WriteMe(true);
     },
     kErrCreateKey, 0},
    {"type that is gone removed with its extension",
     [](Records& r) {
         FileTypeObject gone;
         gone.InternalName = QStringLiteral("nosuchtype");
         gone.FileExtensions.add(r.extension()->Key(), r.extension());
         return gone.RemoveMe(true);
     },
     ERROR_FILE_NOT_FOUND, 1},
    {"extension without a name",
     [](Records&) {
         FileExtensionObject nameless;
         nameless.InternalName = QStringLiteral("Clobber");
         return nameless.WriteMe(false);
     },
     kErrCreateKey, 0},
    {"action of a type that is gone",
     [](Records& r) {
         r.action()->HostInternalName = QStringLiteral("nosuchtype");
         return r.action()->WriteMe();
     },
     kErrOpenKey, 0},
    {"action that is gone removed",
     [](Records& r) {
         r.action()->CommandKey = QStringLiteral("print");
         return r.action()->RemoveMe();
     },
     kErrRemoveKey, 0},
    {"handler written without a group after its class",
     [](Records& r) {
         r.handler()->Name = QStringLiteral("Menu");
         r.handler()->ExtTypeKey.clear();
         return r.handler()->WriteMe();
     },
     kErrOpenKey, 1},
    {"handler removed after its class went",
     [](Records& r) {
         r.handler()->CLSID = QStringLiteral("{99999999-0000-0000-0000-000000000009}");
         return r.handler()->RemoveMe(true);
     },
     kErrRemoveKey, 1},
};

void PrintTo(const Operation& o, std::ostream* os)
{
    *os << o.label;
}

class FailedSave : public ::testing::TestWithParam<std::tuple<Operation, SaveFailure>> {};

TEST_P(FailedSave, FailsTheOperationAndLeavesTheFileAsItIs)
{
    const auto& [operation, failure] = GetParam();
    Records r;
    ASSERT_TRUE(r.type() && r.extension() && r.action() && r.handler());
    if (failure == SaveFailure::FullDisk)
        r.prefix.store().setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 0); });
    else // another program wrote the file after it was read
        r.prefix.writeFile(QStringLiteral("system.reg"),
                           r.prefix.readFile(QStringLiteral("system.reg")) + "\n[Software\\\\Other] 1\n");
    const QByteArray onDisk = r.prefix.readFile(QStringLiteral("system.reg"));
    int failedSaves = 0;
    r.prefix.store().setSaveFailureHandler([&](const QString&) { ++failedSaves; });

    EXPECT_EQ(operation.run(r), operation.result);
    EXPECT_EQ(failedSaves, operation.failedSaves);
    EXPECT_TRUE(r.prefix.readFile(QStringLiteral("system.reg")) == onDisk);
    EXPECT_EQ(r.prefix.store().registry().openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Records, FailedSave,
    ::testing::Combine(::testing::ValuesIn(kOperations),
                       ::testing::Values(SaveFailure::FullDisk, SaveFailure::ChangedOnDisk)),
    [](const auto& param) {
        return testName(std::get<0>(param.param).label) +
               (std::get<1>(param.param) == SaveFailure::FullDisk ? "_disk_full" : "_changed_on_disk");
    });

TEST(FailedSaveRecovery, AFileTypeWrittenWithItsMembersIsSavedOnceAtTheEnd)
{
    Records r;
    int saves = 0;
    r.prefix.store().setSaveFileFactory([&](const QString& path) {
        ++saves;
        return std::make_unique<QSaveFile>(path);
    });
    r.type()->Name = QStringLiteral("Text");
    r.extension()->ContentType = QStringLiteral("text/plain");
    r.action()->Command = QStringLiteral("wordpad.exe %1");
    r.handler()->Approved = true;
    ASSERT_EQ(r.type()->WriteMe(true), 0);
    EXPECT_EQ(saves, 1);

    r.prefix.reopen();
    RegistryRecords back = RegistryRecords::load();
    EXPECT_EQ(back.type(QStringLiteral("txtfile"))->Name, QStringLiteral("Text"));
    EXPECT_EQ(back.extension(QStringLiteral(".txt"))->ContentType, QStringLiteral("text/plain"));
    EXPECT_EQ(back.type(QStringLiteral("txtfile"))->Actions.first()->Command, QStringLiteral("wordpad.exe %1"));
    EXPECT_TRUE(back.type(QStringLiteral("txtfile"))->ShellExtensions.first()->Approved);
}

TEST(FailedSaveRecovery, ChangesThatCouldNotBeSavedAreSavedWithTheNextCommand)
{
    Records r;
    r.prefix.store().setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 0); });
    r.action()->Command = QStringLiteral("wordpad.exe %1");
    ASSERT_EQ(r.action()->WriteMe(), ERROR_CANTWRITE);
    r.prefix.store().setSaveFileFactory(nullptr); // space again
    r.type()->Name = QStringLiteral("Text");
    ASSERT_EQ(r.type()->WriteMe(false), 0);

    r.prefix.reopen();
    RegistryRecords back = RegistryRecords::load();
    EXPECT_EQ(back.type(QStringLiteral("txtfile"))->Name, QStringLiteral("Text"));
    EXPECT_EQ(back.type(QStringLiteral("txtfile"))->Actions.first()->Command, QStringLiteral("wordpad.exe %1"));
}

} // namespace
