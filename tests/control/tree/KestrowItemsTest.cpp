#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/tree/IconList.h"
#include "tests/support/KestrowFixture.h"
#include "tests/control/tree/NewRecords.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/TestNames.h"

#include <array>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;

namespace {


// What a caller sees of the control as a whole: nodes, file types, the members of the types
// (extensions, actions and handlers), orphaned extensions, images.
using Totals = std::array<int, 5>;

Totals plus(Totals totals, const Totals& change)
{
    for (std::size_t i = 0; i < totals.size(); ++i)
        totals[i] += change[i];
    return totals;
}

class KestrowItems : public KestrowFixture {
protected:
    KestrowItems()
        : KestrowFixture(sampleSections())
    {
        writeIcon(u"icons\\red.ico"_s, kRed);
        writeIcon(u"icons\\blue.ico"_s, kBlue);
    }

    void SetUp() override
    {
        ASSERT_EQ(load(), 0);
        ASSERT_TRUE(ui.boxes().empty());
    }

    Totals totals()
    {
        int members = 0;
        for (const auto& entry : control.FileTypeCollection()) {
            const FileTypeObject& t = *entry.item;
            members += t.FileExtensions.count() + t.Actions.count() + t.ShellExtensions.count();
            for (const auto& ext : t.FileExtensions)
                members += ext.item->ShellExtensions.count();
        }
        return {control.tree().count(), static_cast<int>(control.Count()), members,
                control.OrphanedExtensions().count(), control.imlIcons().Count()};
    }

    std::shared_ptr<FileTypeObject> type(const QString& key) { return control.FileTypeCollection().value(key); }

    bool showsDefaultIcon(const QString& key)
    {
        return sameImage(control.imlIcons().Image(key), QIcon(GetIcon(kDefaultIconLocation, ICON_SMALL)));
    }
};

// ---- AddItem

TEST_F(KestrowItems, AddingAFileTypeShowsItWithItsMembersAndItsIcon)
{
    auto added = newrecord::type(u"newfile"_s, u"New Type"_s, u"C:\\icons\\blue.ico"_s);
    auto ext = newrecord::extension(u".new"_s, u"newfile"_s);
    added->FileExtensions.add(ext->Key(), ext);
    auto action = newrecord::action(u"open"_s, u"newfile"_s, u"Open"_s);
    added->Actions.add(action->Key(), action);

    ASSERT_EQ(control.AddItem(ITEM_FILETYPE, added), 0);
    EXPECT_EQ(type(u"ft__.newfile"_s), added);
    ASSERT_TRUE(node(u"ft__.newfile"_s));
    EXPECT_FALSE(node(u"ft__.newfile"_s)->parent());
    EXPECT_EQ(node(u"ft__.newfile"_s)->text(), u"New Type"_s);
    EXPECT_EQ(imageColour(u"ft__.newfile"_s), kBlue);
    EXPECT_EQ(control.GetItemFromKey(ext->Key()), ext);
    EXPECT_EQ(control.GetItemFromKey(action->Key()), action);

    // A type whose icon cannot be drawn shows the default icon.
    ASSERT_EQ(control.AddItem(ITEM_FILETYPE, newrecord::type(u"plainfile"_s, u"Plain"_s, u"C:\\icons\\missing.ico"_s)), 0);
    EXPECT_TRUE(showsDefaultIcon(u"ft__.plainfile"_s));
}

TEST_F(KestrowItems, AddingUnderAKeyInUseOrOfAnUnknownKindChangesNothing)
{
    const Totals before = totals();
    const auto original = type(kTxt);

    EXPECT_EQ(control.AddItem(ITEM_FILETYPE, newrecord::type(u"TXTFILE"_s, u"Impostor"_s, u"C:\\icons\\blue.ico"_s)),
              kErrDuplicateKey);
    EXPECT_EQ(type(kTxt), original);
    EXPECT_EQ(node(kTxt)->text(), u"Text Document"_s);
    EXPECT_EQ(imageColour(kTxt), kRed);

    const auto txt = original->FileExtensions.value(u"fe__..txt"_s);
    EXPECT_EQ(control.AddItem(ITEM_FILEEXTENSION, newrecord::extension(u".TXT"_s, u"txtfile"_s)), kErrDuplicateKey);
    EXPECT_EQ(original->FileExtensions.value(u"fe__..txt"_s), txt);
    EXPECT_EQ(control.AddItem(ITEM_ACTION, newrecord::action(u"open"_s, u"txtfile"_s, u"X"_s)), kErrDuplicateKey);
    EXPECT_EQ(node(u"ac__.open.txtfile"_s)->text(), u"Open"_s);

    for (qint16 kind : {qint16(0), qint16(5)})
        EXPECT_EQ(control.AddItem(kind, newrecord::extension(u".odd"_s, u"txtfile"_s)), kResultBadItemType);
    EXPECT_EQ(totals(), before);
    EXPECT_EQ(original->FileExtensions.count(), 2);
    EXPECT_EQ(original->Actions.count(), 2);
}

TEST_F(KestrowItems, AddedMembersGoIntoTheirFolderMadeOnFirstUse)
{
    const QString handler = u"shellext.default"_s;
    const QString handlers = u"controlfolder.closed"_s;
    const struct {
        const char* label;
        qint16 kind;
        std::shared_ptr<ItemObject> record;
        QString folder, folderText, folderImage, text, image;
        int siblings; // in the folder afterwards, the added one included
        int newFolders; // made for it
    } cases[] = {
        {"extension, existing folder", ITEM_FILEEXTENSION, newrecord::extension(u".text"_s, u"txtfile"_s), "ftef.ft__.txtfile",
         "Extensions", "favfolder.closed", ".text", kTxt, 3, 0},
        {"extension, new folder", ITEM_FILEEXTENSION, newrecord::extension(u".dir"_s, u"Folder"_s), "ftef.ft__.Folder",
         "Extensions", "favfolder.closed", ".dir", "ft__.Folder", 1, 1},
        {"action, existing folder", ITEM_ACTION, newrecord::action(u"edit"_s, u"txtfile"_s, u"Edit"_s), "ftaf.ft__.txtfile",
         "Actions", "progfolder.closed", "Edit", "action.default", 3, 0},
        {"action, new folder", ITEM_ACTION, newrecord::action(u"explore"_s, u"Folder"_s, u"Explore"_s), "ftaf.ft__.Folder",
         "Actions", "progfolder.closed", "Explore", "action.default", 1, 1},
        {"handler, existing group", ITEM_SHELLEXTENSION, newrecord::handler(1, u"txtfile"_s, u"Menu Three"_s),
         "ftss.ft__.txtfile.1", "Context Menu Handlers", handlers, "Menu Three", handler, 3, 0},
        {"handler, new group", ITEM_SHELLEXTENSION, newrecord::handler(0, u"txtfile"_s, u"Sheet"_s), "ftss.ft__.txtfile.0",
         "Property Sheet Handlers", handlers, "Sheet", handler, 1, 1},
        {"handler, new folders", ITEM_SHELLEXTENSION, newrecord::handler(3, u"Folder"_s, u"Dropper"_s), "ftss.ft__.Folder.3",
         "Drag-Drop Handlers", handlers, "Dropper", handler, 1, 2},
        {"extension handler, existing folder", ITEM_SHELLEXTENSION, newrecord::handler(-1, u".txt"_s, u"Peek"_s),
         "fesf.fe__..txt", "Shell Extensions", handlers, "Peek", handler, 2, 0},
        {"extension handler, new folder", ITEM_SHELLEXTENSION, newrecord::handler(-1, u".log"_s, u"Tail"_s), "fesf.fe__..log",
         "Shell Extensions", handlers, "Tail", handler, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const int nodesBefore = control.tree().count();
        ASSERT_EQ(control.AddItem(c.kind, c.record), 0);
        EXPECT_EQ(control.tree().count(), nodesBefore + 1 + c.newFolders);
        const KestrowNode* n = node(c.record->Key());
        ASSERT_TRUE(n);
        EXPECT_EQ(n->text(), c.text);
        EXPECT_EQ(n->image(), c.image);
        ASSERT_TRUE(n->parent());
        EXPECT_EQ(n->parent()->key(), c.folder);
        EXPECT_EQ(n->parent()->text(), c.folderText);
        EXPECT_EQ(n->parent()->image(), c.folderImage);
        EXPECT_EQ(n->parent()->childCount(), c.siblings);
        // The record is the one the host finds again through its key.
        EXPECT_EQ(control.GetItemFromKey(c.record->Key()), c.record);
    }
    // The "Shell Extensions" folder of a type holds every group once.
    EXPECT_EQ(childKeys(u"ftsf.ft__.txtfile"_s),
              (QStringList{"ftss.ft__.txtfile.1", "ftss.ft__.txtfile.6", "ftss.ft__.txtfile.0"}));
}

// ---- RemoveItem

// A removal from the sample: the nodes and the keys below HKEY_CLASSES_ROOT it takes, and those it
// leaves. Folders go with their last child.
struct Removal {
    const char* label;
    qint16 kind;
    QString key;
    bool fromRegistry, full;
    long result;
    Totals change; // of totals()
    QStringList nodesGone, nodesKept, keysGone, keysKept;
};

class KestrowRemoval : public KestrowItems, public ::testing::WithParamInterface<Removal> {};

TEST_P(KestrowRemoval, TakesWhatBelongsToTheRecordAndNothingElse)
{
    const Removal& r = GetParam();
    const Totals before = totals();
    std::vector<std::pair<QString, std::shared_ptr<FileTypeObject>>> types;
    for (const auto& entry : control.FileTypeCollection())
        types.emplace_back(entry.key, entry.item);
    const auto record = control.GetItemFromKey(r.key);
    ASSERT_TRUE(record);
    EXPECT_EQ(control.RemoveItem(r.kind, record, r.fromRegistry, r.full), r.result);
    EXPECT_EQ(totals(), plus(before, r.change));
    EXPECT_EQ(node(r.key) == nullptr, r.result == 0);
    for (const QString& key : r.nodesGone) {
        EXPECT_FALSE(node(key)) << key.toStdString();
        EXPECT_FALSE(control.imlIcons().Contains(key)) << key.toStdString();
    }
    for (const QString& key : r.nodesKept)
        EXPECT_TRUE(node(key)) << key.toStdString();
    // The file types still shown are the records they were.
    for (const auto& [key, held] : types) {
        if (node(key)) {
            EXPECT_EQ(type(key), held) << key.toStdString();
        }
    }
    for (const QString& key : r.keysGone)
        EXPECT_FALSE(probe::keyExists(key)) << key.toStdString();
    for (const QString& key : r.keysKept)
        EXPECT_TRUE(probe::keyExists(key)) << key.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KestrowRemoval,
    ::testing::Values(
        // Even when the host did not ask for the registry: a type without extensions is not kept.
        Removal{"last extension of a type", ITEM_FILEEXTENSION, "fe__..doc", false, false, 0, {-8, -1, -3, 0, -1},
                {kDoc, KestrowFixture::kDocPage}, {}, {"docfile"}, {".doc"}},
        Removal{"one of two extensions", ITEM_FILEEXTENSION, "fe__..log", true, false, 0, {-1, 0, -1, 0, 0}, {},
                {"fe__..txt", kTxt}, {".log"}, {".txt", "txtfile"}},
        Removal{"an orphaned extension", ITEM_FILEEXTENSION, "fe__..zzz", true, false, 0, {-1, 0, 0, -1, 0}, {},
                {"sp__.OrphanedExtFolder"}, {".zzz"}, {}},
        Removal{"one of two actions", ITEM_ACTION, "ac__.open.txtfile", true, false, 0, {-1, 0, -1, 0, 0}, {},
                {"ac__.print.txtfile"}, {"txtfile\\shell\\open"}, {}},
        Removal{"the only action", ITEM_ACTION, "ac__.open.docfile", false, false, 0, {-2, 0, -1, 0, 0},
                {"ftaf.ft__.docfile"}, {"ftef.ft__.docfile"}, {}, {"docfile\\shell\\open\\command"}},
        Removal{"the only handler of its group", ITEM_SHELLEXTENSION, KestrowFixture::kIconHandler, true, false, 0,
                {-2, 0, -1, 0, 0}, {"ftss.ft__.txtfile.6"}, {"ftss.ft__.txtfile.1"}, {"txtfile\\shellex\\IconHandler"},
                {"CLSID\\{11111111-0000-0000-0000-000000000003}"}},
        Removal{"one of two in its group", ITEM_SHELLEXTENSION, KestrowFixture::kMenu1, false, false, 0,
                {-1, 0, -1, 0, 0}, {}, {KestrowFixture::kMenu2}, {}, {"txtfile\\shellex\\ContextMenuHandlers\\Menu1"}},
        // With RemoveFull its class goes too.
        Removal{"the last handler of a type", ITEM_SHELLEXTENSION, KestrowFixture::kDocPage, true, true, 0,
                {-3, 0, -1, 0, 0}, {"ftsf.ft__.docfile", "ftss.ft__.docfile.0"},
                {"ftaf.ft__.docfile", "ftef.ft__.docfile"},
                {"docfile\\shellex\\PropertySheetHandlers\\Page", "CLSID\\{44444444-0000-0000-0000-000000000001}"}, {}},
        Removal{"a handler of an extension", ITEM_SHELLEXTENSION, KestrowFixture::kTxtHandler, true, false, 0,
                {-2, 0, -1, 0, 0}, {"fesf.fe__..txt"}, {"fe__..txt"},
                {".txt\\shellex\\{33333333-0000-0000-0000-000000000001}"}, {".txt"}},
        // Its node, Extensions, .doc, Actions, open, Shell Extensions, the group and its handler.
        Removal{"a file type", ITEM_FILETYPE, kDoc, false, false, 0, {-8, -1, -3, 0, -1}, {KestrowFixture::kDocPage},
                {}, {}, {"docfile"}},
        // With RemoveFull its extensions go from the registry too.
        Removal{"a file type fully", ITEM_FILETYPE, kTxt, true, true, 0, {-15, -1, -8, 0, -1},
                {"fe__..log", KestrowFixture::kMenu1}, {}, {"txtfile", ".txt", ".log"}, {".doc"}},
        Removal{"an unknown kind", 9, kTxt, true, true, kResultBadItemType, {0, 0, 0, 0, 0}, {}, {}, {}, {"txtfile"}}),
    [](const auto& param) { return testName(param.param.label); });

// ---- WriteItem, LoadItem

TEST_F(KestrowItems, WriteAndLoadReturnTheRecordsOwnResults)
{
    const auto open = item<ActionObject>(u"ac__.open.txtfile"_s);
    ASSERT_TRUE(open);
    open->Command = u"editor.exe \"%1\""_s;
    open->Name = u"Open here"_s;
    EXPECT_EQ(control.WriteItem(ITEM_ACTION, open), 0);
    EXPECT_EQ(probe::text(u"txtfile\\shell\\open\\command"_s), u"editor.exe \"%1\""_s);
    EXPECT_EQ(node(open->Key())->text(), u"Open"_s); // the tree waits for UpdateItem

    const auto menu = item<ShellExtensionObject>(kMenu1);
    ASSERT_TRUE(menu);
    menu->Name = u"Menu Uno"_s;
    EXPECT_EQ(control.WriteItem(ITEM_SHELLEXTENSION, menu), 0);
    EXPECT_EQ(probe::text(u"CLSID\\{11111111-0000-0000-0000-000000000001}"_s), u"Menu Uno"_s);

    const auto log = item<FileExtensionObject>(u"fe__..log"_s);
    log->ContentType = u"text/x-log"_s;
    EXPECT_EQ(control.WriteItem(ITEM_FILEEXTENSION, log), 0);
    EXPECT_EQ(probe::text(u".log"_s, u"Content Type"_s), u"text/x-log"_s);

    EXPECT_EQ(control.WriteItem(ITEM_FILETYPE, std::make_shared<FileTypeObject>(), true), kErrCreateKey);
    EXPECT_EQ(control.WriteItem(ITEM_FILEEXTENSION, std::make_shared<FileExtensionObject>()), kErrCreateKey);

    // Loading reads the registry again, over what the record held.
    open->Command = u"changed in memory"_s;
    EXPECT_EQ(control.LoadItem(ITEM_ACTION, open), 0);
    EXPECT_EQ(open->Command, u"editor.exe \"%1\""_s);
    EXPECT_EQ(control.LoadItem(ITEM_FILETYPE, newrecord::type(u"nosuchfile"_s, {}, {}), true), kErrNoInternalName);
    EXPECT_EQ(control.LoadItem(ITEM_SHELLEXTENSION, newrecord::handler(1, u"txtfile"_s, u"Gone"_s)), kErrInternalName);
    const auto txt = type(kTxt);
    txt->Actions.clear();
    EXPECT_EQ(control.LoadItem(ITEM_FILETYPE, txt, true), 0);
    EXPECT_EQ(txt->Actions.count(), 2);

    const Totals before = totals();
    EXPECT_EQ(control.WriteItem(5, open), kResultBadItemType);
    EXPECT_EQ(control.LoadItem(5, open), kResultBadItemType);
    EXPECT_EQ(totals(), before);
}

// ---- UpdateItem

TEST_F(KestrowItems, UpdatingAFileTypeRebuildsItsNodeFromTheRecord)
{
    const auto txt = type(kTxt);
    txt->Name = u"A Text"_s;
    txt->Actions.remove(u"ac__.print.txtfile"_s);
    auto edit = newrecord::action(u"edit"_s, u"txtfile"_s, u"Edit"_s);
    txt->Actions.add(edit->Key(), edit);
    txt->ShellExtensions.clear();

    ASSERT_EQ(control.UpdateItem(ITEM_FILETYPE, txt), 0);
    EXPECT_EQ(node(kTxt)->text(), u"A Text"_s);
    EXPECT_EQ(childKeys(kTxt), (QStringList{"ftaf.ft__.txtfile", "ftef.ft__.txtfile"}));
    EXPECT_EQ(childKeys(u"ftaf.ft__.txtfile"_s), (QStringList{"ac__.edit.txtfile", "ac__.open.txtfile"}));
    EXPECT_FALSE(node(u"ac__.print.txtfile"_s));
    EXPECT_FALSE(node(kMenu1));
    EXPECT_TRUE(node(kTxtHandler));
    // Renamed, it moves to its place among the others.
    EXPECT_EQ(childKeys(), (QStringList{"sp__.OrphanedExtFolder", "sp__.SpecialTypeFolder", kTxt, kDoc}));
    EXPECT_EQ(control.GetItemFromKey(edit->Key()), edit);
}

TEST_F(KestrowItems, UpdatingAFileTypeReloadsItsIconOnlyWhenAsked)
{
    const auto txt = type(kTxt);
    const int images = control.imlIcons().Count();
    txt->IconPath = u"C:\\icons\\blue.ico"_s;
    ASSERT_EQ(control.UpdateItem(ITEM_FILETYPE, txt), 0);
    EXPECT_EQ(imageColour(kTxt), kRed);

    txt->UpdateIcon = true;
    ASSERT_EQ(control.UpdateItem(ITEM_FILETYPE, txt), 0);
    EXPECT_EQ(imageColour(kTxt), kBlue);
    EXPECT_FALSE(txt->UpdateIcon);
    EXPECT_EQ(node(kTxt)->image(), kTxt);
    EXPECT_EQ(node(u"fe__..txt"_s)->image(), kTxt);
    EXPECT_EQ(control.imlIcons().Count(), images);

    txt->IconPath = u"C:\\icons\\missing.ico,2"_s;
    txt->UpdateIcon = true;
    ASSERT_EQ(control.UpdateItem(ITEM_FILETYPE, txt), 0);
    EXPECT_TRUE(showsDefaultIcon(kTxt));
}

TEST_F(KestrowItems, UpdatingAMemberChangesOnlyItsNode)
{
    const auto log = item<FileExtensionObject>(u"fe__..log"_s);
    log->HostTypeKey = kDoc; // associated with another type, written by the host
    ASSERT_EQ(control.UpdateItem(ITEM_FILEEXTENSION, log), 0);
    EXPECT_EQ(node(log->Key())->image(), kDoc);

    const auto open = item<ActionObject>(u"ac__.open.txtfile"_s);
    open->Name = u"View"_s;
    ASSERT_EQ(control.UpdateItem(ITEM_ACTION, open), 0);
    // "Print" < "View"
    EXPECT_EQ(childKeys(u"ftaf.ft__.txtfile"_s), (QStringList{"ac__.print.txtfile", "ac__.open.txtfile"}));

    const auto menu = item<ShellExtensionObject>(kMenu2);
    menu->Name = u"Another Menu"_s;
    ASSERT_EQ(control.UpdateItem(ITEM_SHELLEXTENSION, menu), 0);
    EXPECT_EQ(node(kMenu2)->text(), u"Another Menu"_s);

    const Totals before = totals();
    EXPECT_EQ(control.UpdateItem(7, menu), 0);
    EXPECT_EQ(totals(), before);
    // A record the tree does not show cannot be updated.
    EXPECT_NE(control.UpdateItem(ITEM_ACTION, newrecord::action(u"play"_s, u"txtfile"_s, u"Play"_s)), 0);
    EXPECT_EQ(totals(), before);
}

// ---- CopyItem

TEST_F(KestrowItems, CopiesAreDetachedAndCarryEveryFieldButTheLock)
{
    const auto handlerFields = [](const ShellExtensionObject& h) {
        return std::tuple(h.Approved, h.CLSID, h.ExtTypeGroup, h.ExtTypeIndex, h.ExtTypeKey, h.FileExtensionSH,
                          h.HostInternalName, h.HostTypeKey, h.Inproc, h.Inproc32, h.InternalName, h.Name,
                          h.ThreadModel);
    };
    // A handler of a type and one of an extension: between them every flag is set once.
    for (const QString& key : {kMenu1, kTxtHandler}) {
        SCOPED_TRACE(key.toStdString());
        const auto handler = item<ShellExtensionObject>(key);
        ASSERT_TRUE(handler);
        handler->Approved = true;
        handler->HostTypeKey = u"host"_s;
        handler->Inproc = u"menu16.dll"_s;
        handler->Inproc32 = u"menu32.dll"_s;
        handler->ThreadModel = u"Both"_s;
        handler->Locked = true;
        const QString name = handler->Name;
        const auto copy =
            std::dynamic_pointer_cast<ShellExtensionObject>(control.CopyItem(ITEM_SHELLEXTENSION, handler));
        ASSERT_TRUE(copy);
        EXPECT_NE(copy, handler);
        EXPECT_FALSE(copy->Locked);
        EXPECT_EQ(handlerFields(*copy), handlerFields(*handler));
        copy->Name = u"Changed copy"_s;
        EXPECT_EQ(handler->Name, name);
        EXPECT_EQ(control.GetItemFromKey(key), handler);
    }

    const auto open = item<ActionObject>(u"ac__.open.txtfile"_s);
    open->DDE_App = u"Notepad"_s;
    open->DDE_AppNoRun = u"[run]"_s;
    open->DDE_Message = u"[open(\"%1\")]"_s;
    open->DDE_Topic = u"System"_s;
    open->Locked = true;
    const auto action = std::dynamic_pointer_cast<ActionObject>(control.CopyItem(ITEM_ACTION, open));
    ASSERT_TRUE(action);
    EXPECT_NE(action, open);
    EXPECT_FALSE(action->Locked);
    const auto actionFields = [](const ActionObject& a) {
        return std::tuple(a.Command, a.CommandKey, a.DDE_App, a.DDE_AppNoRun, a.DDE_Message, a.DDE_Topic,
                          a.HostInternalName, a.HostTypeKey, a.Name);
    };
    EXPECT_EQ(actionFields(*action), actionFields(*open));
    EXPECT_EQ(type(kTxt)->Actions.count(), 2);

    EXPECT_FALSE(control.CopyItem(ITEM_FILETYPE, type(kTxt)));
    EXPECT_FALSE(control.CopyItem(ITEM_FILEEXTENSION, item<FileExtensionObject>(u"fe__..txt"_s)));
    EXPECT_FALSE(control.CopyItem(ITEM_ACTION, item<ShellExtensionObject>(kMenu1))); // a record of another kind
}

// ---- lookups and the rest of the interface

TEST_F(KestrowItems, EveryNodeOfARecordLeadsToThatRecordAndFoldersToNone)
{
    const auto txt = type(kTxt);
    const std::vector<std::pair<QString, std::shared_ptr<ItemObject>>> records{
        {kTxt, txt},
        {"ft__.Folder", type(u"ft__.Folder"_s)},
        {"fe__..log", txt->FileExtensions.value(u"fe__..log"_s)},
        {"fe__..zzz", control.OrphanedExtensions().value(u"fe__..zzz"_s)},
        {"ac__.print.txtfile", txt->Actions.value(u"ac__.print.txtfile"_s)},
        {kMenu2, txt->ShellExtensions.value(kMenu2)},
        {kIconHandler, txt->ShellExtensions.value(kIconHandler)},
        {kTxtHandler, txt->FileExtensions.value(u"fe__..txt"_s)->ShellExtensions.value(kTxtHandler)},
        {kDocPage, type(kDoc)->ShellExtensions.value(kDocPage)},
    };
    for (const auto& [key, record] : records) {
        SCOPED_TRACE(key.toStdString());
        ASSERT_TRUE(record);
        EXPECT_EQ(control.GetItemFromKey(key), record);
        EXPECT_EQ(control.GetItemFromKey(key.toUpper()), record);
        EXPECT_EQ(control.GetItemFromNode(node(key)), record);
        control.SelectNode(node(key));
        EXPECT_EQ(control.GetSelectedItem(), record);
    }
    for (const char* key : {"ftef.ft__.txtfile", "ftaf.ft__.txtfile", "ftsf.ft__.txtfile", "ftss.ft__.txtfile.1",
                            "fesf.fe__..txt", "sp__.SpecialTypeFolder", "sp__.OrphanedExtFolder", "ft__.nosuch",
                            "fe__..nosuch", ""}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(control.GetItemFromKey(QString::fromLatin1(key)));
    }
    EXPECT_FALSE(control.GetItemFromNode(nullptr));
    EXPECT_FALSE(control.GetNodeFromKey(u"ftaf.ft__.nosuch"_s));
}

TEST_F(KestrowItems, CountVersionAndClear)
{
    EXPECT_EQ(control.GetVersionString(), u"2.0.1"_s);
    EXPECT_EQ(control.Count(), 3); // txtfile, docfile and the special type Folder
    const int images = control.imlIcons().Count();
    control.Clear();
    // The image list stays.
    EXPECT_EQ(totals(), (Totals{0, 0, 0, 0, images}));
    EXPECT_EQ(control.tree().rowCount(), 0);
    EXPECT_FALSE(control.SelectedNode());
    EXPECT_FALSE(control.GetItemFromKey(kTxt));
    EXPECT_EQ(imageColour(kTxt), kRed);
}

} // namespace
