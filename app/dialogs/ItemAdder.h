#pragma once

#include "app/dialogs/HandlerTables.h"
#include "app/dialogs/ItemFields.h"

#include <QString>

#include <memory>

class ActionObject;
class FileExtensionObject;
class FileTypeObject;
class KestrowCore;
class ShellExtensionObject;

// What the add window does with its fields, apart from the window: checks what the user typed,
// asks what must be asked, then creates the item in the registry and in the model as one command
// with one save. Each add returns 0 when the item was added, kResultCancelled when a check refused
// the input (the reason shown) or the user declined, else the failure's code, already reported.
// Nothing is created before every check and question has passed, and a failure takes back only
// the keys this attempt created: what the registry held before stays.
class ItemAdder {
public:
    explicit ItemAdder(KestrowCore& control);

    const HandlerTables& tables() const { return m_tables; }

    // A new file type with its first extension. `fields.extension` becomes its dotted form. An
    // extension that is already loaded moves to the new type instead of being created again.
    long addFileType(FileTypeFields& fields);
    // An extension for the file type `fields.typeKey`; `fields.extension` becomes its dotted form.
    // An extension that is already loaded moves to that type.
    long addExtension(FileExtensionFields& fields);
    long addAction(const ActionFields& fields);
    long addShellExtension(const ShellExtensionFields& fields);

    // The item key of what the last successful add added (or moved); the main window selects it.
    const QString& addedKey() const { return m_addedKey; }

private:
    // The loaded extension record for `extension`, in a file type or orphaned; null when none.
    std::shared_ptr<FileExtensionObject> loadedExtension(const QString& extension) const;
    // The loaded file type `typeKey` names; null when none, or when it is special and not allowed.
    std::shared_ptr<FileTypeObject> hostType(const QString& typeKey, bool allowSpecial) const;
    // Whether an internal name may name a new file type: a key name, not an extension, and not
    // the name of a special type.
    bool isNewTypeName(const QString& internalName) const;
    // Asks before `extension` moves to the file type `typeKey`, when the move removes its old
    // type; false when the user declined.
    bool confirmMove(const FileExtensionObject& extension, const QString& typeKey) const;

    // A file type that passed its checks and questions, and what becomes of what is there.
    struct NewType {
        std::shared_ptr<FileTypeObject> type;
        QString extension;                          // its first extension, dotted
        std::shared_ptr<FileTypeObject> existing;   // the loaded type of the same internal name
        bool inherit = false;                       // the new type takes the existing one's members
        std::shared_ptr<FileExtensionObject> moving;  // a loaded extension of another type, to move
        std::shared_ptr<FileExtensionObject> created; // a new extension record
        bool typeKeyExisted = false;
        bool extensionKeyExisted = false;
    };
    // Writes the type and its extension as one command, then shows them.
    long writeNewType(const NewType& add);

    KestrowCore& m_control;
    HandlerTables m_tables;
    QString m_addedKey;
};
