#pragma once

#include "platform/icons/IconFile.h"

#include <QCache>
#include <QString>

#include <memory>

// Parsed icon files, so that a file is read once however many icons are taken from it. An entry
// is keyed by path, size and modification time: a file changed on disk is read again. The least
// recently used files are dropped once the entries hold more than the budget.
class IconFileCache {
public:
    explicit IconFileCache(qint64 budgetBytes = kDefaultBudget);

    // The parsed file; nullptr when it is missing or unreadable. `version`, when given, receives
    // the file's versionKey.
    std::shared_ptr<const IconFile> file(const QString& path, QString* version = nullptr);

    // Files parsed so far (hits do not count); for tests and benchmarks.
    int parseCount() const { return m_parses; }

    // Identifies a file's current version: path, size and modification time. Empty when the
    // file does not exist.
    static QString versionKey(const QString& path);

    static constexpr qint64 kDefaultBudget = 16 * 1024 * 1024;

private:
    QCache<QString, std::shared_ptr<const IconFile>> m_files; // cost in KiB
    int m_parses = 0;
};
