#include "platform/icons/IconFileCache.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

IconFileCache::IconFileCache(qint64 budgetBytes)
    : m_files(qsizetype(std::max<qint64>(budgetBytes / 1024, 1)))
{
}

QString IconFileCache::versionKey(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return path + QLatin1Char('|') + QString::number(info.size()) + QLatin1Char('|')
        + QString::number(info.lastModified().toMSecsSinceEpoch());
}

std::shared_ptr<const IconFile> IconFileCache::file(const QString& path, QString* version)
{
    const QString key = versionKey(path);
    if (version)
        *version = key;
    if (key.isEmpty())
        return nullptr;
    if (const auto* cached = m_files.object(key))
        return *cached;
    ++m_parses;
    auto loaded = IconFile::load(path);
    if (loaded) {
        // A file costlier than the whole budget is not kept; the caller still gets it.
        m_files.insert(key, new std::shared_ptr<const IconFile>(loaded), qsizetype(loaded->footprint() / 1024 + 1));
    }
    return loaded;
}
