#include "control/records/ErrorNumbers.h"
#include "tests/support/KestrowFixture.h"
#include "tests/control/tree/NewRecords.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/TestNames.h"

#include "platform/registry/RegistryApi.h"

#include <functional>

using namespace Qt::StringLiterals;

namespace {


// How the registry lets the control down.
enum class Trouble {
    None,
    ReadOnly,       // every change is refused
    DiskFull,       // changes are made in memory, the save fails
    ChangedOnDisk,  // another program wrote system.reg after the load: the save must not clobber it
};

class KestrowFailures : public KestrowFixture {
protected:
    KestrowFailures()
        : KestrowFixture(sampleSections())
    {
    }

    void SetUp() override { ASSERT_EQ(load(), 0); }

    void cause(Trouble trouble)
    {
        Registry& registry = prefix.store().registry();
        switch (trouble) {
        case Trouble::None: break;
        case Trouble::ReadOnly: registry.mountMachine(registry.machineHive(), true); break;
        case Trouble::DiskFull:
            prefix.store().setSaveFileFactory(
                [](const QString& path) { return std::make_unique<FullDiskFile>(path, 100); });
            break;
        case Trouble::ChangedOnDisk:
            prefix.writeFile(u"system.reg"_s, prefix.readFile(u"system.reg"_s) + "\n[Software\\\\Theirs] 1\n");
            break;
        }
    }
};

// Deletes a key below HKEY_CLASSES_ROOT behind the control's back.
void deleteBehindTheBack(const QString& path)
{
    ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, path), 0);
}

// Every operation that changes the registry reports a save that failed, and never success.
struct FailedSave {
    const char* label;
    std::function<long(Kestrow&)> command;
};

void PrintTo(const FailedSave& f, std::ostream* os)
{
    *os << f.label;
}

class KestrowFailedSave : public KestrowFailures, public ::testing::WithParamInterface<std::tuple<FailedSave, Trouble>> {};

TEST_P(KestrowFailedSave, IsTheCommandsOutcome)
{
    const auto& [operation, trouble] = GetParam();
    cause(trouble);
    const QByteArray before = prefix.readFile(u"system.reg"_s);
    EXPECT_EQ(operation.command(control), ERROR_CANTWRITE);
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), before) << "the file on disk is left as it was";
    EXPECT_FALSE(prefix.store().lastError().isEmpty());
}

std::shared_ptr<ItemObject> record(Kestrow& control, const QString& key)
{
    return control.GetItemFromKey(key);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWritingOperation, KestrowFailedSave,
    ::testing::Combine(
        ::testing::Values(
            FailedSave{"write a type",
                       [](Kestrow& c) {
                           auto type = std::dynamic_pointer_cast<FileTypeObject>(record(c, kTxt));
                           type->Name = u"Changed"_s;
                           return c.WriteItem(ITEM_FILETYPE, type, true);
                       }},
            FailedSave{"write an extension",
                       [](Kestrow& c) {
                           auto ext = std::dynamic_pointer_cast<FileExtensionObject>(record(c, u"fe__..log"_s));
                           ext->ContentType = u"text/x-log"_s;
                           return c.WriteItem(ITEM_FILEEXTENSION, ext);
                       }},
            FailedSave{"write an action",
                       [](Kestrow& c) {
                           auto action = std::dynamic_pointer_cast<ActionObject>(record(c, u"ac__.open.txtfile"_s));
                           action->Command = u"other.exe %1"_s;
                           return c.WriteItem(ITEM_ACTION, action);
                       }},
            FailedSave{"write a handler",
                       [](Kestrow& c) {
                           return c.WriteItem(ITEM_SHELLEXTENSION, newrecord::handler(1, u"txtfile"_s, u"Menu Three"_s));
                       }},
            FailedSave{"remove a type", [](Kestrow& c) { return c.RemoveItem(ITEM_FILETYPE, record(c, kDoc), true, true); }},
            FailedSave{"remove an extension",
                       [](Kestrow& c) { return c.RemoveItem(ITEM_FILEEXTENSION, record(c, u"fe__..log"_s), true); }},
            FailedSave{"remove the last extension of a type",
                       [](Kestrow& c) { return c.RemoveItem(ITEM_FILEEXTENSION, record(c, u"fe__..doc"_s), false); }},
            FailedSave{"remove an orphaned extension",
                       [](Kestrow& c) { return c.RemoveItem(ITEM_FILEEXTENSION, record(c, u"fe__..zzz"_s), true); }},
            FailedSave{"remove an action",
                       [](Kestrow& c) { return c.RemoveItem(ITEM_ACTION, record(c, u"ac__.print.txtfile"_s), true); }},
            FailedSave{"remove a handler",
                       [](Kestrow& c) { return c.RemoveItem(ITEM_SHELLEXTENSION, record(c, KestrowFixture::kMenu1), true, true); }}),
        ::testing::Values(Trouble::DiskFull, Trouble::ChangedOnDisk)),
    [](const auto& param) {
        return testName(std::get<0>(param.param).label) +
               (std::get<1>(param.param) == Trouble::DiskFull ? "_disk_full" : "_changed_on_disk");
    });

TEST_F(KestrowFailures, AFailedSaveKeepsTheChangeShownAndTheNextSaveWritesIt)
{
    cause(Trouble::DiskFull);
    ASSERT_EQ(control.RemoveItem(ITEM_ACTION, control.GetItemFromKey(u"ac__.print.txtfile"_s), true), ERROR_CANTWRITE);
    // Model and in-memory registry agree: the action is gone from both.
    EXPECT_FALSE(shown(u"ac__.print.txtfile"_s));
    EXPECT_FALSE(probe::keyExists(u"txtfile\\shell\\print"_s));
    EXPECT_TRUE(prefix.readFile(u"system.reg"_s).contains("print"));

    prefix.store().setSaveFileFactory({});
    ASSERT_EQ(control.RemoveItem(ITEM_ACTION, control.GetItemFromKey(u"ac__.open.docfile"_s), true), 0);
    EXPECT_FALSE(prefix.readFile(u"system.reg"_s).contains("print")) << "the earlier change was saved too";
}

// After every failure, model, tree and registry agree: what the registry still holds is still shown.
struct Refusal {
    const char* label;
    qint16 kind;
    QString key;
    bool fromRegistry;
    std::function<void()> before; // what goes wrong first
    long result;
    QStringList shownAfter, goneAfter;         // records of the model
    QStringList keysAfter, keysGoneAfter;      // keys below HKEY_CLASSES_ROOT
};

void PrintTo(const Refusal& r, std::ostream* os)
{
    *os << r.label;
}

class KestrowRefusal : public KestrowFailures, public ::testing::WithParamInterface<Refusal> {};

TEST_P(KestrowRefusal, LeavesModelAndRegistryInAgreement)
{
    const Refusal& r = GetParam();
    r.before();
    const auto item = control.GetItemFromKey(r.key);
    ASSERT_TRUE(item);
    EXPECT_EQ(control.RemoveItem(r.kind, item, r.fromRegistry, true), r.result);
    for (const QString& key : r.shownAfter)
        EXPECT_TRUE(shown(key)) << key.toStdString();
    for (const QString& key : r.goneAfter) {
        EXPECT_FALSE(control.GetItemFromKey(key)) << key.toStdString();
        EXPECT_FALSE(node(key)) << key.toStdString();
    }
    for (const QString& key : r.keysAfter)
        EXPECT_TRUE(probe::keyExists(key)) << key.toStdString();
    for (const QString& key : r.keysGoneAfter)
        EXPECT_FALSE(probe::keyExists(key)) << key.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KestrowRefusal,
    ::testing::Values(
        // The type's key went away behind the control's back: its last extension still goes, and
        // with it the type, which no reload would show any more.
        Refusal{"last extension whose type key is gone", ITEM_FILEEXTENSION, "fe__..doc", true,
                [] { deleteBehindTheBack(u"docfile"_s); }, ERROR_FILE_NOT_FOUND, {},
                {kDoc, "fe__..doc"}, {}, {".doc", "docfile"}},
        Refusal{"an action already gone", ITEM_ACTION, "ac__.print.txtfile", true,
                [] { deleteBehindTheBack(u"txtfile\\shell\\print"_s); }, kErrRemoveKey,
                {"ac__.open.txtfile"}, {"ac__.print.txtfile"}, {"txtfile\\shell\\open"}, {}},
        Refusal{"a handler whose class is gone", ITEM_SHELLEXTENSION, KestrowFixture::kMenu1, true,
                [] { deleteBehindTheBack(u"CLSID\\{11111111-0000-0000-0000-000000000001}"_s); },
                kErrRemoveKey, {KestrowFixture::kMenu2}, {KestrowFixture::kMenu1},
                {}, {"txtfile\\shellex\\ContextMenuHandlers\\Menu1"}}),
    [](const auto& param) { return testName(param.param.label); });

struct ReadOnlyRemoval {
    const char* label;
    qint16 kind;
    QString key;
    bool fromRegistry;
    long result; // the code of the step the registry refused
};

void PrintTo(const ReadOnlyRemoval& r, std::ostream* os)
{
    *os << r.label;
}

class KestrowReadOnlyRemoval : public KestrowFailures, public ::testing::WithParamInterface<ReadOnlyRemoval> {};

TEST_P(KestrowReadOnlyRemoval, ChangesNothing)
{
    const ReadOnlyRemoval& r = GetParam();
    const QByteArray before = prefix.readFile(u"system.reg"_s);
    const QStringList keysBefore = probe::subkeys(QString());
    cause(Trouble::ReadOnly);
    const auto item = control.GetItemFromKey(r.key);
    ASSERT_TRUE(item);
    const int nodes = control.tree().count();
    EXPECT_EQ(control.RemoveItem(r.kind, item, r.fromRegistry, true), r.result);
    EXPECT_TRUE(shown(r.key));
    EXPECT_EQ(control.tree().count(), nodes);
    EXPECT_EQ(control.GetItemFromKey(r.key), item);
    EXPECT_EQ(probe::subkeys(QString()), keysBefore);
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), before);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, KestrowReadOnlyRemoval,
    ::testing::Values(ReadOnlyRemoval{"a type", ITEM_FILETYPE, kDoc, true, ERROR_ACCESS_DENIED},
                      ReadOnlyRemoval{"an extension", ITEM_FILEEXTENSION, "fe__..log", true, ERROR_ACCESS_DENIED},
                      ReadOnlyRemoval{"the last extension asked to stay in the registry", ITEM_FILEEXTENSION,
                                      "fe__..doc", false, ERROR_ACCESS_DENIED},
                      ReadOnlyRemoval{"the last extension", ITEM_FILEEXTENSION, "fe__..doc", true, ERROR_ACCESS_DENIED},
                      ReadOnlyRemoval{"an orphaned extension", ITEM_FILEEXTENSION, "fe__..zzz", true,
                                      ERROR_ACCESS_DENIED},
                      ReadOnlyRemoval{"an action", ITEM_ACTION, "ac__.print.txtfile", true, kErrOpenKey},
                      ReadOnlyRemoval{"a handler of a type", ITEM_SHELLEXTENSION, KestrowFixture::kIconHandler, true,
                                      kErrOpenKey},
                      ReadOnlyRemoval{"a handler of an extension", ITEM_SHELLEXTENSION, KestrowFixture::kTxtHandler,
                                      true, kErrOpenKey}),
    [](const auto& param) { return testName(param.param.label); });

TEST_F(KestrowFailures, EveryOperationRefusesAMissingRecord)
{
    const int nodes = control.tree().count();
    for (qint16 kind : {ITEM_FILETYPE, ITEM_FILEEXTENSION, ITEM_SHELLEXTENSION, ITEM_ACTION}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(control.AddItem(kind, nullptr), kErrNoObject);
        EXPECT_EQ(control.RemoveItem(kind, nullptr, true, true), kErrNoObject);
        EXPECT_EQ(control.WriteItem(kind, nullptr, true), kErrNoObject);
        EXPECT_EQ(control.LoadItem(kind, nullptr, true), kErrNoObject);
        EXPECT_EQ(control.UpdateItem(kind, nullptr), kErrNoObject);
        EXPECT_FALSE(control.CopyItem(kind, nullptr));
    }
    // A record of another kind than the one named is no record of that kind.
    EXPECT_EQ(control.UpdateItem(ITEM_ACTION, control.GetItemFromKey(kTxt)), kErrNoObject);
    EXPECT_EQ(control.RemoveItem(ITEM_ACTION, control.GetItemFromKey(kTxt), true), kErrNoObject);
    EXPECT_EQ(control.UpdateItem(9, nullptr), 0);
    EXPECT_EQ(control.tree().count(), nodes);
    EXPECT_TRUE(probe::keyExists(u"txtfile"_s));
}

TEST_F(KestrowFailures, ARecordTheModelDoesNotHoldIsNotRemovedFromTheRegistry)
{
    // The host holds records of its own making, one naming a shown key.
    auto lookalike = newrecord::extension(u".zzz"_s, u"txtfile"_s);
    EXPECT_EQ(control.RemoveItem(ITEM_ACTION, newrecord::action(u"play"_s, u"docfile"_s, u"Play"_s), true),
              kErrMissingKey);
    EXPECT_EQ(control.RemoveItem(ITEM_FILEEXTENSION, lookalike, true), kErrMissingKey);
    EXPECT_TRUE(probe::keyExists(u".zzz"_s));
    EXPECT_TRUE(shown(u"fe__..zzz"_s));
}

} // namespace
