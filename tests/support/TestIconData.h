#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>

// Icon images and .ico files made by the tests. Every image is one colour, except that its top
// row is transparent (through the AND mask, and for 32 bpp also through alpha), so a test can
// tell both which image was used and that the mask was applied the right way up.
class TestIconData {
public:
    struct Image {
        int width = 0;
        int height = 0;
        int bitCount = 0;
        QByteArray data;
    };

    // A DIB image (BITMAPINFOHEADER, palette, colour rows, AND mask) of 1, 4, 8, 24 or 32 bpp.
    // `withAlpha` false leaves a 32 bpp image's alpha bytes zero, as old icons have them.
    static Image dib(int size, int bitCount, QRgb colour, bool withAlpha = true);
    // A PNG image (32 bpp with alpha).
    static Image png(int size, QRgb colour);
    // An .ico file holding the images, directory fields taken from the images.
    static QByteArray icoFile(const QList<Image>& images);

    static void put16(QByteArray& out, quint16 value);
    static void put32(QByteArray& out, quint32 value);
    static void set16(QByteArray& bytes, qint64 offset, quint16 value);
    static void set32(QByteArray& bytes, qint64 offset, quint32 value);
    static quint32 get32(const QByteArray& bytes, qint64 offset);
};
