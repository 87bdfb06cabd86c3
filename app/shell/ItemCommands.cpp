#include "app/shell/ItemCommands.h"

#include "common/MessageBoxes.h"
#include "common/ReadOnlyRegistry.h"
#include "control/records/ActionObject.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/FileExtensionObject.h"
#include "control/records/FileTypeObject.h"
#include "control/records/ShellExtensionObject.h"
#include "control/tree/ItemKinds.h"
#include "control/tree/KestrowCore.h"
#include "control/tree/TreeLayout.h"
#include "control/records/RecordRegistry.h"
#include "platform/registry/CommandScope.h"

namespace {

const QString kRemoveExtension = QStringLiteral("Are you sure you want to remove this file extension?");

// Whether a host file type would lose its last extension.
bool isLastExtension(const KestrowCore& control, const FileExtensionObject& extension)
{
    if (extension.HostTypeKey == kNotDefined)
        return false;
    const auto host = control.FileTypeCollection().value(extension.HostTypeKey);
    return host && host->FileExtensions.count() == 1;
}

} // namespace

long ItemCommands::ReportFailure(long rc, const QString& message)
{
    if (rc != 0 && rc != kResultCancelled)
        ShowError(message, rc);
    return rc;
}

ItemCommands::ItemCommands(KestrowCore& control)
    : m_control(control)
{
}

QString ItemCommands::removeQuestion(const std::shared_ptr<ItemObject>& item) const
{
    switch (item ? item->ItemType() : 0) {
    case ITEM_FILETYPE:
        if (std::dynamic_pointer_cast<FileTypeObject>(item)->Special)
            return QString();
        return QStringLiteral("Are you sure you want to remove this file type?\r\n\r\n"
                              "This will also cause all file extensions, actions and shell extensions of this file "
                              "type to be removed.");
    case ITEM_SHELLEXTENSION:
        return QStringLiteral("Are you sure you want to remove this shell extension?\r\n\r\n"
                              "Many Windows system components are implemented as shell extensions.\r\n"
                              "Removing such a shell extension can have unintended consequences.");
    case ITEM_FILEEXTENSION:
        return isLastExtension(m_control, *std::dynamic_pointer_cast<FileExtensionObject>(item))
                   ? kRemoveExtension + QStringLiteral("\r\n\r\nRemoving the last file extension will also cause the "
                                                       "file type to be removed.")
                   : kRemoveExtension;
    case ITEM_ACTION:
        return QStringLiteral("Are you sure you want to remove this action?");
    default:
        return QString();
    }
}

long ItemCommands::Remove(const std::shared_ptr<ItemObject>& item)
{
    const QString question = removeQuestion(item);
    if (question.isEmpty() || RefuseWhenReadOnly() || AskQuestion(question, vbYesNo) != vbYes)
        return kResultCancelled;
    const qint16 kind = item->ItemType();
    const long rc = m_control.RemoveItem(kind, item, true, kind == ITEM_FILETYPE);
    static const QString messages[] = {QStringLiteral("Error removing file type."),
                                       QStringLiteral("Error removing file extension."),
                                       QStringLiteral("Error removing shell extension."),
                                       QStringLiteral("Error removing action.")};
    return ReportFailure(rc, messages[kind - 1]);
}

long ItemCommands::Refresh(const std::shared_ptr<ItemObject>& item)
{
    if (!std::dynamic_pointer_cast<FileTypeObject>(item))
        return kResultCancelled;
    long rc = m_control.LoadItem(ITEM_FILETYPE, item, true);
    if (rc == 0)
        rc = m_control.UpdateItem(ITEM_FILETYPE, item);
    return rc;
}

QString ItemCommands::associateQuestion(const FileExtensionObject& extension, const QString& typeKey) const
{
    if (isSameName(typeKey, extension.HostTypeKey) || !isLastExtension(m_control, extension))
        return QString();
    return QStringLiteral("Are you sure you want to associate this file extension with another file type?"
                          "\r\n\r\nRemoving the last file extension will cause the previous file type to be removed.");
}

long ItemCommands::Associate(const std::shared_ptr<ItemObject>& item, const QString& typeKey, bool confirmed)
{
    const auto extension = std::dynamic_pointer_cast<FileExtensionObject>(item);
    const auto target = std::dynamic_pointer_cast<FileTypeObject>(m_control.GetItemFromKey(typeKey));
    if (!extension || !target || isSameName(target->Key(), extension->HostTypeKey) || RefuseWhenReadOnly())
        return kResultCancelled;
    if (const QString question = associateQuestion(*extension, typeKey);
        !confirmed && !question.isEmpty() && AskQuestion(question, vbYesNo) != vbYes)
        return kResultCancelled;

    const QString message = QStringLiteral("Error writing file extension data to registry.");
    CommandScope command;
    // The extension's key names its file type: writing the new name is the re-association. Only
    // once it is written does the extension leave its old type, which may then go with it.
    const QString oldInternalName = extension->InternalName;
    extension->InternalName = target->InternalName;
    long rc = m_control.WriteItem(ITEM_FILEEXTENSION, extension);
    if (rc != 0) {
        extension->InternalName = oldInternalName;
        return ReportFailure(command.finish(rc), message);
    }
    rc = m_control.RemoveItem(ITEM_FILEEXTENSION, extension, false, false);
    if (rc == 0) {
        extension->HostTypeKey = target->Key();
        rc = m_control.AddItem(ITEM_FILEEXTENSION, extension);
    }
    return ReportFailure(command.finish(rc), message);
}

long ItemCommands::AddTo(const std::shared_ptr<ItemObject>& item, const QString& typeKey)
{
    const auto target = std::dynamic_pointer_cast<FileTypeObject>(m_control.GetItemFromKey(typeKey));
    const auto handler = std::dynamic_pointer_cast<ShellExtensionObject>(item);
    const auto action = std::dynamic_pointer_cast<ActionObject>(item);
    if (!target || (!handler && !action) || (handler && handler->FileExtensionSH) || RefuseWhenReadOnly())
        return kResultCancelled;
    const qint16 kind = item->ItemType();
    const QString message = handler ? QStringLiteral("Error writing shell extension data to registry.")
                                    : QStringLiteral("Error writing action data to registry.");

    const auto copy = m_control.CopyItem(kind, item);
    if (auto copiedHandler = std::dynamic_pointer_cast<ShellExtensionObject>(copy)) {
        copiedHandler->HostInternalName = target->InternalName;
        copiedHandler->HostTypeKey = target->Key();
    } else if (auto copiedAction = std::dynamic_pointer_cast<ActionObject>(copy)) {
        copiedAction->HostInternalName = target->InternalName;
        copiedAction->HostTypeKey = target->Key();
    }

    CommandScope command;
    // The model refuses a verb or handler the target has already, before the registry is touched.
    long rc = m_control.AddItem(kind, copy);
    if (rc == 0) {
        rc = m_control.WriteItem(kind, copy);
        // A write the registry refused leaves nothing to show.
        if (rc != 0)
            m_control.RemoveItem(kind, copy, false, false);
    }
    return ReportFailure(command.finish(rc), message);
}
