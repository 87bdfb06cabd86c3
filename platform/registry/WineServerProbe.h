#pragma once

#include <QString>

// Tells whether a wineserver is running for a prefix. While one runs it holds the prefix's
// registry in memory and rewrites the files itself, so nobody else may write them.
class WineServerProbe {
public:
    struct Status {
        bool running = false;
        qint64 pid = 0;         // the server's process id, when known
        QString serverDir;      // the server's directory, when found
    };

    static Status probe(const QString& prefixDir);

    // "server-<dev>-<ino>" of the prefix folder, as wineserver names its directory; empty when the
    // folder cannot be examined.
    static QString serverDirName(const QString& prefixDir);
};
