#pragma once

#include "control/records/ItemObject.h"

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

    qint16 ItemType() const override;
    QString Key() const override;
    QString ClassName() const override { return QStringLiteral("ShellExtensionObject"); }

    // Reads the handler and its class. 3001 and 3002 (no such handler or class) are quiet; any
    // other failing step is shown to the user once and loading goes on.
    long LoadMe();
    // Writes the class, its in-process server, the approval and the handler registration.
    long WriteMe();
    // Removes the handler registration, and with `removeFull` the class key as well.
    long RemoveMe(bool removeFull = false);

private:
    QString handlerPath() const;
};
