#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/tree/IconList.h"
#include "tests/control/tree/KestrowFixture.h"
#include "tests/support/RegistryProbe.h"

#include <functional>
#include <ostream>
#include <tuple>
#include <vector>

namespace {

const QString kTxt = QStringLiteral("ft__.txtfile");
const QString kDoc = QStringLiteral("ft__.docfile");

// What a caller sees of the control as a whole.
struct Totals {
    int nodes;
    int types;
    int orphans;
    int images;
    bool operator==(const Totals&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Totals& t)
{
    return out << t.nodes << " nodes, " << t.types << " types, " << t.orphans << " orphans, " << t.images << " images";
}

std::shared_ptr<ActionObject> newAction(const QString& verb, const QString& hostName, const QString& name)
{
    auto action = std::make_shared<ActionObject>();
    action->CommandKey = verb;
    action->HostInternalName = hostName;
    action->HostTypeKey = FileTypeKey(hostName);
    action->Name = name;
    action->Command = QStringLiteral("app.exe %1");
    return action;
}

std::shared_ptr<ShellExtensionObject> newTypeHandler(const QString& clsid, qint16 group, const QString& hostName,
                                                     const QString& name)
{
    auto handler = std::make_shared<ShellExtensionObject>();
    handler->CLSID = clsid;
    handler->ExtTypeIndex = group;
    handler->ExtTypeKey = DefinitionField(SECTION_SHELLEX, group, FIELD_KEY);
    handler->ExtTypeGroup = DefinitionGroup(SECTION_SHELLEX, group).value_or(false);
    handler->InternalName = name;
    handler->HostInternalName = hostName;
    handler->HostTypeKey = FileTypeKey(hostName);
    handler->Name = name;
    return handler;
}

std::shared_ptr<ShellExtensionObject> newExtensionHandler(const QString& clsid, const QString& extension,
                                                          const QString& name)
{
    auto handler = std::make_shared<ShellExtensionObject>();
    handler->FileExtensionSH = true;
    handler->CLSID = clsid;
    handler->ExtTypeIndex = -1;
    handler->ExtTypeKey = clsid;
    handler->InternalName = clsid;
    handler->HostInternalName = extension;
    handler->HostTypeKey = FileExtensionKey(extension);
    handler->Name = name;
    return handler;
}

std::shared_ptr<FileExtensionObject> newExtension(const QString& extension, const QString& hostName)
{
    auto ext = std::make_shared<FileExtensionObject>();
    ext->Extension = extension;
    ext->InternalName = hostName;
    ext->HostTypeKey = FileTypeKey(hostName);
    return ext;
}

class KestrowItems : public KestrowFixture {
protected:
    KestrowItems()
        : KestrowFixture(sampleSections())
    {
        writeIcon(QStringLiteral("icons\\red.ico"), kRed);
        writeIcon(QStringLiteral("icons\\blue.ico"), kBlue);
    }

    void SetUp() override
    {
        ASSERT_EQ(load(), 0);
        ASSERT_TRUE(ui.boxes().empty());
    }

    Totals totals()
    {
        return {control.tree().count(), static_cast<int>(control.Count()), control.OrphanedExtensions().count(),
                control.imlIcons().Count()};
    }

    std::shared_ptr<FileTypeObject> type(const QString& key) { return control.FileTypeCollection().value(key); }
};

// ---- AddItem

TEST_F(KestrowItems, AddingAFileTypeShowsItWithItsMembersAndItsIcon)
{
    auto added = std::make_shared<FileTypeObject>();
    added->InternalName = QStringLiteral("newfile");
    added->Name = QStringLiteral("New Type");
    added->IconPath = QStringLiteral("C:\\icons\\blue.ico");
    auto ext = newExtension(QStringLiteral(".new"), QStringLiteral("newfile"));
    added->FileExtensions.add(ext->Key(), ext);
    auto action = newAction(QStringLiteral("open"), QStringLiteral("newfile"), QStringLiteral("Open"));
    added->Actions.add(action->Key(), action);

    ASSERT_EQ(control.AddItem(ITEM_FILETYPE, added), 0);
    EXPECT_EQ(type(QStringLiteral("ft__.newfile")), added);
    ASSERT_TRUE(node(QStringLiteral("ft__.newfile")));
    EXPECT_FALSE(node(QStringLiteral("ft__.newfile"))->parent());
    EXPECT_EQ(node(QStringLiteral("ft__.newfile"))->text(), QStringLiteral("New Type"));
    EXPECT_EQ(imageColour(QStringLiteral("ft__.newfile")), kBlue);
    EXPECT_EQ(control.GetItemFromKey(ext->Key()), ext);
    EXPECT_EQ(control.GetItemFromKey(action->Key()), action);

    // A type whose icon cannot be drawn shows the default icon.
    auto plain = std::make_shared<FileTypeObject>();
    plain->InternalName = QStringLiteral("plainfile");
    plain->Name = QStringLiteral("Plain");
    plain->IconPath = QStringLiteral("C:\\icons\\missing.ico");
    ASSERT_EQ(control.AddItem(ITEM_FILETYPE, plain), 0);
    EXPECT_TRUE(
        sameImage(control.imlIcons().Image(plain->Key()), QIcon(GetIcon(kDefaultIconLocation, ICON_SMALL))));
}

TEST_F(KestrowItems, AddingUnderAKeyInUseOrOfAnUnknownKindChangesNothing)
{
    const Totals before = totals();
    const auto original = type(kTxt);

    auto twin = std::make_shared<FileTypeObject>();
    twin->InternalName = QStringLiteral("TXTFILE");
    twin->Name = QStringLiteral("Impostor");
    twin->IconPath = QStringLiteral("C:\\icons\\blue.ico");
    EXPECT_EQ(control.AddItem(ITEM_FILETYPE, twin), kErrDuplicateKey);
    EXPECT_EQ(type(kTxt), original);
    EXPECT_EQ(node(kTxt)->text(), QStringLiteral("Text Document"));
    EXPECT_EQ(imageColour(kTxt), kRed);

    const auto txt = original->FileExtensions.value(QStringLiteral("fe__..txt"));
    EXPECT_EQ(control.AddItem(ITEM_FILEEXTENSION, newExtension(QStringLiteral(".TXT"), QStringLiteral("txtfile"))),
              kErrDuplicateKey);
    EXPECT_EQ(original->FileExtensions.value(QStringLiteral("fe__..txt")), txt);
    EXPECT_EQ(control.AddItem(ITEM_ACTION, newAction(QStringLiteral("open"), QStringLiteral("txtfile"), QStringLiteral("X"))),
              kErrDuplicateKey);
    EXPECT_EQ(node(QStringLiteral("ac__.open.txtfile"))->text(), QStringLiteral("Open"));

    for (qint16 kind : {qint16(0), qint16(5)})
        EXPECT_EQ(control.AddItem(kind, newExtension(QStringLiteral(".odd"), QStringLiteral("txtfile"))),
                  kResultBadItemType);
    EXPECT_EQ(totals(), before);
    EXPECT_EQ(original->FileExtensions.count(), 2);
    EXPECT_EQ(original->Actions.count(), 2);
}

TEST_F(KestrowItems, AddedMembersGoIntoTheirFolderMadeOnFirstUse)
{
    struct Case {
        const char* label;
        qint16 kind;
        std::function<std::shared_ptr<ItemObject>()> make;
        QString folder;
        QString folderText;
        QString folderImage;
        QString text;
        QString image;
        int siblings; // in the folder afterwards, the added one included
    };
    const QString clsid = QStringLiteral("{55555555-0000-0000-0000-000000000001}");
    const std::vector<Case> cases{
        {"extension, existing folder", ITEM_FILEEXTENSION,
         [] { return newExtension(QStringLiteral(".text"), QStringLiteral("txtfile")); }, "ftef.ft__.txtfile",
         "Extensions", "favfolder.closed", ".text", kTxt, 3},
        {"extension, new folder", ITEM_FILEEXTENSION,
         [] { return newExtension(QStringLiteral(".dir"), QStringLiteral("Folder")); }, "ftef.ft__.Folder",
         "Extensions", "favfolder.closed", ".dir", "ft__.Folder", 1},
        {"action, existing folder", ITEM_ACTION,
         [] { return newAction(QStringLiteral("edit"), QStringLiteral("txtfile"), QStringLiteral("Edit")); },
         "ftaf.ft__.txtfile", "Actions", "progfolder.closed", "Edit", "action.default", 3},
        {"action, new folder", ITEM_ACTION,
         [] { return newAction(QStringLiteral("explore"), QStringLiteral("Folder"), QStringLiteral("Explore")); },
         "ftaf.ft__.Folder", "Actions", "progfolder.closed", "Explore", "action.default", 1},
        {"handler, existing group", ITEM_SHELLEXTENSION,
         [clsid] { return newTypeHandler(clsid, 1, QStringLiteral("txtfile"), QStringLiteral("Menu Three")); },
         "ftss.ft__.txtfile.1", "Context Menu Handlers", "controlfolder.closed", "Menu Three", "shellext.default", 3},
        {"handler, new group", ITEM_SHELLEXTENSION,
         [clsid] { return newTypeHandler(clsid, 0, QStringLiteral("txtfile"), QStringLiteral("Sheet")); },
         "ftss.ft__.txtfile.0", "Property Sheet Handlers", "controlfolder.closed", "Sheet", "shellext.default", 1},
        {"handler, new folders", ITEM_SHELLEXTENSION,
         [clsid] { return newTypeHandler(clsid, 3, QStringLiteral("Folder"), QStringLiteral("Dropper")); },
         "ftss.ft__.Folder.3", "Drag-Drop Handlers", "controlfolder.closed", "Dropper", "shellext.default", 1},
        {"extension handler, existing folder", ITEM_SHELLEXTENSION,
         [clsid] { return newExtensionHandler(clsid, QStringLiteral(".txt"), QStringLiteral("Peek")); },
         "fesf.fe__..txt", "Shell Extensions", "controlfolder.closed", "Peek", "shellext.default", 2},
        {"extension handler, new folder", ITEM_SHELLEXTENSION,
         [clsid] { return newExtensionHandler(clsid, QStringLiteral(".log"), QStringLiteral("Tail")); },
         "fesf.fe__..log", "Shell Extensions", "controlfolder.closed", "Tail", "shellext.default", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::shared_ptr<ItemObject> record = c.make();
        const int nodesBefore = control.tree().count();
        const bool folderExisted = node(c.folder) != nullptr;
        ASSERT_EQ(control.AddItem(c.kind, record), 0);
        const KestrowNode* n = node(record->Key());
        ASSERT_TRUE(n);
        EXPECT_EQ(n->text(), c.text);
        EXPECT_EQ(n->image(), c.image);
        ASSERT_TRUE(n->parent());
        EXPECT_EQ(n->parent()->key(), c.folder);
        EXPECT_EQ(n->parent()->text(), c.folderText);
        EXPECT_EQ(n->parent()->image(), c.folderImage);
        EXPECT_EQ(n->parent()->childCount(), c.siblings);
        // The new node, and no folder twice.
        EXPECT_GT(control.tree().count(), nodesBefore);
        if (folderExisted) {
            EXPECT_EQ(control.tree().count(), nodesBefore + 1);
        }
        // The record is the one the host finds again through its key.
        EXPECT_EQ(control.GetItemFromKey(record->Key()), record);
    }
    // The "Shell Extensions" folder of a type holds every group once.
    EXPECT_EQ(childKeys(QStringLiteral("ftsf.ft__.txtfile")),
              (QStringList{"ftss.ft__.txtfile.1", "ftss.ft__.txtfile.6", "ftss.ft__.txtfile.0"}));
}

// ---- RemoveItem

TEST_F(KestrowItems, RemovingTheLastExtensionRemovesItsTypeEverywhere)
{
    const auto doc = type(kDoc);
    const auto ext = doc->FileExtensions.value(QStringLiteral("fe__..doc"));
    const int images = control.imlIcons().Count();
    // Even when the host did not ask for the registry: a type without extensions is not kept.
    ASSERT_EQ(control.RemoveItem(ITEM_FILEEXTENSION, ext, false), 0);
    EXPECT_FALSE(control.FileTypeCollection().contains(kDoc));
    EXPECT_FALSE(node(kDoc));
    EXPECT_FALSE(node(QStringLiteral("fe__..doc")));
    EXPECT_FALSE(node(kDocPage));
    EXPECT_FALSE(control.imlIcons().Contains(kDoc));
    EXPECT_EQ(control.imlIcons().Count(), images - 1);
    EXPECT_FALSE(probe::keyExists(QStringLiteral("docfile")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral(".doc")));
}

TEST_F(KestrowItems, RemovingOneOfTwoExtensionsKeepsTheType)
{
    const auto txt = type(kTxt);
    ASSERT_EQ(control.RemoveItem(ITEM_FILEEXTENSION, txt->FileExtensions.value(QStringLiteral("fe__..log")), true), 0);
    EXPECT_EQ(type(kTxt), txt);
    EXPECT_EQ(childKeys(QStringLiteral("ftef.ft__.txtfile")), QStringList{"fe__..txt"});
    EXPECT_FALSE(probe::keyExists(QStringLiteral(".log")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral(".txt")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile")));
    EXPECT_TRUE(control.imlIcons().Contains(kTxt));
}

TEST_F(KestrowItems, RemovingTheOnlyActionRemovesItsFolder)
{
    const auto txt = type(kTxt);
    ASSERT_EQ(control.RemoveItem(ITEM_ACTION, txt->Actions.value(QStringLiteral("ac__.open.txtfile")), true), 0);
    EXPECT_EQ(childKeys(QStringLiteral("ftaf.ft__.txtfile")), QStringList{"ac__.print.txtfile"});
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile\\shell\\open")));

    ASSERT_EQ(control.RemoveItem(ITEM_ACTION, txt->Actions.value(QStringLiteral("ac__.print.txtfile")), false), 0);
    EXPECT_FALSE(node(QStringLiteral("ftaf.ft__.txtfile")));
    EXPECT_TRUE(txt->Actions.isEmpty());
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile\\shell\\print\\command")));
    EXPECT_TRUE(node(QStringLiteral("ftef.ft__.txtfile")));
}

TEST_F(KestrowItems, RemovingHandlersRemovesTheFoldersLeftEmpty)
{
    const auto txt = type(kTxt);
    const QString clsid2 = QStringLiteral("CLSID\\{11111111-0000-0000-0000-000000000002}");
    const QString clsid3 = QStringLiteral("CLSID\\{11111111-0000-0000-0000-000000000003}");

    // The only one of its group, among other groups: the group folder goes.
    ASSERT_EQ(control.RemoveItem(ITEM_SHELLEXTENSION, txt->ShellExtensions.value(kIconHandler), true, false), 0);
    EXPECT_FALSE(node(QStringLiteral("ftss.ft__.txtfile.6")));
    EXPECT_EQ(childKeys(QStringLiteral("ftsf.ft__.txtfile")), QStringList{"ftss.ft__.txtfile.1"});
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile\\shellex\\IconHandler")));
    EXPECT_TRUE(probe::keyExists(clsid3));

    // One of two in its group: only its node.
    ASSERT_EQ(control.RemoveItem(ITEM_SHELLEXTENSION, txt->ShellExtensions.value(kMenu1), false), 0);
    EXPECT_EQ(childKeys(QStringLiteral("ftss.ft__.txtfile.1")), QStringList{kMenu2});
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile\\shellex\\ContextMenuHandlers\\Menu1")));

    // The last one: the whole "Shell Extensions" folder, and with RemoveFull its class.
    ASSERT_EQ(control.RemoveItem(ITEM_SHELLEXTENSION, txt->ShellExtensions.value(kMenu2), true, true), 0);
    EXPECT_FALSE(node(QStringLiteral("ftsf.ft__.txtfile")));
    EXPECT_FALSE(node(QStringLiteral("ftss.ft__.txtfile.1")));
    EXPECT_TRUE(txt->ShellExtensions.isEmpty());
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile\\shellex\\ContextMenuHandlers\\Menu2")));
    EXPECT_FALSE(probe::keyExists(clsid2));
    EXPECT_EQ(childKeys(kTxt), (QStringList{"ftaf.ft__.txtfile", "ftef.ft__.txtfile"}));
}

TEST_F(KestrowItems, RemovingAHandlerOfAnExtensionAsLoaded)
{
    const auto txt = type(kTxt)->FileExtensions.value(QStringLiteral("fe__..txt"));
    const auto handler = item<ShellExtensionObject>(kTxtHandler);
    ASSERT_TRUE(handler);
    ASSERT_EQ(control.RemoveItem(ITEM_SHELLEXTENSION, handler, true), 0);
    EXPECT_TRUE(txt->ShellExtensions.isEmpty());
    EXPECT_FALSE(node(kTxtHandler));
    EXPECT_FALSE(node(QStringLiteral("fesf.fe__..txt")));
    EXPECT_TRUE(node(QStringLiteral("fe__..txt")));
    EXPECT_FALSE(probe::keyExists(QStringLiteral(".txt\\shellex\\{33333333-0000-0000-0000-000000000001}")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral(".txt")));
}

TEST_F(KestrowItems, RemovingAnOrphanedExtension)
{
    const auto orphan = control.OrphanedExtensions().value(QStringLiteral("fe__..zzz"));
    ASSERT_TRUE(orphan);
    ASSERT_EQ(control.RemoveItem(ITEM_FILEEXTENSION, orphan, true), 0);
    EXPECT_TRUE(control.OrphanedExtensions().isEmpty());
    EXPECT_FALSE(node(QStringLiteral("fe__..zzz")));
    EXPECT_TRUE(node(QStringLiteral("sp__.OrphanedExtFolder")));
    EXPECT_FALSE(probe::keyExists(QStringLiteral(".zzz")));
}

TEST_F(KestrowItems, RemovingAFileTypeTakesItsSubtreeAndWithRemoveFullItsExtensions)
{
    const Totals before = totals();
    ASSERT_EQ(control.RemoveItem(ITEM_FILETYPE, type(kDoc), false), 0);
    // docfile, Extensions, .doc, Actions, open, Shell Extensions, its group and its handler.
    EXPECT_EQ(totals(), (Totals{before.nodes - 8, before.types - 1, before.orphans, before.images - 1}));
    EXPECT_FALSE(control.GetItemFromKey(kDocPage));
    EXPECT_TRUE(probe::keyExists(QStringLiteral("docfile")));

    ASSERT_EQ(control.RemoveItem(ITEM_FILETYPE, type(kTxt), true, true), 0);
    EXPECT_FALSE(node(QStringLiteral("fe__..log")));
    EXPECT_FALSE(node(kMenu1));
    for (const char* key : {"txtfile", ".txt", ".log"})
        EXPECT_FALSE(probe::keyExists(QString::fromLatin1(key))) << key;
    EXPECT_TRUE(probe::keyExists(QStringLiteral(".doc")));
}

TEST_F(KestrowItems, RemovingAnUnknownKindChangesNothing)
{
    const Totals before = totals();
    EXPECT_EQ(control.RemoveItem(9, type(kTxt), true, true), kResultBadItemType);
    EXPECT_EQ(totals(), before);
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile")));
}

// ---- WriteItem, LoadItem

TEST_F(KestrowItems, WriteAndLoadReturnTheRecordsOwnResults)
{
    const auto open = item<ActionObject>(QStringLiteral("ac__.open.txtfile"));
    ASSERT_TRUE(open);
    open->Command = QStringLiteral("editor.exe \"%1\"");
    open->Name = QStringLiteral("Open here");
    EXPECT_EQ(control.WriteItem(ITEM_ACTION, open), 0);
    EXPECT_EQ(probe::text(QStringLiteral("txtfile\\shell\\open\\command")), QStringLiteral("editor.exe \"%1\""));
    EXPECT_EQ(node(open->Key())->text(), QStringLiteral("Open")); // the tree waits for UpdateItem

    const auto menu = item<ShellExtensionObject>(kMenu1);
    ASSERT_TRUE(menu);
    menu->Name = QStringLiteral("Menu Uno");
    EXPECT_EQ(control.WriteItem(ITEM_SHELLEXTENSION, menu), 0);
    EXPECT_EQ(probe::text(QStringLiteral("CLSID\\{11111111-0000-0000-0000-000000000001}")), QStringLiteral("Menu Uno"));

    const auto log = item<FileExtensionObject>(QStringLiteral("fe__..log"));
    log->ContentType = QStringLiteral("text/x-log");
    EXPECT_EQ(control.WriteItem(ITEM_FILEEXTENSION, log), 0);
    EXPECT_EQ(probe::text(QStringLiteral(".log"), QStringLiteral("Content Type")), QStringLiteral("text/x-log"));

    auto nameless = std::make_shared<FileTypeObject>();
    EXPECT_EQ(control.WriteItem(ITEM_FILETYPE, nameless, true), kErrCreateKey);
    EXPECT_EQ(control.WriteItem(ITEM_FILEEXTENSION, std::make_shared<FileExtensionObject>()), kErrCreateKey);

    // Loading reads the registry again, over what the record held.
    open->Command = QStringLiteral("changed in memory");
    EXPECT_EQ(control.LoadItem(ITEM_ACTION, open), 0);
    EXPECT_EQ(open->Command, QStringLiteral("editor.exe \"%1\""));
    auto missing = std::make_shared<FileTypeObject>();
    missing->InternalName = QStringLiteral("nosuchfile");
    EXPECT_EQ(control.LoadItem(ITEM_FILETYPE, missing, true), kErrNoInternalName);
    auto gone = newTypeHandler(QStringLiteral("{66666666-0000-0000-0000-000000000001}"), 1, QStringLiteral("txtfile"),
                               QStringLiteral("Gone"));
    EXPECT_EQ(control.LoadItem(ITEM_SHELLEXTENSION, gone), kErrInternalName);
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
    txt->Name = QStringLiteral("A Text");
    txt->Actions.remove(QStringLiteral("ac__.print.txtfile"));
    auto edit = newAction(QStringLiteral("edit"), QStringLiteral("txtfile"), QStringLiteral("Edit"));
    txt->Actions.add(edit->Key(), edit);
    txt->ShellExtensions.clear();

    ASSERT_EQ(control.UpdateItem(ITEM_FILETYPE, txt), 0);
    EXPECT_EQ(node(kTxt)->text(), QStringLiteral("A Text"));
    EXPECT_EQ(childKeys(kTxt), (QStringList{"ftaf.ft__.txtfile", "ftef.ft__.txtfile"}));
    EXPECT_EQ(childKeys(QStringLiteral("ftaf.ft__.txtfile")), (QStringList{"ac__.edit.txtfile", "ac__.open.txtfile"}));
    EXPECT_FALSE(node(QStringLiteral("ac__.print.txtfile")));
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
    txt->IconPath = QStringLiteral("C:\\icons\\blue.ico");
    ASSERT_EQ(control.UpdateItem(ITEM_FILETYPE, txt), 0);
    EXPECT_EQ(imageColour(kTxt), kRed);

    txt->UpdateIcon = true;
    ASSERT_EQ(control.UpdateItem(ITEM_FILETYPE, txt), 0);
    EXPECT_EQ(imageColour(kTxt), kBlue);
    EXPECT_FALSE(txt->UpdateIcon);
    EXPECT_EQ(node(kTxt)->image(), kTxt);
    EXPECT_EQ(node(QStringLiteral("fe__..txt"))->image(), kTxt);
    EXPECT_EQ(control.imlIcons().Count(), images);

    txt->IconPath = QStringLiteral("C:\\icons\\missing.ico,2");
    txt->UpdateIcon = true;
    ASSERT_EQ(control.UpdateItem(ITEM_FILETYPE, txt), 0);
    EXPECT_TRUE(sameImage(control.imlIcons().Image(kTxt), QIcon(GetIcon(kDefaultIconLocation, ICON_SMALL))));
}

TEST_F(KestrowItems, UpdatingAMemberChangesOnlyItsNode)
{
    const auto log = item<FileExtensionObject>(QStringLiteral("fe__..log"));
    log->HostTypeKey = kDoc; // associated with another type, written by the host
    ASSERT_EQ(control.UpdateItem(ITEM_FILEEXTENSION, log), 0);
    EXPECT_EQ(node(log->Key())->image(), kDoc);

    const auto open = item<ActionObject>(QStringLiteral("ac__.open.txtfile"));
    open->Name = QStringLiteral("View");
    ASSERT_EQ(control.UpdateItem(ITEM_ACTION, open), 0);
    EXPECT_EQ(childKeys(QStringLiteral("ftaf.ft__.txtfile")),
              (QStringList{"ac__.print.txtfile", "ac__.open.txtfile"})); // "Print" < "View"

    const auto menu = item<ShellExtensionObject>(kMenu2);
    menu->Name = QStringLiteral("Another Menu");
    ASSERT_EQ(control.UpdateItem(ITEM_SHELLEXTENSION, menu), 0);
    EXPECT_EQ(node(kMenu2)->text(), QStringLiteral("Another Menu"));

    const Totals before = totals();
    EXPECT_EQ(control.UpdateItem(7, menu), 0);
    EXPECT_EQ(totals(), before);
    // A record the tree does not show cannot be updated.
    EXPECT_NE(control.UpdateItem(ITEM_ACTION, newAction(QStringLiteral("play"), QStringLiteral("txtfile"), "Play")), 0);
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
        handler->HostTypeKey = QStringLiteral("host");
        handler->Inproc = QStringLiteral("menu16.dll");
        handler->Inproc32 = QStringLiteral("menu32.dll");
        handler->ThreadModel = QStringLiteral("Both");
        handler->Locked = true;
        const QString name = handler->Name;
        const auto copy =
            std::dynamic_pointer_cast<ShellExtensionObject>(control.CopyItem(ITEM_SHELLEXTENSION, handler));
        ASSERT_TRUE(copy);
        EXPECT_NE(copy, handler);
        EXPECT_FALSE(copy->Locked);
        EXPECT_EQ(handlerFields(*copy), handlerFields(*handler));
        copy->Name = QStringLiteral("Changed copy");
        EXPECT_EQ(handler->Name, name);
        EXPECT_EQ(control.GetItemFromKey(key), handler);
    }

    const auto open = item<ActionObject>(QStringLiteral("ac__.open.txtfile"));
    open->DDE_App = QStringLiteral("Notepad");
    open->DDE_AppNoRun = QStringLiteral("[run]");
    open->DDE_Message = QStringLiteral("[open(\"%1\")]");
    open->DDE_Topic = QStringLiteral("System");
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
    EXPECT_FALSE(control.CopyItem(ITEM_FILEEXTENSION, item<FileExtensionObject>(QStringLiteral("fe__..txt"))));
    EXPECT_FALSE(control.CopyItem(ITEM_ACTION, item<ShellExtensionObject>(kMenu1))); // a record of another kind
}

// ---- lookups and the rest of the interface

TEST_F(KestrowItems, EveryNodeOfARecordLeadsToThatRecordAndFoldersToNone)
{
    const auto txt = type(kTxt);
    const auto txtExt = txt->FileExtensions.value(QStringLiteral("fe__..txt"));
    const std::vector<std::pair<QString, std::shared_ptr<ItemObject>>> records{
        {kTxt, txt},
        {"ft__.Folder", type(QStringLiteral("ft__.Folder"))},
        {"fe__..log", txt->FileExtensions.value(QStringLiteral("fe__..log"))},
        {"fe__..zzz", control.OrphanedExtensions().value(QStringLiteral("fe__..zzz"))},
        {"ac__.print.txtfile", txt->Actions.value(QStringLiteral("ac__.print.txtfile"))},
        {kMenu2, txt->ShellExtensions.value(kMenu2)},
        {kIconHandler, txt->ShellExtensions.value(kIconHandler)},
        {kTxtHandler, txtExt->ShellExtensions.value(kTxtHandler)},
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
    EXPECT_FALSE(control.GetNodeFromKey(QStringLiteral("ftaf.ft__.nosuch")));
}

TEST_F(KestrowItems, CountVersionAndClear)
{
    EXPECT_EQ(control.GetVersionString(), QStringLiteral("2.0.1"));
    EXPECT_EQ(control.Count(), 3); // txtfile, docfile and the special type Folder
    const int images = control.imlIcons().Count();
    control.Clear();
    EXPECT_EQ(control.Count(), 0);
    EXPECT_TRUE(control.OrphanedExtensions().isEmpty());
    EXPECT_EQ(control.tree().count(), 0);
    EXPECT_EQ(control.tree().rowCount(), 0);
    EXPECT_FALSE(control.SelectedNode());
    EXPECT_FALSE(control.GetItemFromKey(kTxt));
    EXPECT_EQ(control.imlIcons().Count(), images);
    EXPECT_EQ(imageColour(kTxt), kRed);
}

} // namespace
