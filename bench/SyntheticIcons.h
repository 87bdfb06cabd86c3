#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QString>
#include <QStringList>

// Icon files for the prefixes the tree benchmarks open, so that the icon locations there name
// real files holding more than one kind of image: DIBs of several depths and a PNG.
class SyntheticIcons {
public:
    struct Image {
        int size = 0; // width and height
        int bitCount = 0;
        QByteArray data;
    };

    // A one-colour DIB image (BITMAPINFOHEADER, palette, colour rows, AND mask) of 4, 8 or 32 bpp.
    static Image dib(int size, int bitCount, QRgb colour);
    // A one-colour PNG image (32 bpp with alpha).
    static Image png(int size, QRgb colour);
    // An .ico file holding the images.
    static QByteArray icoFile(const QList<Image>& images);

    // The names of the files writeFiles() writes.
    static QStringList fileNames();
    // Writes the icon files into `folder` (a prefix's system32).
    static bool writeFiles(const QString& folder, QString& error);
};
