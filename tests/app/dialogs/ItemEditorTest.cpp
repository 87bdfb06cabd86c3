#include "app/dialogs/ItemEditor.h"

#include "app/dialogs/FieldRules.h"
#include "app/shell/ItemCommands.h"
#include "control/records/ErrorNumbers.h"
#include "control/tree/TreeLayout.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/TestNames.h"

#include <QMap>
#include <QSet>

#include <functional>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kVnk = u"ft__.vnkfile"_s;
const QString kMenu1Clsid = u"{11111111-0000-0000-0000-000000000001}"_s;
const QString kIconClsid = u"{11111111-0000-0000-0000-000000000003}"_s;
// Handler groups of the default table.
constexpr int kPropertySheets = 0; // a group key
constexpr int kContextMenus = 1;
constexpr int kCopyHook = 2; // a single-handler slot
constexpr int kIconSlot = 6;

// Values only Wine's own format can say: an expandable icon path, binary flags, threading models.
const QByteArray kWineValues = R"(
[Software\\Classes\\vnkfile\\DefaultIcon] 1
@=str(2):"%SystemRoot%\\vnk.dll,1"

[Software\\Classes\\vnkfile] 1
@="Varnook File"
"EditFlags"=dword:00010000

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}\\InprocServer32] 1
@="C:\\menu.dll"
"ThreadingModel"="apartment"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000002}\\InprocServer32] 1
@="C:\\menu2.dll"
"ThreadingModel"="Free"
)";

class ItemEditorTest : public KestrowFixture {
protected:
    ItemEditorTest()
        : KestrowFixture(sampleSections() + kWineValues +
                         classes({{".vnk", "vnkfile"},
                                  {".vn2", "vnkfile"},
                                  {R"(vnkfile\shell\open\command)", "vnk.exe %1"},
                                  {R"(vnkfile\shell\open\ddeexec)", "[open(\"%1\")]"},
                                  {R"(vnkfile\shell\open\ddeexec\Application)", "vnk"},
                                  {R"(vnkfile\shell\open\ddeexec\ifexec)", "[run]"},
                                  {R"(vnkfile\shell\open\ddeexec\topic)", "system"},
                                  // The icon painter is a context menu handler as well.
                                  {R"(txtfile\shellex\ContextMenuHandlers\Painter)", "{11111111-0000-0000-0000-000000000003}"}}))
    {
        writeIcon(u"icons\\red.ico"_s, kRed);
    }

    void SetUp() override { ASSERT_EQ(load(), 0); }

    QByteArray systemReg() const { return prefix.readFile(u"system.reg"_s); }
    QString lastBoxText() const { return ui.boxes().empty() ? QString() : ui.boxes().back().text; }
    QString threadModelOf(const QString& clsid) const
    {
        return probe::text(u"CLSID\\"_s + clsid + u"\\InprocServer32"_s, u"ThreadingModel"_s).value_or(QString());
    }
    void refuseWrites()
    {
        Registry& registry = prefix.store().registry();
        registry.mountMachine(registry.machineHive(), true);
    }

    // The keys of a saved system.reg (below Software\Classes, with single backslashes) and each
    // one's whole section, its time stamp included.
    static QMap<QString, QByteArray> sections(const QByteArray& file)
    {
        QMap<QString, QByteArray> result;
        for (const QByteArray& block : QByteArray(file).replace("\n[", "\x01").split('\x01').mid(1)) {
            const qsizetype end = block.indexOf("] ");
            QString key = QString::fromUtf8(block.left(end)).replace(u"\\\\"_s, u"\\"_s);
            key.remove(u"Software\\Classes\\"_s);
            result.insert(key, block);
        }
        return result;
    }
    // The keys whose sections differ between two saves, appeared or went.
    static QSet<QString> changedKeys(const QByteArray& before, const QByteArray& after)
    {
        const auto a = sections(before), b = sections(after);
        QSet<QString> changed;
        for (auto it = a.begin(); it != a.end(); ++it)
            if (b.value(it.key()) != it.value())
                changed << it.key();
        for (auto it = b.begin(); it != b.end(); ++it)
            if (!a.contains(it.key()))
                changed << it.key();
        return changed;
    }

    template <typename T>
    std::shared_ptr<T> record(const QString& key) const
    {
        auto found = item<T>(key);
        EXPECT_TRUE(found) << key.toStdString();
        return found;
    }

    ItemEditor editor{control.core()};
};

TEST_F(ItemEditorTest, LoadedFieldsAppliedUnchangedWriteNothing)
{
    const FileExtensionFields orphan = editor.load(*record<FileExtensionObject>(u"fe__..zzz"_s));
    EXPECT_EQ(orphan.typeKey, u"<not defined>"_s);
    EXPECT_EQ(orphan.typeName, u"<orphaned>"_s);
    const ShellExtensionFields menu = editor.load(*record<ShellExtensionObject>(kMenu1));
    EXPECT_EQ(menu.group, kContextMenus);
    ASSERT_GE(menu.threadModel, 0) << "\"apartment\" is the table's Apartment";
    EXPECT_EQ(editor.tables().threadModels()[menu.threadModel].value, u"Apartment"_s);
    EXPECT_EQ(editor.load(*record<ShellExtensionObject>(kMenu2)).threadModel, -1) << "Free is not in the table";
    EXPECT_FALSE(editor.load(*record<ShellExtensionObject>(kTxtHandler)).groupEditable);
    EXPECT_TRUE(editor.load(*record<ActionObject>(u"ac__.open.vnkfile"_s)).usesDde);

    const QByteArray before = systemReg();
    const auto type = record<FileTypeObject>(kVnk);
    EXPECT_EQ(editor.apply(type, editor.load(*type)), 0);
    const auto extension = record<FileExtensionObject>(u"fe__..vnk"_s);
    FileExtensionFields extensionFields = editor.load(*extension);
    extensionFields.typeKey = kVnk.toUpper(); // its own type, in other letters
    EXPECT_EQ(editor.apply(extension, extensionFields), 0);
    const auto orphanRecord = record<FileExtensionObject>(u"fe__..zzz"_s);
    EXPECT_EQ(editor.apply(orphanRecord, orphan), 0);
    for (const QString& key : {kMenu1, kMenu2, kTxtHandler}) {
        const auto handler = record<ShellExtensionObject>(key);
        EXPECT_EQ(editor.apply(handler, editor.load(*handler)), 0) << key.toStdString();
    }
    const auto action = record<ActionObject>(u"ac__.open.vnkfile"_s);
    EXPECT_EQ(editor.apply(action, editor.load(*action)), 0);

    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(changedKeys(before, systemReg()), QSet<QString>());
    EXPECT_FALSE(prefix.store().hasUnsavedChanges());
}

TEST_F(ItemEditorTest, EachKindWritesWhatChangedAndNothingElse)
{
    const auto renamed = [this](const QString& key) {
        return [this, key] {
            const auto handler = record<ShellExtensionObject>(key);
            ShellExtensionFields fields = editor.load(*handler);
            fields.name = u"Renamed"_s; // no threading model chosen for Free
            return editor.apply(handler, fields);
        };
    };
    const struct {
        const char* label;
        std::function<long()> apply;
        QSet<QString> changed;
    } cases[] = {
        {"file type",
         [this] {
             const auto type = record<FileTypeObject>(kVnk);
             FileTypeFields fields = editor.load(*type);
             fields.name = u"Varnook Document"_s;
             fields.internalName = u"renamed"_s; // never written
             fields.flags = u" 42 "_s;
             fields.quickView = true;
             return editor.apply(type, fields);
         },
         {u"vnkfile"_s, u"vnkfile\\QuickView"_s}}, // the expandable icon path is left as it was
        {"file extension",
         [this] {
             const auto extension = record<FileExtensionObject>(u"fe__..txt"_s);
             FileExtensionFields fields = editor.load(*extension);
             fields.contentType = u"text/plain"_s;
             return editor.apply(extension, fields);
         },
         {u".txt"_s}},
        {"file extension moved", // vnkfile keeps .vn2; the window asks when the type is chosen
         [this] {
             const auto extension = record<FileExtensionObject>(u"fe__..vnk"_s);
             FileExtensionFields fields = editor.load(*extension);
             fields.typeKey = kTxt;
             fields.contentType = u"application/x-vnk"_s;
             return editor.apply(extension, fields);
         },
         {u".vnk"_s}},
        {"handler of a listed model", renamed(kMenu1), {u"CLSID\\"_s + kMenu1Clsid}},
        {"handler of an unlisted model", renamed(kMenu2), {u"CLSID\\{11111111-0000-0000-0000-000000000002}"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const QByteArray before = systemReg();
        EXPECT_EQ(c.apply(), 0);
        EXPECT_EQ(changedKeys(before, systemReg()), c.changed);
    }
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(parentKey(u"fe__..vnk"_s), u"ftef.ft__.txtfile"_s);
    EXPECT_EQ(probe::type(u"vnkfile"_s, u"EditFlags"_s), std::optional<DWORD>(REG_DWORD));
    EXPECT_EQ(record<FileTypeObject>(kVnk)->InternalName, u"vnkfile"_s);
    EXPECT_EQ(control.GetNodeFromKey(kMenu1)->text(), u"Renamed"_s);
    EXPECT_EQ(threadModelOf(kMenu1Clsid), u"apartment"_s) << "kept in its own letters";
    EXPECT_EQ(threadModelOf(u"{11111111-0000-0000-0000-000000000002}"_s), u"Free"_s);

    // A model chosen from the list replaces it.
    const auto handler = record<ShellExtensionObject>(kMenu1);
    ShellExtensionFields fields = editor.load(*handler);
    fields.threadModel = 2;
    EXPECT_EQ(editor.apply(handler, fields), 0);
    EXPECT_EQ(threadModelOf(kMenu1Clsid), editor.tables().threadModels()[2].value);
}

TEST_F(ItemEditorTest, AnIconIsExtractedAgainOnlyWhenItsTextChanged)
{
    const auto type = record<FileTypeObject>(kTxt);
    ASSERT_EQ(imageColour(kTxt), kRed);
    // The file behind the path changes; only a changed text (letter case counts) shows it.
    writeIcon(u"icons\\red.ico"_s, kBlue);
    FileTypeFields fields = editor.load(*type);
    fields.name = u"Plain Text"_s;
    EXPECT_EQ(editor.apply(type, fields), 0);
    EXPECT_EQ(imageColour(kTxt), kRed);
    fields.defaultIcon = uR"(C:\ICONS\red.ico)"_s;
    EXPECT_EQ(editor.apply(type, fields), 0);
    EXPECT_EQ(imageColour(kTxt), kBlue);
}

// ---- refusals: nothing changes, in the record or the registry

TEST_F(ItemEditorTest, RefusedFieldsChangeNothing)
{
    const auto type = record<FileTypeObject>(kVnk);
    const auto extension = record<FileExtensionObject>(u"fe__..vnk"_s);
    const auto withFlags = [&](const QString& flags) {
        return [&, flags] {
            FileTypeFields fields = editor.load(*type);
            fields.name = u"Changed"_s;
            fields.flags = flags;
            return editor.apply(type, fields);
        };
    };
    const struct {
        const char* label;
        std::function<long()> apply;
        QString reason;
    } cases[] = {
        {"flags that are no number", withFlags(u"abc"_s), kInvalidFlagsMessage},
        {"negative flags", withFlags(u"-1"_s), kInvalidFlagsMessage},
        {"flags beyond 32 bits", withFlags(u"4294967296"_s), kInvalidFlagsMessage},
        {"a type that went meanwhile",
         [&] {
             FileExtensionFields fields = editor.load(*extension);
             fields.typeKey = u"ft__.gone"_s;
             fields.infoTip = u"Changed"_s;
             return editor.apply(extension, fields);
         },
         u"You have to select a file type association."_s},
    };
    const QByteArray before = systemReg();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.apply(), kResultCancelled);
        EXPECT_EQ(lastBoxText(), c.reason);
    }
    EXPECT_EQ(type->Name, u"Varnook File"_s);
    EXPECT_EQ(type->Flags, 0x10000u);
    EXPECT_EQ(extension->InfoTip, QString());
    EXPECT_EQ(systemReg(), before);
}

TEST_F(ItemEditorTest, AReadOnlyRegistryRefusesEveryKindBeforeAnythingChanges)
{
    refuseWrites();
    const QByteArray before = systemReg();

    const auto type = record<FileTypeObject>(kVnk);
    FileTypeFields typeFields = editor.load(*type);
    typeFields.name = u"Changed"_s;
    EXPECT_EQ(editor.apply(type, typeFields), kResultCancelled);
    EXPECT_EQ(type->Name, u"Varnook File"_s);

    const auto extension = record<FileExtensionObject>(u"fe__..vnk"_s);
    FileExtensionFields extensionFields = editor.load(*extension);
    extensionFields.typeKey = kTxt;
    EXPECT_EQ(editor.apply(extension, extensionFields), kResultCancelled);
    EXPECT_EQ(parentKey(u"fe__..vnk"_s), u"ftef.ft__.vnkfile"_s);

    const auto handler = record<ShellExtensionObject>(kMenu1);
    ShellExtensionFields handlerFields = editor.load(*handler);
    handlerFields.group = kPropertySheets;
    EXPECT_EQ(editor.apply(handler, handlerFields), kResultCancelled);
    EXPECT_TRUE(shown(kMenu1));

    EXPECT_EQ(ui.boxes().size(), 3u) << "one refusal each, no question first";
    EXPECT_EQ(systemReg(), before);
}

TEST_F(ItemEditorTest, AnOrphanKeepsItsPlaceAndImageUnlessGivenAType)
{
    const auto orphan = record<FileExtensionObject>(u"fe__..zzz"_s);
    FileExtensionFields fields = editor.load(*orphan);
    fields.infoTip = u"Lost"_s;
    EXPECT_EQ(editor.apply(orphan, fields), 0);
    EXPECT_EQ(control.GetNodeFromKey(u"fe__..zzz"_s)->image(), u"orphaned.default"_s);
    EXPECT_EQ(probe::text(u".zzz"_s), u"ghostfile"_s) << "what the registry names stays";
    EXPECT_EQ(probe::text(u".zzz"_s, u"InfoTip"_s), u"Lost"_s);

    fields.typeKey = kVnk;
    EXPECT_EQ(editor.apply(orphan, fields), 0);
    EXPECT_EQ(probe::text(u".zzz"_s), u"vnkfile"_s);
    EXPECT_EQ(parentKey(u"fe__..zzz"_s), u"ftef.ft__.vnkfile"_s);
}

TEST_F(ItemEditorTest, AnAssociationThatCouldNotBeSavedIsReportedOnceAndKeptInMemory)
{
    prefix.store().setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 100); });
    const auto extension = record<FileExtensionObject>(u"fe__..vnk"_s);
    FileExtensionFields fields = editor.load(*extension);
    fields.typeKey = kTxt;
    EXPECT_EQ(editor.apply(extension, fields), ERROR_CANTWRITE);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, u"Error - 1013"_s);
    // Model and registry in memory agree; the file keeps the old association until a save succeeds.
    EXPECT_EQ(parentKey(u"fe__..vnk"_s), u"ftef.ft__.txtfile"_s);
    EXPECT_EQ(probe::text(u".vnk"_s), u"txtfile"_s);
    EXPECT_TRUE(prefix.store().hasUnsavedChanges());
}

// ---- shell extensions: moving to another group

TEST_F(ItemEditorTest, AHandlerMovesIntoAnotherGroupWrittenThereFirst)
{
    const auto handler = record<ShellExtensionObject>(kMenu1);
    ShellExtensionFields fields = editor.load(*handler);
    fields.group = kPropertySheets;
    EXPECT_EQ(editor.apply(handler, fields), 0);

    const QString moved = u"sh__."_s + kMenu1Clsid + u".0.txtfile"_s;
    EXPECT_TRUE(shown(moved));
    EXPECT_FALSE(shown(kMenu1));
    EXPECT_TRUE(shown(kMenu2)) << "the old group keeps its other member";
    EXPECT_EQ(handler->InternalName, kMenu1Clsid);
    EXPECT_EQ(probe::text(u"txtfile\\shellex\\PropertySheetHandlers\\"_s + kMenu1Clsid), kMenu1Clsid);
    EXPECT_FALSE(probe::keyExists(u"txtfile\\shellex\\ContextMenuHandlers\\Menu1"_s));
    EXPECT_TRUE(probe::keyExists(u"CLSID\\"_s + kMenu1Clsid)) << "the class stays";

    // The record is where a reload would put it: removing it takes its registration with it.
    ui.answer(vbYes);
    EXPECT_EQ(ItemCommands(control.core()).Remove(handler), 0);
    EXPECT_FALSE(probe::keyExists(u"txtfile\\shellex\\PropertySheetHandlers"_s));
    EXPECT_FALSE(shown(moved));
}

TEST_F(ItemEditorTest, AnOccupiedSingleSlotIsTakenOnlyAfterYesAndASuccessfulWrite)
{
    const auto handler = record<ShellExtensionObject>(kMenu1);
    ShellExtensionFields fields = editor.load(*handler);
    fields.group = kIconSlot;
    const QByteArray before = systemReg();
    const auto stayedWhereItWas = [&] {
        EXPECT_EQ(systemReg(), before);
        EXPECT_EQ(handler->InternalName, u"Menu1"_s);
        EXPECT_TRUE(handler->ExtTypeGroup);
        EXPECT_TRUE(shown(kMenu1));
        EXPECT_TRUE(shown(kIconHandler));
    };
    ui.answer(vbNo);
    EXPECT_EQ(editor.apply(handler, fields), kResultCancelled);
    EXPECT_EQ(lastBoxText(), u"A shell extension with the same properties already exists.\r\n\r\nAre you sure you want to continue?"_s);
    stayedWhereItWas();

    // The registry turns read-only while the question is open.
    UiSeams::MessageBoxHandler previous;
    previous = UiSeams::setMessageBoxHandler([&](const MessageBoxRequest& request) {
        if (request.buttons() == vbYesNo) {
            refuseWrites();
            return vbYes;
        }
        return previous(request);
    });
    const long rc = editor.apply(handler, fields);
    UiSeams::setMessageBoxHandler(previous);
    EXPECT_NE(rc, 0);
    EXPECT_NE(rc, kResultCancelled);
    EXPECT_EQ(lastBoxText(), u"Error writing shell extension data to registry."_s);
    stayedWhereItWas();

    Registry& registry = prefix.store().registry();
    registry.mountMachine(registry.machineHive(), false);
    ui.answer(vbYes);
    EXPECT_EQ(editor.apply(handler, fields), 0);
    EXPECT_EQ(probe::text(u"txtfile\\shellex\\IconHandler"_s), kMenu1Clsid);
    EXPECT_EQ(handler->InternalName, u"IconHandler"_s);
    EXPECT_FALSE(shown(kIconHandler)) << "the slot holds one handler";
    EXPECT_TRUE(shown(u"sh__."_s + kMenu1Clsid + u".6.txtfile"_s));
    EXPECT_FALSE(probe::keyExists(u"txtfile\\shellex\\ContextMenuHandlers\\Menu1"_s));
}

TEST_F(ItemEditorTest, MovingIntoAGroupThatHoldsTheClassAlreadyKeepsOneRegistration)
{
    const QString painter = u"sh__."_s + kIconClsid + u".1.txtfile"_s;
    ASSERT_TRUE(shown(painter));
    const auto handler = record<ShellExtensionObject>(kIconHandler);
    ShellExtensionFields fields = editor.load(*handler);
    fields.group = kContextMenus;
    ui.answer(vbYes);
    EXPECT_EQ(editor.apply(handler, fields), 0);
    EXPECT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(probe::subkeys(u"txtfile\\shellex\\ContextMenuHandlers"_s), (QStringList{u"Menu1"_s, u"Menu2"_s, u"Painter"_s}));
    EXPECT_FALSE(probe::keyExists(u"txtfile\\shellex\\IconHandler"_s));
    EXPECT_EQ(control.GetItemFromKey(painter), handler) << "one record shows the one registration";
    EXPECT_EQ(handler->InternalName, u"Painter"_s);
}

TEST_F(ItemEditorTest, NoGroupChosenAHandlerOfAnExtensionOrAFreeSlotAskNothing)
{
    const struct {
        QString key;
        int group; // a stale choice for a handler of an extension, whose list is disabled
        QString shownAfter;
    } cases[] = {
        {kMenu1, -1, kMenu1},
        {kTxtHandler, kContextMenus, kTxtHandler},
        {kMenu1, kCopyHook, u"sh__."_s + kMenu1Clsid + u".2.txtfile"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        const auto handler = record<ShellExtensionObject>(c.key);
        ShellExtensionFields fields = editor.load(*handler);
        fields.group = c.group;
        fields.name = u"Renamed"_s;
        EXPECT_EQ(editor.apply(handler, fields), 0);
        EXPECT_TRUE(shown(c.shownAfter));
        EXPECT_EQ(control.GetNodeFromKey(c.shownAfter)->text(), u"Renamed"_s);
    }
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(probe::text(u"txtfile\\shellex\\CopyHookHandler"_s), kMenu1Clsid);
}

} // namespace
