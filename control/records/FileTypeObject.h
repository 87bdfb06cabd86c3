#pragma once

#include "control/records/ActionObject.h"
#include "control/records/FileExtensionObject.h"
#include "control/records/ItemObject.h"
#include "control/records/KeyedCollection.h"
#include "control/records/LoadMemory.h"
#include "control/records/LoadedValue.h"
#include "control/records/ShellExtensionObject.h"

#include <QString>

#include <cstdint>
#include <memory>

// Load states of a file type.
inline constexpr qint16 LOAD_NOTLOADED = 4010;
inline constexpr qint16 LOAD_VALUES = 4011;
inline constexpr qint16 LOAD_FULL = 4012;

// One file type: a key directly below HKEY_CLASSES_ROOT named by its internal name, with the
// extensions that point to it, its actions and its shell-extension handlers.
class FileTypeObject : public ItemObject {
public:
    KeyedCollection<FileExtensionObject> FileExtensions;
    KeyedCollection<ActionObject> Actions;
    KeyedCollection<ShellExtensionObject> ShellExtensions;
    bool QuickView = false;
    QString CLSID;
    std::uint32_t Flags = 0;
    QString Name;
    bool UpdateIcon = false;
    QString IconPath;
    bool Special = false;
    bool SpecialGroup = false;
    qint16 SpecialIndex = 0;
    QString InternalName;

    qint16 ItemType() const override;
    QString Key() const override;
    QString ClassName() const override { return QStringLiteral("FileTypeObject"); }
    qint16 Loaded() const { return m_loaded; }

    // A member record: 2 an extension, 3 a shell extension, 4 an action; no object for any other
    // kind. A key the collection does not hold throws OperationError 5.
    std::shared_ptr<ItemObject> GetItem(qint16 itemType, const QString& itemKey) const;

    long LoadMe(bool loadFull);
    // Writes the type's own values that changed since its load (all of them for a type never
    // loaded, one whose InternalName changed, or one whose key is gone), each keeping its
    // registry type; with `writeFull` then every extension, action and handler the same way.
    long WriteMe(bool writeFull);
    long RemoveMe(bool removeFull = false);
    long LoadActions();
    long LoadShellExtensions();

    void KeepAsLoaded() override;
    // Whether the registry value behind a field (&FileTypeObject::Name, ::CLSID, ::IconPath,
    // ::Flags or ::QuickView) was there at the last load but could not be read whole: text of 260
    // characters or more, EditFlags data longer than 4 bytes or text that is no number. The field
    // then holds its empty value (Name a made-up one), and the value is left as it is unless the
    // field is changed. False for fields without a registry value and for a type never loaded.
    bool Unreadable(QString FileTypeObject::*field) const;
    bool Unreadable(std::uint32_t FileTypeObject::*field) const;
    bool Unreadable(bool FileTypeObject::*field) const;

private:
    // The type's own values as the registry held them, and the internal name they belong to.
    struct Remembered {
        QString internalName;
        LoadedValue<QString> name;
        LoadedValue<QString> clsid;
        LoadedValue<QString> iconPath;
        LoadedValue<std::uint32_t> flags;
        LoadedValue<bool> quickView;
    };

    qint16 m_loaded = LOAD_NOTLOADED;
    LoadMemory<Remembered> m_remembered;
};
