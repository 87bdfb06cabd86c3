#pragma once

#include "app/dialogs/HandlerTables.h"
#include "app/dialogs/ItemFields.h"

#include <memory>

class ActionObject;
class FileExtensionObject;
class FileTypeObject;
class KestrowCore;
class ShellExtensionObject;

// What the edit window does with an existing record, apart from the window: shows it as fields
// and applies changed fields to it. Each apply is one user command with one save: it refuses
// before it changes anything (a read-only registry, fields it cannot use), writes only what
// changed, and shows the tree what the registry then holds. It returns 0 when done,
// kResultCancelled when refused or declined (the user was told why), else the failure's code
// (already reported).
class ItemEditor {
public:
    explicit ItemEditor(KestrowCore& control);

    const HandlerTables& tables() const { return m_tables; }

    FileTypeFields load(const FileTypeObject& type) const;
    // An orphan is associated with "<orphaned>" under the key "<not defined>".
    FileExtensionFields load(const FileExtensionObject& extension) const;
    ShellExtensionFields load(const ShellExtensionObject& handler) const;
    ActionFields load(const ActionObject& action) const;

    // The internal name is never written; a changed default icon is shown anew.
    long apply(const std::shared_ptr<FileTypeObject>& type, const FileTypeFields& fields);
    // Another file type in `typeKey` moves the extension there (the last-extension question was
    // asked when it was chosen).
    long apply(const std::shared_ptr<FileExtensionObject>& extension, const FileExtensionFields& fields);
    // Another group moves the handler there: written in its new group before it leaves the old.
    long apply(const std::shared_ptr<ShellExtensionObject>& handler, const ShellExtensionFields& fields);
    // Without DDE all four DDE values go.
    long apply(const std::shared_ptr<ActionObject>& action, const ActionFields& fields);

private:
    long moveHandler(const std::shared_ptr<ShellExtensionObject>& handler, const HandlerTables::Group& target,
                     const std::shared_ptr<ShellExtensionObject>& occupant);
    // The handler that holds the place `handler` would take in `target`: the same class already
    // there, or another class in a single-handler slot. Null when the place is free.
    std::shared_ptr<ShellExtensionObject> occupantOf(const ShellExtensionObject& handler,
                                                     const HandlerTables::Group& target) const;

    KestrowCore& m_control;
    HandlerTables m_tables;
};
