#include "app/shell/SelectionView.h"

#include "control/records/ActionObject.h"
#include "control/records/Definitions.h"
#include "control/records/FileExtensionObject.h"
#include "control/records/FileTypeObject.h"
#include "control/records/ShellExtensionObject.h"
#include "control/tree/ItemKinds.h"
#include "control/tree/KestrowCore.h"

namespace {

const QString kCaptionClsid = QStringLiteral("CLSID:");
const QString kCaptionInproc32 = QStringLiteral("Inprocess Server (32-bit):");
const QString kCaptionCommand = QStringLiteral("Command:");
const QString kNone = QStringLiteral("none");

QString orNone(const QString& text)
{
    return text.isEmpty() ? kNone : text;
}

QString trueFalse(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

void fillRows(SelectionView& view, const QString& caption, std::array<std::pair<QString, QString>, 3> rows)
{
    view.frameCaption = caption;
    view.showDescription = false;
    for (std::size_t i = 0; i < rows.size(); ++i)
        view.rows[i] = SelectionView::styledRow(rows[i].first, rows[i].second);
}

void describe(SelectionView& view, const QString& caption, const QString& description)
{
    view.frameCaption = caption;
    view.showDescription = true;
    view.description = description;
}

// The panel of a folder node, described by its owner's name; false for a node this window does
// not know, or whose owner cannot be found.
bool describeFolder(SelectionView& view, const KestrowCore& core, const KestrowNode& node)
{
    const QString& key = node.key();
    const QString prefix = key.left(5);
    auto ownerType = [&]() -> std::shared_ptr<FileTypeObject> {
        return std::dynamic_pointer_cast<FileTypeObject>(core.GetItemFromNode(node.parent()));
    };
    if (prefix == KEY_PREFIX_EXTENSIONSFOLDER || prefix == KEY_PREFIX_ACTIONSFOLDER || prefix == KEY_PREFIX_SHELLEXFOLDER) {
        const auto type = ownerType();
        if (!type)
            return false;
        if (prefix == KEY_PREFIX_EXTENSIONSFOLDER)
            describe(view, QStringLiteral("Extensions Key"),
                     QStringLiteral("This key lists all the file extensions associated with '") + type->Name +
                         QStringLiteral("'."));
        else if (prefix == KEY_PREFIX_ACTIONSFOLDER)
            describe(view, QStringLiteral("Actions Key"),
                     QStringLiteral("This key lists all the actions for '") + type->Name + QStringLiteral("'."));
        else
            describe(view, QStringLiteral("Shell Extensions Key"),
                     QStringLiteral("This key lists all the shell extensions for '") + type->Name + QStringLiteral("'."));
        return true;
    }
    if (prefix == KEY_PREFIX_SHELLEXGROUPFOLDER) {
        describe(view, node.text(),
                 QStringLiteral("This key lists all shell extensions of type '") + node.text() + QStringLiteral("'."));
        return true;
    }
    if (prefix == KEY_PREFIX_EXTENSIONSHELLEXFOLDER) {
        const auto extension = std::dynamic_pointer_cast<FileExtensionObject>(core.GetItemFromNode(node.parent()));
        if (!extension)
            return false;
        describe(view, QStringLiteral("Shell Extensions Key"),
                 QStringLiteral("This key lists all the shell extensions for the specific file extension '") +
                     extension->Extension + QStringLiteral("'."));
        return true;
    }
    if (key == KEY_SPECIALTYPEFOLDER) {
        describe(view, QStringLiteral("Special File Types Key"),
                 QStringLiteral("This key lists all the special file types defined in the registry such as file "
                                "folders, drives, printers, etc."));
        return true;
    }
    if (key == KEY_ORPHANEDEXTFOLDER) {
        describe(view, QStringLiteral("Orphaned File Extensions"),
                 QStringLiteral("This key lists orphaned file extensions found in the registry. A file extensions is "
                                "orphaned if it is not associated with a file type."));
        return true;
    }
    return false;
}

// The kind of item Add creates where a folder is selected; 0 where it creates nothing.
qint16 addKindOfFolder(const QString& key)
{
    const QString prefix = key.left(5);
    if (prefix == KEY_PREFIX_EXTENSIONSFOLDER)
        return ITEM_FILEEXTENSION;
    if (prefix == KEY_PREFIX_SHELLEXFOLDER || prefix == KEY_PREFIX_SHELLEXGROUPFOLDER ||
        prefix == KEY_PREFIX_EXTENSIONSHELLEXFOLDER)
        return ITEM_SHELLEXTENSION;
    if (prefix == KEY_PREFIX_ACTIONSFOLDER)
        return ITEM_ACTION;
    if (prefix == KEY_PREFIX_SPECIALFOLDER)
        return key == KEY_SPECIALTYPEFOLDER || key == KEY_ORPHANEDEXTFOLDER ? ITEM_FILETYPE : 0;
    return ITEM_FILETYPE;
}

} // namespace

SelectionView::Row SelectionView::styledRow(const QString& caption, const QString& value)
{
    Row row{caption, value, false, QString()};
    if (caption == kCaptionClsid && value != kNone) {
        row.link = true;
        row.toolTip = QStringLiteral("Click here to query the CLSID.");
    } else if ((caption == kCaptionInproc32 || caption == kCaptionCommand) && !value.isEmpty()) {
        row.link = true;
        row.toolTip = QStringLiteral("Click here to view the file property pages.");
    }
    return row;
}

SelectionView SelectionView::of(const KestrowCore& core, const KestrowNode* selected)
{
    SelectionView view;
    view.frameCaption = QStringLiteral("Information");
    view.description = kInfoPrompt;
    view.item = core.GetItemFromNode(selected);
    view.kind = view.item ? view.item->ItemType() : qint16(0);

    bool special = false;
    if (view.item) {
        VisitItem(view.kind, view.item,
                  Overloaded{[&](const std::shared_ptr<FileTypeObject>& type) {
                                 special = type->Special;
                                 fillRows(view, type->Name,
                                          {{{QStringLiteral("Internal Name:"), type->InternalName},
                                            {kCaptionClsid, orNone(type->CLSID)},
                                            {QStringLiteral("Flags:"),
                                             type->Flags == 0 ? kNone : QString::number(type->Flags)}}});
                                 return 0L;
                             },
                             [&](const std::shared_ptr<FileExtensionObject>& ext) {
                                 fillRows(view, QStringLiteral("File Type Extension"),
                                          {{{QStringLiteral("Extension:"), ext->Extension},
                                            {QStringLiteral("Content Type:"), orNone(ext->ContentType)},
                                            {QStringLiteral("Info Tip:"), orNone(ext->InfoTip)}}});
                                 return 0L;
                             },
                             [&](const std::shared_ptr<ShellExtensionObject>& handler) {
                                 fillRows(view, u'\'' + handler->Name + QStringLiteral("' Shell Extension"),
                                          {{{kCaptionClsid, handler->CLSID},
                                            {kCaptionInproc32, handler->Inproc32},
                                            {QStringLiteral("Approved:"), trueFalse(handler->Approved)}}});
                                 return 0L;
                             },
                             [&](const std::shared_ptr<ActionObject>& action) {
                                 const bool dde = !action->DDE_App.isEmpty() || !action->DDE_AppNoRun.isEmpty() ||
                                                  !action->DDE_Message.isEmpty() || !action->DDE_Topic.isEmpty();
                                 fillRows(view, u'\'' + action->Name + QStringLiteral("' Action"),
                                          {{{kCaptionCommand, action->Command},
                                            {QStringLiteral("Action Key:"), action->CommandKey},
                                            {QStringLiteral("Uses DDE:"), trueFalse(dde)}}});
                                 return 0L;
                             }});
        view.addKind = view.kind;
    } else if (selected) {
        describeFolder(view, core, *selected);
        view.addKind = addKindOfFolder(selected->key());
    } else {
        view.addKind = ITEM_FILETYPE;
    }

    for (const KestrowNode* node = selected; node && view.hostTypeKey.isEmpty(); node = node->parent())
        if (const auto type = std::dynamic_pointer_cast<FileTypeObject>(core.GetItemFromNode(node)))
            view.hostTypeKey = type->Key();

    if (core.Count() > 0) {
        view.canFind = true;
        view.canAdd = view.addKind != 0;
        view.canEdit = view.item != nullptr;
        view.canRemove = view.item != nullptr && !special;
    }
    view.canRefresh = view.kind == ITEM_FILETYPE;
    view.canAssociate = view.kind == ITEM_FILEEXTENSION;
    // A handler of an extension lives under the extension's key; a copy for a file type would keep
    // the extension's place and be written where no file type reads it.
    const auto handler = std::dynamic_pointer_cast<ShellExtensionObject>(view.item);
    view.canAddTo = view.kind == ITEM_ACTION || (handler && !handler->FileExtensionSH);
    return view;
}
