#include "app/dialogs/ItemAdder.h"

#include "app/dialogs/FieldRules.h"
#include "app/shell/ItemCommands.h"
#include "common/MessageBoxes.h"
#include "common/ReadOnlyRegistry.h"
#include "control/records/ActionObject.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/FileExtensionObject.h"
#include "control/records/FileTypeObject.h"
#include "control/records/RecordRegistry.h"
#include "control/records/RegistryAccess.h"
#include "control/records/ShellExtensionObject.h"
#include "control/tree/KestrowCore.h"
#include "platform/registry/CommandScope.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

#include <QList>

#include <optional>

namespace {

const QString kInvalidExtension = QStringLiteral("You have to enter a valid extension.");
const QString kInvalidInternalName = QStringLiteral("You have to enter a valid internal name.");
const QString kInvalidName = QStringLiteral("You have to enter a valid name.");
const QString kNoAssociation = QStringLiteral("You have to select a file type association.");
const QString kInvalidActionName = QStringLiteral("You have to enter a valid action name.");
const QString kInvalidCommand = QStringLiteral("You have to enter a valid action command.");
const QString kInvalidDdeMessage = QStringLiteral("You have to enter a valid DDE message.");
const QString kInvalidDdeTopic = QStringLiteral("You have to enter a valid DDE topic.");
const QString kInvalidClsid = QStringLiteral("You have to enter a valid CLSID.");
const QString kInvalidInproc = QStringLiteral("You have to enter a valid inproc server.");
const QString kNoGroup = QStringLiteral("You have to select an extension type.");
const QString kNoThreadModel = QStringLiteral("You have to select a threading model.");

const QString kExtensionExists = QStringLiteral("A registry entry for the extension you entered already exists.\r\n\r\n"
                                                "Are you sure you want to use this extension?");
const QString kTypeExists = QStringLiteral("A registry entry for a file type with the same internal name already "
                                           "exists.\r\n\r\nAre you sure you want to continue?");
const QString kInherit = QStringLiteral("Do you want the new file type to inherit the properties of the existing file "
                                        "type?\r\n\r\nThis will include all file extensions, actions and shell "
                                        "extensions of the existing file type.");
const QString kActionExists =
    QStringLiteral("An action with the same name already exists.\r\n\r\nAre you sure you want to continue?");
const QString kHandlerExists = QStringLiteral("A shell extension with the same properties already exists.\r\n\r\n"
                                              "Are you sure you want to continue?");
const QString kClassExists = QStringLiteral("A class with this CLSID is already registered with another server.\r\n\r\n"
                                            "Do you want to replace it?");

const QString kWriteTypeFailed = QStringLiteral("Error writing file type data to registry.");
const QString kAddTypeFailed = QStringLiteral("Error adding file type to collection.");
const QString kWriteExtensionFailed = QStringLiteral("Error writing file extension data to registry.");
const QString kAddExtensionFailed = QStringLiteral("Error adding file extension to collection.");
const QString kWriteActionFailed = QStringLiteral("Error writing action data to registry.");
const QString kAddActionFailed = QStringLiteral("Error adding action to collection.");
const QString kWriteHandlerFailed = QStringLiteral("Error writing shell extension data to registry.");
const QString kAddHandlerFailed = QStringLiteral("Error adding shell extension to collection.");

long refuse(const QString& reason)
{
    ShowInfo(reason);
    return kResultCancelled;
}

bool confirmed(const QString& question)
{
    return AskQuestion(question, vbYesNo) == vbYes;
}


// Whether HKEY_CLASSES_ROOT holds the key `path`.
bool inRegistry(const QString& path)
{
    RegKeyHandle key;
    return isSafeSubkeyPath(path) && RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

// An empty flags box means no flags.
std::optional<quint32> flagsOf(const QString& text)
{
    return text.trimmed().isEmpty() ? std::optional<quint32>(0) : ParseFlagsText(text);
}

bool isExtensionName(const QString& dotted)
{
    return IsKeyName(dotted) && dotted != QLatin1String(".");
}

// The key that holds a handler's CLSID.
QString registrationPath(const ShellExtensionObject& handler)
{
    QString path = handler.HostInternalName + QStringLiteral("\\shellex\\") + handler.ExtTypeKey;
    if (handler.ExtTypeGroup)
        path += u'\\' + handler.InternalName;
    return path;
}

} // namespace

ItemAdder::ItemAdder(KestrowCore& control)
    : m_control(control)
    , m_tables(HandlerTables::Load())
{
}

std::shared_ptr<FileExtensionObject> ItemAdder::loadedExtension(const QString& extension) const
{
    return std::dynamic_pointer_cast<FileExtensionObject>(m_control.GetItemFromKey(FileExtensionKey(extension)));
}

std::shared_ptr<FileTypeObject> ItemAdder::hostType(const QString& typeKey, bool allowSpecial) const
{
    auto type = m_control.FileTypeCollection().value(typeKey);
    return type && (allowSpecial || !type->Special) ? type : nullptr;
}

bool ItemAdder::isNewTypeName(const QString& internalName) const
{
    // An extension's name would make the type an extension; a special type is no ordinary type.
    if (!IsKeyName(internalName) || internalName.startsWith(u'.'))
        return false;
    for (const DefinitionRow& row : DefinitionRows(SECTION_SPECIAL))
        if (isSameName(row.key, internalName))
            return false;
    const auto loaded = m_control.FileTypeCollection().value(FileTypeKey(internalName));
    return !(loaded && loaded->Special);
}

bool ItemAdder::confirmMove(const FileExtensionObject& extension, const QString& typeKey) const
{
    const QString question = ItemCommands(m_control).associateQuestion(extension, typeKey);
    return question.isEmpty() || confirmed(question);
}

// ---- file type

long ItemAdder::addFileType(FileTypeFields& fields)
{
    m_addedKey.clear();
    if (RefuseWhenReadOnly())
        return kResultCancelled;
    const QString extension = DottedExtension(fields.extension);
    QString internalName = fields.internalName.trimmed();
    const std::optional<quint32> flags = flagsOf(fields.flags);
    if (!isExtensionName(extension))
        return refuse(kInvalidExtension);
    if (!isNewTypeName(internalName))
        return refuse(kInvalidInternalName);
    if (fields.name.trimmed().isEmpty())
        return refuse(kInvalidName);
    if (!flags)
        return refuse(kInvalidFlagsMessage);
    fields.extension = extension;

    const auto extensionRecord = loadedExtension(extension);
    const bool extensionKeyExisted = inRegistry(extension);
    if (extensionKeyExisted && !confirmed(kExtensionExists))
        return kResultCancelled;
    const auto existing = m_control.FileTypeCollection().value(FileTypeKey(internalName));
    const bool typeKeyExisted = existing || inRegistry(internalName);
    if (typeKeyExisted && !confirmed(kTypeExists))
        return kResultCancelled;
    const bool inherit = existing && confirmed(kInherit);
    if (existing)
        internalName = existing->InternalName; // the key keeps its letter case
    const QString typeKey = FileTypeKey(internalName);
    // An extension of another type (or an orphan) moves to the new type rather than appear twice.
    const auto moving =
        extensionRecord && !isSameName(extensionRecord->HostTypeKey, typeKey) ? extensionRecord : nullptr;
    if (moving && !confirmMove(*moving, typeKey))
        return kResultCancelled;

    auto type = std::make_shared<FileTypeObject>();
    type->InternalName = internalName;
    // A key that is no loaded file type (a class, an interface, ...) keeps what the user left empty.
    const bool keepValues = typeKeyExisted && !existing;
    if (keepValues)
        type->LoadMe(false);
    const auto take = [keepValues](QString& field, const QString& typed) {
        if (!keepValues || !typed.trimmed().isEmpty())
            field = typed;
    };
    type->Name = fields.name;
    take(type->IconPath, fields.defaultIcon);
    take(type->CLSID, fields.clsid);
    if (!keepValues || *flags != 0)
        type->Flags = *flags;
    if (!keepValues || fields.quickView)
        type->QuickView = fields.quickView;
    type->UpdateIcon = true;

    std::shared_ptr<FileExtensionObject> created;
    if (!extensionRecord) {
        created = std::make_shared<FileExtensionObject>();
        created->Extension = extension;
        created->HostTypeKey = typeKey;
        created->InternalName = internalName;
    }
    const long rc = writeNewType({type, extension, existing, inherit, moving, created, typeKeyExisted, extensionKeyExisted});
    if (rc == 0)
        m_addedKey = typeKey;
    return rc;
}

long ItemAdder::writeNewType(const NewType& add)
{
    const FileTypeObject& type = *add.type;
    const QString typeKey = type.Key();
    CommandScope command;
    // Takes back the keys this attempt created; a file type that was shown shows what the
    // registry holds again.
    const auto fail = [&](long rc, const QString& message) {
        if (add.created && !add.extensionKeyExisted)
            add.created->RemoveMe();
        if (!add.typeKeyExisted)
            add.type->RemoveMe(false);
        if (add.existing) {
            m_control.LoadItem(ITEM_FILETYPE, add.existing, true);
            if (m_control.FileTypeCollection().contains(typeKey))
                m_control.UpdateItem(ITEM_FILETYPE, add.existing);
            else
                m_control.AddItem(ITEM_FILETYPE, add.existing);
        }
        rc = command.finish(rc);
        return message.isEmpty() ? rc : ItemCommands::ReportFailure(rc, message);
    };

    // The registry first: the type, its new extension, an extension that moves to it.
    if (const long rc = m_control.WriteItem(ITEM_FILETYPE, add.type); rc != 0)
        return fail(rc, kWriteTypeFailed);
    if (add.created)
        if (const long rc = m_control.WriteItem(ITEM_FILEEXTENSION, add.created, true); rc != 0)
            return fail(rc, kWriteExtensionFailed);
    // A type being replaced is the target the extension moves to; a new one is shown first.
    if (add.moving && add.existing)
        if (const long rc = ItemCommands(m_control).Associate(add.moving, typeKey, true); rc != 0)
            return fail(rc, QString()); // reported
    const QString& kept = add.extension;

    if (add.existing) {
        // Without inheriting, the members of the replaced type go, now that the new one is written;
        // the extension the user entered stays.
        if (!add.inherit) {
            for (const auto& entry : add.existing->FileExtensions) {
                const auto& member = entry.item;
                if (isSameName(member->Extension, kept) || !inRegistry(member->Extension))
                    continue;
                if (const long rc = member->RemoveMe(); rc != 0)
                    return fail(rc, kWriteTypeFailed);
            }
            for (const QString& below : {QStringLiteral("shell"), QStringLiteral("shellex")}) {
                const QString path = type.InternalName + u'\\' + below;
                if (inRegistry(path) && !deleteSubtree(HKEY_CLASSES_ROOT, path))
                    return fail(kErrRemoveKey, kWriteTypeFailed);
            }
        }
        for (const auto& entry : add.existing->FileExtensions)
            if (add.inherit || isSameName(entry.item->Extension, kept))
                add.type->FileExtensions.add(entry.key, entry.item);
        if (add.inherit) {
            for (const auto& entry : add.existing->Actions)
                add.type->Actions.add(entry.key, entry.item);
            for (const auto& entry : add.existing->ShellExtensions)
                add.type->ShellExtensions.add(entry.key, entry.item);
        }
        if (const long rc = m_control.RemoveItem(ITEM_FILETYPE, add.existing, false, false); rc != 0)
            return fail(rc, kAddTypeFailed);
    }
    if (add.created)
        add.type->FileExtensions.add(add.created->Key(), add.created);
    if (const long rc = m_control.AddItem(ITEM_FILETYPE, add.type); rc != 0)
        return fail(rc, kAddTypeFailed);
    if (add.moving && !add.existing) {
        if (const long rc = ItemCommands(m_control).Associate(add.moving, typeKey, true); rc != 0) {
            m_control.RemoveItem(ITEM_FILETYPE, add.type, !add.typeKeyExisted, false);
            return command.finish(rc); // reported
        }
    }
    return ItemCommands::ReportFailure(command.finish(0), kWriteTypeFailed);
}

// ---- file extension

long ItemAdder::addExtension(FileExtensionFields& fields)
{
    m_addedKey.clear();
    if (RefuseWhenReadOnly())
        return kResultCancelled;
    const QString extension = DottedExtension(fields.extension);
    if (!isExtensionName(extension))
        return refuse(kInvalidExtension);
    const auto host = hostType(fields.typeKey, false);
    if (!host)
        return refuse(kNoAssociation);
    fields.extension = extension;
    const bool keyExisted = inRegistry(extension);
    if (keyExisted && !confirmed(kExtensionExists))
        return kResultCancelled;

    if (const auto existing = loadedExtension(extension)) {
        // It is there already: it moves to the chosen type rather than appear twice.
        if (!isSameName(existing->HostTypeKey, host->Key())) {
            if (!confirmMove(*existing, host->Key()))
                return kResultCancelled;
            if (const long rc = ItemCommands(m_control).Associate(existing, host->Key(), true); rc != 0)
                return rc;
        }
        m_addedKey = existing->Key();
        return 0;
    }

    auto record = std::make_shared<FileExtensionObject>();
    record->Extension = extension;
    record->ContentType = fields.contentType;
    record->InfoTip = fields.infoTip;
    record->HostTypeKey = host->Key();
    record->InternalName = host->InternalName;

    CommandScope command;
    QString message = kWriteExtensionFailed;
    long rc = m_control.WriteItem(ITEM_FILEEXTENSION, record, true);
    if (rc == 0 && (rc = m_control.AddItem(ITEM_FILEEXTENSION, record)) != 0)
        message = kAddExtensionFailed;
    if (rc != 0 && !keyExisted)
        record->RemoveMe();
    rc = ItemCommands::ReportFailure(command.finish(rc), message);
    if (rc == 0)
        m_addedKey = record->Key();
    return rc;
}

// ---- action

long ItemAdder::addAction(const ActionFields& fields)
{
    m_addedKey.clear();
    if (RefuseWhenReadOnly())
        return kResultCancelled;
    const QString name = fields.name.trimmed();
    const QString verb = VerbKey(name);
    if (name.isEmpty() || !IsKeyName(verb))
        return refuse(kInvalidActionName);
    if (fields.command.trimmed().isEmpty())
        return refuse(kInvalidCommand);
    if (fields.usesDde && fields.ddeMessage.trimmed().isEmpty())
        return refuse(kInvalidDdeMessage);
    if (fields.usesDde && fields.ddeTopic.trimmed().isEmpty())
        return refuse(kInvalidDdeTopic);
    const auto host = hostType(fields.typeKey, true);
    if (!host)
        return refuse(kNoAssociation);

    std::shared_ptr<ActionObject> replaced;
    for (const auto& entry : host->Actions)
        if (isSameName(entry.item->CommandKey, verb))
            replaced = entry.item;
    if (replaced && !confirmed(kActionExists))
        return kResultCancelled;

    auto action = std::make_shared<ActionObject>();
    action->Name = name;
    action->Command = fields.command;
    if (fields.usesDde) {
        action->DDE_Message = fields.ddeMessage;
        action->DDE_App = fields.ddeApp;
        action->DDE_AppNoRun = fields.ddeAppNoRun;
        action->DDE_Topic = fields.ddeTopic;
    }
    action->HostTypeKey = host->Key();
    action->HostInternalName = host->InternalName;
    action->CommandKey = replaced ? replaced->CommandKey : verb; // a verb key keeps its letter case
    const bool verbExisted = inRegistry(host->InternalName + QStringLiteral("\\shell\\") + action->CommandKey);

    CommandScope command;
    QString message = kWriteActionFailed;
    // The new action is written over the one it replaces, which only then leaves the model.
    long rc = m_control.WriteItem(ITEM_ACTION, action);
    if (rc == 0 && replaced)
        rc = m_control.RemoveItem(ITEM_ACTION, replaced, false);
    if (rc == 0 && (rc = m_control.AddItem(ITEM_ACTION, action)) != 0)
        message = kAddActionFailed;
    if (rc != 0 && !verbExisted)
        action->RemoveMe();
    rc = ItemCommands::ReportFailure(command.finish(rc), message);
    if (rc == 0)
        m_addedKey = action->Key();
    return rc;
}

// ---- shell extension

long ItemAdder::addShellExtension(const ShellExtensionFields& fields)
{
    m_addedKey.clear();
    if (RefuseWhenReadOnly())
        return kResultCancelled;
    const QString clsid = fields.clsid.trimmed();
    const QString server = fields.inproc32.trimmed();
    if (fields.name.trimmed().isEmpty())
        return refuse(kInvalidName);
    if (!IsClsidText(clsid))
        return refuse(kInvalidClsid);
    if (server.isEmpty())
        return refuse(kInvalidInproc);
    const auto host = hostType(fields.typeKey, true);
    if (!host)
        return refuse(kNoAssociation);
    const HandlerTables::Group* group = m_tables.group(fields.group);
    if (!group)
        return refuse(kNoGroup);
    if (fields.threadModel < 0 || fields.threadModel >= m_tables.threadModels().size())
        return refuse(kNoThreadModel);

    auto handler = std::make_shared<ShellExtensionObject>();
    handler->Name = fields.name;
    handler->Inproc32 = server;
    handler->CLSID = clsid;
    handler->ThreadModel = m_tables.threadModels()[fields.threadModel].value;
    handler->Approved = fields.approved;
    handler->FileExtensionSH = false;
    handler->HostInternalName = host->InternalName;
    handler->HostTypeKey = host->Key();
    handler->ExtTypeIndex = static_cast<qint16>(group->index);
    handler->ExtTypeKey = group->key;
    handler->ExtTypeGroup = group->isGroup;
    // As the loader names them: a member of a group key by its subkey, a single handler by the group key.
    handler->InternalName = group->isGroup ? clsid : group->key;
    const QString path = registrationPath(*handler);

    // The new handler takes the place of the same one, and of one registered under the same key.
    QList<std::shared_ptr<ShellExtensionObject>> replaced;
    for (const auto& entry : host->ShellExtensions)
        if (isSameName(entry.key, handler->Key()) || isSameName(registrationPath(*entry.item), path))
            replaced << entry.item;
    if (!replaced.isEmpty() && !confirmed(kHandlerExists))
        return kResultCancelled;
    const QString classKey = classPath(clsid);
    const RegTextRead registered =
        regReadTextValue(HKEY_CLASSES_ROOT, classKey + QStringLiteral("\\InprocServer32"), QString());
    if (!registered.text.trimmed().isEmpty() && !isSameName(registered.text.trimmed(), server) &&
        !confirmed(kClassExists))
        return kResultCancelled;

    const bool registrationExisted = inRegistry(path);
    const bool classExisted = inRegistry(classKey);
    const bool wasApproved = regIsApproved(clsid);
    CommandScope command;
    QString message = kWriteHandlerFailed;
    long rc = m_control.WriteItem(ITEM_SHELLEXTENSION, handler);
    // Those it replaces leave the model; one registered elsewhere leaves the registry too, while
    // the class, which the new handler uses, stays.
    for (const auto& old : replaced)
        if (rc == 0)
            rc = m_control.RemoveItem(ITEM_SHELLEXTENSION, old, !isSameName(registrationPath(*old), path), false);
    if (rc == 0 && (rc = m_control.AddItem(ITEM_SHELLEXTENSION, handler)) != 0)
        message = kAddHandlerFailed;
    if (rc != 0) {
        if (!registrationExisted && inRegistry(path))
            handler->RemoveMe(false);
        if (!classExisted)
            deleteSubtree(HKEY_CLASSES_ROOT, classKey);
        if (regIsApproved(clsid) != wasApproved)
            regSetApproved(clsid, wasApproved);
    }
    rc = ItemCommands::ReportFailure(command.finish(rc), message);
    if (rc == 0)
        m_addedKey = handler->Key();
    return rc;
}
