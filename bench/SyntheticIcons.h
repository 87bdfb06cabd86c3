#pragma once

#include <QString>
#include <QStringList>

// Icon files for the prefixes the tree benchmarks open, so that the icon locations there name
// real files holding more than one kind of image: DIBs of several depths and a PNG.
class SyntheticIcons {
public:
    // The names of the files writeFiles() writes.
    static QStringList fileNames();
    // Writes the icon files into `folder` (a prefix's system32).
    static bool writeFiles(const QString& folder, QString& error);
};
