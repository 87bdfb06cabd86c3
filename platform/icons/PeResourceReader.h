#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class QFile;

// Reads where the icon resources of a PE image (PE32 or PE32+) lie in its file: the icon groups
// (RT_GROUP_ICON) in resource-directory order and the icon images (RT_ICON) by ID; and where its
// version resource (RT_VERSION) lies. Every read is bounds-checked against the file; a damaged
// file yields fewer resources, never more work than its directory entries and never memory
// beyond a fixed limit.
class PeResourceReader {
public:
    struct Location {
        qint64 offset = -1; // in the file; -1 when the resource has no data in the file
        qint64 size = 0;    // clamped to the end of the file
    };

    struct Group {
        QString name; // named groups, as stored (compilers store upper case)
        int id = -1;  // numbered groups
        Location data; // the GRPICONDIR of its first language
    };

    struct Resources {
        QList<Group> groups;
        QHash<quint16, Location> icons;
        Location version; // the VS_VERSIONINFO of the first version resource, first language
    };

    // The icon and version resources of the image in `file` (open for reading); an image without
    // resources has none. nullopt when the file is no PE image (a DOS or 16-bit NE program, for
    // instance).
    static std::optional<Resources> read(QFile& file);

    // Longer resource names are cut; they only label groups.
    static constexpr int kMaxNameLength = 64;
    // How much of the resource section is read to walk its directories; directory tables lie at
    // its start, and a bigger one is treated as cut off there.
    static constexpr qint64 kMaxDirectoryBytes = 32 * 1024 * 1024;
};
