#pragma once

#include "control/records/ItemObject.h"
#include "control/records/KeyedCollection.h"
#include "control/records/LoadMemory.h"
#include "control/records/LoadedValue.h"
#include "control/records/ShellExtensionObject.h"

#include <QString>

// One file extension: a key ".ext" directly below HKEY_CLASSES_ROOT whose default value names the
// file type it belongs to, with its content type, info tip and the handlers kept under it.
class FileExtensionObject : public ItemObject {
public:
    KeyedCollection<ShellExtensionObject> ShellExtensions;
    QString HostTypeKey;
    QString ContentType;
    QString InfoTip;
    QString InternalName;
    QString Extension;

    qint16 ItemType() const override;
    QString Key() const override;
    QString ClassName() const override { return QStringLiteral("FileExtensionObject"); }

    long LoadMe(bool loadFull);
    // Writes the values that changed since the load (all of them for an extension never loaded,
    // one whose Extension changed, or one whose key is gone), each keeping its registry type; with
    // `writeFull` then every handler the same way.
    long WriteMe(bool writeFull);
    long RemoveMe();

    void KeepAsLoaded() override;
    // Whether the registry value behind a field (&FileExtensionObject::InternalName, ::ContentType
    // or ::InfoTip) was there at the last load but could not be read whole (260 characters or
    // more). The field then holds empty text, and the value is left as it is unless the field is
    // changed. False for other fields and for an extension never loaded.
    bool Unreadable(QString FileExtensionObject::*field) const;

private:
    // The extension's values as the registry held them, and the extension they belong to.
    struct Remembered {
        QString extension;
        LoadedValue<QString> internalName;
        LoadedValue<QString> contentType;
        LoadedValue<QString> infoTip;
    };

    LoadMemory<Remembered> m_remembered;
};
