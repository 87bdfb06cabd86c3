#include "app/shell/BackupRestore.h"

#include "platform/registry/HiveReader.h"

#include <QFile>
#include <QLocale>

BackupRestore::BackupRestore(PrefixStore& store)
    : m_store(store)
{
    for (PrefixStore::Backup& backup : store.backups())
        m_entries.push_back({std::move(backup), Entry::State::NotCompared, {}, QString()});
}

void BackupRestore::compare(std::size_t index)
{
    Entry& entry = m_entries.at(index);
    QFile in(entry.backup.path);
    if (!in.open(QIODevice::ReadOnly)) {
        entry.state = Entry::State::Unreadable;
        entry.problem = in.errorString();
        return;
    }
    const HiveReader::Result read = HiveReader::read(in.readAll(), entry.backup.path);
    const std::shared_ptr<const Hive> current = m_store.hiveOf(entry.backup.fileName);
    if (!read.hive || !read.hive->problems().isEmpty() || !current) {
        entry.state = Entry::State::Unreadable;
        entry.problem = !read.hive ? read.error : !current ? QStringLiteral("no such file in the prefix")
                                                           : read.hive->problems().first();
        return;
    }
    entry.differences = HiveComparison::compare(*read.hive, *current);
    entry.state = Entry::State::Compared;
}

QString BackupRestore::dateText(const Entry& entry)
{
    return entry.backup.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString BackupRestore::sizeText(const Entry& entry)
{
    return QLocale().formattedDataSize(entry.backup.size, 1, QLocale::DataSizeTraditionalFormat);
}

QString BackupRestore::differencesText(const Entry& entry)
{
    switch (entry.state) {
    case Entry::State::NotCompared:
        return QStringLiteral("Comparing...");
    case Entry::State::Unreadable:
        return QStringLiteral("Cannot be read");
    case Entry::State::Compared:
        break;
    }
    const HiveComparison::Counts& counts = entry.differences;
    if (counts.isEmpty())
        return QStringLiteral("None");
    return QStringLiteral("%1 added, %2 removed, %3 changed").arg(counts.added).arg(counts.removed).arg(counts.changed);
}

QString BackupRestore::refusal(std::size_t index) const
{
    const Entry& entry = m_entries.at(index);
    if (entry.state == Entry::State::Unreadable)
        return QStringLiteral("Varnook cannot read the backup %1, so it cannot restore it:\r\n%2")
            .arg(entry.backup.path, entry.problem);
    return m_store.restoreRefusal(entry.backup.fileName);
}

QString BackupRestore::question(std::size_t index) const
{
    const Entry& entry = m_entries.at(index);
    return QStringLiteral("Do you want to put back %1 as it was on %2?\r\n\r\nEvery change made to it since then "
                          "will be undone. Varnook backs up the current file first, so you can restore it later.")
        .arg(entry.backup.fileName, dateText(entry));
}

bool BackupRestore::restore(std::size_t index, QString& error)
{
    if (error = refusal(index); !error.isEmpty())
        return false;
    return m_store.restore(m_entries.at(index).backup, error);
}
