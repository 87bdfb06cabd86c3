#pragma once

#include <QString>

// What tells one version of a file from another without reading it: whether it exists, its size,
// its modification time in nanoseconds and its inode (a file renamed over it is another file). No
// stamp, as for a missing file, differs from every file there is.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint64 inode = 0;

    bool operator==(const FileStamp&) const = default;

    // The file at `path` (a symbolic link is followed).
    static FileStamp of(const QString& path);
    // The file open as `descriptor`.
    static FileStamp ofOpenFile(int descriptor);
};
