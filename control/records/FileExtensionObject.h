#pragma once

#include "control/records/ItemObject.h"
#include "control/records/KeyedCollection.h"
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
    long WriteMe(bool writeFull);
    long RemoveMe();
};
