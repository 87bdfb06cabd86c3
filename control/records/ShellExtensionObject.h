#pragma once

#include "control/records/ItemObject.h"
#include "control/records/LoadMemory.h"
#include "control/records/LoadedValue.h"

#include <QString>

// One shell-extension handler: a COM class registered below the shellex key of a file type or a
// file extension, with what HKEY_CLASSES_ROOT\CLSID says of the class and its approval.
class ShellExtensionObject : public ItemObject {
public:
    QString Name;
    QString InternalName;
    QString Inproc32;
    QString Inproc;
    QString ThreadModel;
    bool Approved = false;
    bool FileExtensionSH = false;
    QString ExtTypeKey;
    bool ExtTypeGroup = false;
    QString HostTypeKey;
    QString CLSID;
    QString HostInternalName;
    qint16 ExtTypeIndex = 0;

    ShellExtensionObject() = default;
    // A copy is a new record: unlocked, and remembering no load, so writing it writes every field.
    // Assignment takes the other record's values and keeps this one's lock and load memory.
    ShellExtensionObject(const ShellExtensionObject&) = default;
    ShellExtensionObject& operator=(const ShellExtensionObject&) = default;

    qint16 ItemType() const override;
    QString Key() const override;
    QString ClassName() const override { return QStringLiteral("ShellExtensionObject"); }

    // Reads the handler and its class. 3001 and 3002 (no such handler or class) are quiet; any
    // other failing step is shown to the user once and loading goes on.
    long LoadMe();
    // Writes what changed since the load: of the class, its name, in-process server, threading
    // model and approval (all of them when CLSID changed or the class key is gone); of the
    // registration, the CLSID (also when the handler moved to another host, group or name, or its
    // key is gone). Every value keeps its registry type.
    long WriteMe();
    // Removes the handler registration, and with `removeFull` the class key as well.
    long RemoveMe(bool removeFull = false);

    void KeepAsLoaded() override;
    // Whether the registry value behind a field (&ShellExtensionObject::Name, ::Inproc32,
    // ::ThreadModel, or ::Approved: an approved-list entry whose text is too long) was there at
    // the last load but could not be read whole. The field then holds its empty value (Name the
    // internal name), and the value is left as it is unless the field is changed. False for other
    // fields and for a handler never loaded.
    bool Unreadable(QString ShellExtensionObject::*field) const;
    bool Unreadable(bool ShellExtensionObject::*field) const;

private:
    // What the class key and the approved list held, and the CLSID they belong to.
    struct RememberedClass {
        QString clsid;
        LoadedValue<QString> name;
        LoadedValue<QString> inproc32;
        LoadedValue<QString> threadModel;
        LoadedValue<bool> approved;
    };
    // What the handler key held (the CLSID as its default value), and that key's path.
    struct RememberedHandler {
        QString path;
        LoadedValue<QString> clsid;
    };

    QString handlerPath() const;

    LoadMemory<RememberedClass> m_class;
    LoadMemory<RememberedHandler> m_handler;
};
