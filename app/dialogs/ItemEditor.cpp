#include "app/dialogs/ItemEditor.h"

#include "app/dialogs/FieldRules.h"
#include "app/shell/ItemCommands.h"
#include "common/MessageBoxes.h"
#include "common/ReadOnlyRegistry.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/RecordRegistry.h"
#include "control/records/RegistryAccess.h"
#include "control/tree/ItemKinds.h"
#include "control/tree/KestrowCore.h"
#include "control/tree/TreeLayout.h"
#include "platform/registry/CommandScope.h"

namespace {

constexpr int kTraceError = 902;

const QString kOrphaned = QStringLiteral("<orphaned>");
const QString kSameHandlerQuestion =
    QStringLiteral("A shell extension with the same properties already exists.\r\n\r\nAre you sure you want to continue?");

// One apply as one command: `body` changes the record and returns its outcome; the save's outcome
// joins it, and a failure is reported under `message`.
template <typename Body>
long runCommand(const QString& message, Body&& body)
{
    CommandScope command;
    const long rc = command.finish(runOperation(QStringLiteral("apply"), kTraceError, std::forward<Body>(body)));
    return ItemCommands::ReportFailure(rc, message);
}

// Writes a record that stays where it is, then shows it.
long writeAndShow(KestrowCore& control, qint16 kind, const std::shared_ptr<ItemObject>& item)
{
    const long rc = control.WriteItem(kind, item);
    return rc != 0 ? rc : control.UpdateItem(kind, item);
}

struct HandlerPlace {
    qint16 index;
    QString key;
    bool isGroup;
    QString internalName;
};

HandlerPlace placeOf(const ShellExtensionObject& handler)
{
    return {handler.ExtTypeIndex, handler.ExtTypeKey, handler.ExtTypeGroup, handler.InternalName};
}

void putAt(ShellExtensionObject& handler, const HandlerPlace& place)
{
    handler.ExtTypeIndex = place.index;
    handler.ExtTypeKey = place.key;
    handler.ExtTypeGroup = place.isGroup;
    handler.InternalName = place.internalName;
}

} // namespace

ItemEditor::ItemEditor(KestrowCore& control)
    : m_control(control)
    , m_tables(HandlerTables::Load())
{
}

// ---- load

FileTypeFields ItemEditor::load(const FileTypeObject& type) const
{
    FileTypeFields fields;
    fields.name = type.Name;
    fields.internalName = type.InternalName;
    fields.defaultIcon = type.IconPath;
    fields.clsid = type.CLSID;
    fields.flags = QString::number(type.Flags);
    fields.quickView = type.QuickView;
    return fields;
}

FileExtensionFields ItemEditor::load(const FileExtensionObject& extension) const
{
    FileExtensionFields fields;
    fields.extension = extension.Extension;
    fields.typeKey = extension.HostTypeKey;
    if (extension.HostTypeKey == kNotDefined)
        fields.typeName = kOrphaned;
    else if (const auto type = m_control.FileTypeCollection().value(extension.HostTypeKey))
        fields.typeName = type->Name;
    fields.contentType = extension.ContentType;
    fields.infoTip = extension.InfoTip;
    return fields;
}

ShellExtensionFields ItemEditor::load(const ShellExtensionObject& handler) const
{
    ShellExtensionFields fields;
    fields.name = handler.Name;
    fields.internalName = handler.InternalName;
    fields.clsid = handler.CLSID;
    fields.inproc32 = handler.Inproc32;
    fields.threadModel = m_tables.threadModelIndex(handler.ThreadModel);
    fields.group = m_tables.group(handler.ExtTypeIndex) ? handler.ExtTypeIndex : -1;
    fields.groupEditable = !handler.FileExtensionSH;
    fields.approved = handler.Approved;
    return fields;
}

ActionFields ItemEditor::load(const ActionObject& action) const
{
    ActionFields fields;
    fields.name = action.Name;
    fields.command = action.Command;
    fields.usesDde = action.usesDde();
    fields.ddeMessage = action.DDE_Message;
    fields.ddeApp = action.DDE_App;
    fields.ddeAppNoRun = action.DDE_AppNoRun;
    fields.ddeTopic = action.DDE_Topic;
    return fields;
}

// ---- apply

long ItemEditor::apply(const std::shared_ptr<FileTypeObject>& type, const FileTypeFields& fields)
{
    if (!type || RefuseWhenReadOnly())
        return kResultCancelled;
    const std::optional<quint32> flags = ParseFlagsText(fields.flags);
    if (!flags) {
        ShowInfo(kInvalidFlagsMessage);
        return kResultCancelled;
    }
    return runCommand(QStringLiteral("Error writing file type data to registry."), [&]() -> long {
        type->Name = fields.name;
        type->CLSID = fields.clsid;
        type->Flags = *flags;
        type->QuickView = fields.quickView;
        // Any change, of letter case too, may name another icon: the tree extracts it again.
        if (fields.defaultIcon != type->IconPath) {
            type->UpdateIcon = true;
            type->IconPath = fields.defaultIcon;
        }
        return writeAndShow(m_control, ITEM_FILETYPE, type);
    });
}

long ItemEditor::apply(const std::shared_ptr<FileExtensionObject>& extension, const FileExtensionFields& fields)
{
    if (!extension || RefuseWhenReadOnly())
        return kResultCancelled;
    const bool moves = !isSameName(fields.typeKey, extension->HostTypeKey);
    // The chosen type may have gone while the window was open.
    if (moves && !std::dynamic_pointer_cast<FileTypeObject>(m_control.GetItemFromKey(fields.typeKey))) {
        ShowInfo(QStringLiteral("You have to select a file type association."));
        return kResultCancelled;
    }
    const QString message = QStringLiteral("Error writing file extension data to registry.");
    if (!moves)
        return runCommand(message, [&]() -> long {
            extension->ContentType = fields.contentType;
            extension->InfoTip = fields.infoTip;
            return writeAndShow(m_control, ITEM_FILEEXTENSION, extension);
        });

    // Associate writes the extension's changed values with its new file type, and reports its
    // own failure; only a failed save of the whole command is left to report here.
    CommandScope command;
    extension->ContentType = fields.contentType;
    extension->InfoTip = fields.infoTip;
    const long rc = ItemCommands(m_control).Associate(extension, fields.typeKey, /*confirmed*/ true);
    const long saved = command.finish(rc);
    if (rc == 0 && saved != 0)
        ShowError(message, saved);
    return saved;
}

long ItemEditor::apply(const std::shared_ptr<ActionObject>& action, const ActionFields& fields)
{
    if (!action || RefuseWhenReadOnly())
        return kResultCancelled;
    return runCommand(QStringLiteral("Error writing action data to registry."), [&]() -> long {
        action->Name = fields.name;
        action->Command = fields.command;
        // The boxes keep their text while DDE is off; the record does not.
        action->DDE_Message = fields.usesDde ? fields.ddeMessage : QString();
        action->DDE_App = fields.usesDde ? fields.ddeApp : QString();
        action->DDE_AppNoRun = fields.usesDde ? fields.ddeAppNoRun : QString();
        action->DDE_Topic = fields.usesDde ? fields.ddeTopic : QString();
        return writeAndShow(m_control, ITEM_ACTION, action);
    });
}

long ItemEditor::apply(const std::shared_ptr<ShellExtensionObject>& handler, const ShellExtensionFields& fields)
{
    if (!handler || RefuseWhenReadOnly())
        return kResultCancelled;

    // A handler of an extension keeps its group; so does one whose group has the same key.
    const HandlerTables::Group* target = nullptr;
    if (fields.groupEditable && !handler->FileExtensionSH && fields.group != handler->ExtTypeIndex)
        if (const HandlerTables::Group* group = m_tables.group(fields.group); group && !isSameName(group->key, handler->ExtTypeKey))
            target = group;
    std::shared_ptr<ShellExtensionObject> occupant;
    if (target) {
        occupant = occupantOf(*handler, *target);
        bool taken = occupant != nullptr;
        // A single-handler slot may hold a class the tree does not show (its class key is missing).
        if (!target->isGroup && !taken) {
            const QString slotClsid =
                regReadTextValue(HKEY_CLASSES_ROOT, handler->HostInternalName + QStringLiteral("\\shellex\\") + target->key,
                                 QString())
                    .text.trimmed();
            taken = !slotClsid.isEmpty() && !isSameName(slotClsid, handler->CLSID);
        }
        if (taken && AskQuestion(kSameHandlerQuestion, vbYesNo) != vbYes)
            return kResultCancelled;
    }

    // A threading model the list shows in other letter case is the one the record has.
    QString threadModel = handler->ThreadModel;
    if (fields.threadModel >= 0 && fields.threadModel < m_tables.threadModels().size())
        if (const QString& chosen = m_tables.threadModels()[fields.threadModel].value; !isSameName(chosen, threadModel))
            threadModel = chosen;

    return runCommand(QStringLiteral("Error writing shell extension data to registry."), [&]() -> long {
        handler->Name = fields.name;
        handler->Inproc32 = fields.inproc32;
        handler->Approved = fields.approved;
        handler->ThreadModel = threadModel;
        return target ? moveHandler(handler, *target, occupant) : writeAndShow(m_control, ITEM_SHELLEXTENSION, handler);
    });
}

std::shared_ptr<ShellExtensionObject> ItemEditor::occupantOf(const ShellExtensionObject& handler,
                                                             const HandlerTables::Group& target) const
{
    const auto type = m_control.FileTypeCollection().value(handler.HostTypeKey);
    if (!type)
        return nullptr;
    if (auto same = type->ShellExtensions.value(ShellExtensionKey(handler.CLSID, target.index, handler.HostInternalName)))
        return same;
    if (!target.isGroup)
        for (const auto& member : type->ShellExtensions)
            if (member.item->ExtTypeIndex == target.index)
                return member.item;
    return nullptr;
}

long ItemEditor::moveHandler(const std::shared_ptr<ShellExtensionObject>& handler, const HandlerTables::Group& target,
                             const std::shared_ptr<ShellExtensionObject>& occupant)
{
    // The registration the handler leaves, taken out once the new one is written.
    const auto old = std::static_pointer_cast<ShellExtensionObject>(m_control.CopyItem(ITEM_SHELLEXTENSION, handler));
    const HandlerPlace from = placeOf(*handler);
    // A member is named by its CLSID, as the add window names it, unless the group holds this
    // class already: then its key is reused rather than doubled.
    QString internalName = target.key;
    if (target.isGroup)
        internalName =
            occupant && isSameName(occupant->CLSID, handler->CLSID) ? occupant->InternalName : handler->CLSID;
    putAt(*handler, {static_cast<qint16>(target.index), target.key, target.isGroup, internalName});

    long rc = m_control.WriteItem(ITEM_SHELLEXTENSION, handler);
    if (rc != 0) {
        putAt(*handler, from);
        return rc;
    }
    // The occupant's registration now holds this handler.
    if (occupant)
        rc = m_control.RemoveItem(ITEM_SHELLEXTENSION, occupant);
    if (rc == 0)
        rc = m_control.RemoveItem(ITEM_SHELLEXTENSION, old, /*removeFromReg*/ true);
    if (rc != 0) {
        // The old registration is still there, and so is the new one: the tree shows both, as a
        // reload would.
        const auto moved = m_control.CopyItem(ITEM_SHELLEXTENSION, handler);
        putAt(*handler, from);
        m_control.AddItem(ITEM_SHELLEXTENSION, moved);
        return rc;
    }
    return m_control.AddItem(ITEM_SHELLEXTENSION, handler);
}
