#pragma once

#include "platform/registry/RegistryTypes.h"

class Registry;

// One user command, one save. Every registry change made while a scope is open is kept in memory
// and saved once, when the outermost scope ends; scopes opened inside it (the record and control
// operations a command calls) only take part. The outermost scope's finish() tells the command
// whether its changes reached the disk:
//
//     CommandScope command;
//     long rc = control.WriteItem(ITEM_FILEEXTENSION, extension);
//     if (rc == 0)
//         rc = control.UpdateItem(ITEM_FILEEXTENSION, extension);
//     rc = command.finish(rc);   // 1013 when the save failed
//     if (rc != 0)
//         ShowError(..., rc);
//
// A save that fails leaves the changes in memory, where they stay visible and are saved again
// with the next command's save; the store tells the user why it failed.
class CommandScope {
public:
    // Works on Registry::current() when no registry is given.
    explicit CommandScope(Registry* registry = nullptr);
    // Ends the scope if finish() was not called; a failed save is then reported by the store only.
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    // Ends the scope, saving when it is the outermost, and returns the command's outcome: `result`
    // when the command failed on its own, ERROR_CANTWRITE (1013) when its changes could not be
    // saved, else 0. Ending twice only returns `result`.
    long finish(long result = ERROR_SUCCESS);

private:
    Registry* m_registry;
    bool m_open = true;
};
