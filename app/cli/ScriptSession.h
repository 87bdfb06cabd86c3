#pragma once

#include "control/tree/KestrowCore.h"
#include "platform/registry/PrefixStore.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class Registry;

// The registry of a prefix loaded into the control's core for a command that only reads: opened
// read-only (so nothing is written or backed up, and a running Wine is no obstacle), with the
// definition tables of the settings, or their defaults where the program never stored any.
// While the session lives its registry is the current one.
class ScriptSession {
public:
    ScriptSession() = default;
    ~ScriptSession();
    ScriptSession(const ScriptSession&) = delete;
    ScriptSession& operator=(const ScriptSession&) = delete;

    // Chooses the prefix as the program does ($WINEPREFIX, ~/.wine, Varnook's own) and loads it
    // in full. False, with `error` set, when there is no prefix to read or it cannot be read;
    // Varnook's own prefix is not created here, as that would be a write.
    bool open(const QProcessEnvironment& environment, QString& error);

    const KestrowCore& core() const { return m_core; }
    // What of the registry files could not be read, each "file:line: message": the load passed
    // over it, so a listing lacks it.
    QStringList problems() const;
    // The prefix folder that was read; empty before open().
    QString prefixDir() const { return m_store ? m_store->prefixDir() : QString(); }

private:
    void useDefaultTablesWhenNoneStored();

    std::optional<QTemporaryDir> m_defaultSettings;
    QString m_previousSettingsFolder;
    std::unique_ptr<PrefixStore> m_store;
    Registry* m_previousRegistry = nullptr;
    bool m_madeCurrent = false;
    KestrowCore m_core;
};
