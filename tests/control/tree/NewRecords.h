#pragma once

#include "control/records/Definitions.h"
#include "control/records/FileTypeObject.h"

#include <memory>

// Records as the host's dialogs make them, before AddItem and WriteItem.
namespace newrecord {

inline std::shared_ptr<FileTypeObject> type(const QString& internalName, const QString& name,
                                            const QString& iconPath = QString())
{
    auto type = std::make_shared<FileTypeObject>();
    type->InternalName = internalName;
    type->Name = name;
    type->IconPath = iconPath;
    return type;
}

inline std::shared_ptr<FileExtensionObject> extension(const QString& extension, const QString& hostName)
{
    auto ext = std::make_shared<FileExtensionObject>();
    ext->Extension = extension;
    ext->InternalName = hostName;
    ext->HostTypeKey = FileTypeKey(hostName);
    return ext;
}

inline std::shared_ptr<ActionObject> action(const QString& verb, const QString& hostName, const QString& name)
{
    auto action = std::make_shared<ActionObject>();
    action->CommandKey = verb;
    action->HostInternalName = hostName;
    action->HostTypeKey = FileTypeKey(hostName);
    action->Name = name;
    action->Command = QStringLiteral("app.exe %1");
    return action;
}

// A handler of the file type `host` in `group` (named after its member key `name` in a group), or
// with group -1 one of the extension `host`.
inline std::shared_ptr<ShellExtensionObject> handler(qint16 group, const QString& host, const QString& name,
                                                     const QString& clsid = QStringLiteral(
                                                         "{55555555-0000-0000-0000-000000000001}"))
{
    const bool ofExtension = group < 0;
    auto handler = std::make_shared<ShellExtensionObject>();
    handler->FileExtensionSH = ofExtension;
    handler->CLSID = clsid;
    handler->ExtTypeIndex = group;
    handler->ExtTypeGroup = !ofExtension && DefinitionGroup(SECTION_SHELLEX, group).value_or(false);
    handler->ExtTypeKey = ofExtension ? clsid : DefinitionField(SECTION_SHELLEX, group, FIELD_KEY);
    handler->InternalName = ofExtension ? clsid : handler->ExtTypeGroup ? name : handler->ExtTypeKey;
    handler->HostInternalName = host;
    handler->HostTypeKey = ofExtension ? FileExtensionKey(host) : FileTypeKey(host);
    handler->Name = name;
    return handler;
}

} // namespace newrecord
