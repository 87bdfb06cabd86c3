#pragma once

#include "control/records/FileTypeObject.h"
#include "control/records/KeyedCollection.h"

#include <QString>

#include <memory>

// Every record of HKEY_CLASSES_ROOT, fully loaded the way the control's loader loads them: each
// extension and the file type it names (once), then the special types of the settings; an
// extension whose type does not exist is an orphan. The display values the loader sets (an
// orphan's "<not defined>", a special type's cleared stand-in icon) are set here too and kept as
// loaded, as the loader does.
class RegistryRecords {
public:
    static RegistryRecords load();

    KeyedCollection<FileTypeObject> types;
    KeyedCollection<FileExtensionObject> orphans;

    // Writes every type with WriteMe(true), then every orphan; returns the first non-zero result.
    long writeAll() const;

    // Lookups by internal name, extension, or a member's key; null when missing.
    std::shared_ptr<FileTypeObject> type(const QString& internalName) const;
    std::shared_ptr<FileExtensionObject> extension(const QString& extension) const;
};
