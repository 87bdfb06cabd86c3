#pragma once

#include "platform/registry/HiveComparison.h"
#include "platform/registry/PrefixStore.h"

#include <QString>

#include <cstddef>
#include <vector>

// What the Restore from Backup window shows and does, without the window: the backups of the open
// prefix's registry files, newest first, how the current files differ from each, and the restore
// of one of them with its checks.
class BackupRestore {
public:
    struct Entry {
        enum class State { NotCompared, Compared, Unreadable };

        PrefixStore::Backup backup;
        State state = State::NotCompared;
        // Keys added, removed and changed in the current file since the backup was made.
        HiveComparison::Counts differences;
        QString problem; // why an unreadable backup cannot be read
    };

    explicit BackupRestore(PrefixStore& store);

    const std::vector<Entry>& entries() const { return m_entries; }
    const QString& prefixDir() const { return m_store.prefixDir(); }

    // Reads backup `index` and counts how the current file differs from it; a backup that cannot be
    // read is marked so and cannot be restored.
    void compare(std::size_t index);

    static QString dateText(const Entry& entry);
    static QString sizeText(const Entry& entry);
    static QString differencesText(const Entry& entry);

    // Why backup `index` cannot be restored now; empty when it can.
    QString refusal(std::size_t index) const;
    // The question the user answers before backup `index` is restored.
    QString question(std::size_t index) const;
    // Restores backup `index`. Returns false, with `error` set, when it was refused or failed; the
    // file and the registry in memory are then as they were.
    bool restore(std::size_t index, QString& error);

private:
    PrefixStore& m_store;
    std::vector<Entry> m_entries;
};
