#pragma once

#include "platform/icons/IconPair.h"

#include <QHash>
#include <QImage>
#include <QString>

// Varnook's own drawings of the shell's stock icons, used for "SHELL32.DLL" when the prefix has
// no shell32.dll: SVG files named 0.svg, 1.svg, ... in one folder, numbered without gaps. Icon i
// has the resource ID i + 1, so "SHELL32.DLL,-1" is 0.svg.
class StandInIconLibrary {
public:
    explicit StandInIconLibrary(QString folder = defaultFolder());

    // The library shipped in the program's resources.
    static QString defaultFolder();

    // The number of icons: the SVG files from 0.svg on up to the first missing number.
    int count() const;

    // The same contract as IconExtractor::extract, on the library.
    int extract(int index, QImage* large, QImage* small);

    // Draws an SVG file at `size` x `size` pixels (ARGB32 premultiplied, transparent where the
    // drawing leaves it); null when the file is no valid SVG.
    static QImage render(const QString& svgFile, int size);

private:
    QString fileOf(int index) const;

    QString m_folder;
    mutable int m_count = -1;
    QHash<int, IconPair> m_rendered; // at most count() entries
};
