#pragma once

#include "control/records/ItemObject.h"

#include <QString>

#include <memory>

class FileExtensionObject;

class KestrowCore;

// The main window's commands on the selected item, apart from the window: each asks what it
// must ask, changes registry, model and tree as one command with one save, and reports a failure
// with the code it got. Each returns 0 when done, kResultCancelled when the user declined or
// nothing was to be done (also when the registry is read-only, which is said before anything is
// asked or changed), else the failure's code (already reported).
class ItemCommands {
public:
    explicit ItemCommands(KestrowCore& control);

    // Asks, then removes the record from the registry and the model. A special file type is never
    // removed.
    long Remove(const std::shared_ptr<ItemObject>& item);

    // Reloads a file type from the registry and shows it anew.
    long Refresh(const std::shared_ptr<ItemObject>& item);

    // Moves an extension to the file type with key `typeKey`. The new association is written
    // first; only then does the extension leave its old file type (which goes when it was its
    // last extension, after associateQuestion() unless `confirmed`). Choosing the extension's own
    // file type changes nothing.
    long Associate(const std::shared_ptr<ItemObject>& extension, const QString& typeKey, bool confirmed = false);

    // The question to ask before `extension` moves to `typeKey`: when it is the last extension of
    // its file type, which the move removes. Empty when no question is needed.
    QString associateQuestion(const FileExtensionObject& extension, const QString& typeKey) const;

    // Copies an action or a file type's shell extension to the file type with key `typeKey`. A
    // copy the target already has (same verb or handler) is refused before anything is written.
    long AddTo(const std::shared_ptr<ItemObject>& item, const QString& typeKey);

    // Shows `message` with the code of a failure (neither 0 nor the user's cancel); returns `rc`.
    static long ReportFailure(long rc, const QString& message);

    // The question Remove asks for `item`; empty when it removes nothing.
    QString removeQuestion(const std::shared_ptr<ItemObject>& item) const;

private:
    KestrowCore& m_control;
};
