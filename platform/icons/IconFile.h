#pragma once

#include "platform/icons/IconEntry.h"
#include "platform/icons/PeResourceReader.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

// The icon groups of one file, read once: an .ico file is one group; a PE image (.exe, .dll)
// has one group per RT_GROUP_ICON resource; any other file has none. Image data stays on disk
// until an image is asked for.
class IconFile {
public:
    // Reads the file's icon directory. nullptr when the file is missing, not a regular file or
    // cannot be read.
    static std::shared_ptr<const IconFile> load(const QString& path);

    int groupCount() const;
    // The position of the group with this resource ID; -1 when there is none.
    int groupWithId(qint64 id) const;
    // A group's resource name (empty for numbered groups and .ico files) and ID (-1 if none).
    QString groupName(int group) const;
    int groupId(int group) const;

    // The images of a group, as its directory lists them (at most kMaxImagesPerGroup, and only
    // those whose data is in the file). Reads the group directory from disk for PE images.
    QList<IconEntry> entries(int group) const;

    // Up to `maxBytes` of an image's data, read from disk.
    QByteArray readData(const IconEntry& entry, qint64 maxBytes) const;

    // Rough memory held, for the cache's budget.
    qint64 footprint() const;

    // Real icon groups hold about ten images; the rest of a longer directory is ignored.
    static constexpr int kMaxImagesPerGroup = 64;

private:
    enum class Kind { Ico, Pe, Other };

    IconFile(QString path, Kind kind);
    QByteArray readAt(qint64 offset, qint64 length) const;

    QString m_path;
    Kind m_kind = Kind::Other;
    QList<IconEntry> m_icoEntries;
    PeResourceReader::Resources m_pe;
};
