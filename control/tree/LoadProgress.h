#pragma once

#include <QString>

// What the user sees of a load while it runs, and how they cancel it. The loader calls these in
// order; each display shows what it has a place for (the control's progress box or splash screen).
class LoadProgress {
public:
    virtual ~LoadProgress() = default;

    // A previous load is being cleared: shown whether or not progress was asked for.
    virtual void clearingStarted() = 0;
    virtual void clearingFinished() = 0;
    // The walk over the `count` keys of HKEY_CLASSES_ROOT begins.
    virtual void started(int count) = 0;
    // The key at `index` was handled; the loader lets pending input through right after.
    virtual void advanced(int index) = 0;
    // The load moved on to another stage ("Loading Special Types...").
    virtual void stageChanged(const QString& message) = 0;
    // The file type of that name was loaded.
    virtual void typeLoaded(const QString& name) = 0;
    // Whether the user asked to stop; looked at after pending input was let through.
    virtual bool cancelRequested() const = 0;
    // The load ended, however it ended.
    virtual void finished() = 0;
};
