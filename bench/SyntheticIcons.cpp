#include "bench/SyntheticIcons.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QSaveFile>

namespace {

void put16(QByteArray& out, quint16 value)
{
    out.append(char(value & 0xFF)).append(char(value >> 8));
}

void put32(QByteArray& out, quint32 value)
{
    put16(out, quint16(value & 0xFFFF));
    put16(out, quint16(value >> 16));
}

// Rows of a DIB are padded to whole 32-bit words.
int rowBytes(int bits)
{
    return (bits + 31) / 32 * 4;
}

} // namespace

SyntheticIcons::Image SyntheticIcons::dib(int size, int bitCount, QRgb colour)
{
    const int paletteSize = bitCount <= 8 ? 1 << bitCount : 0;
    QByteArray data;
    put32(data, 40);
    put32(data, quint32(size));
    put32(data, quint32(2 * size)); // colour rows and mask rows
    put16(data, 1);
    put16(data, quint16(bitCount));
    for (int i = 0; i < 6; ++i)
        put32(data, 0); // compression, image size, resolution, colours used and important
    // Palette entry 1 is the colour, and every pixel uses it.
    for (int i = 0; i < paletteSize; ++i) {
        const QRgb entry = i == 1 ? colour : qRgb(0, 0, 0);
        data.append(char(qBlue(entry))).append(char(qGreen(entry))).append(char(qRed(entry))).append(char(0));
    }
    QByteArray row(rowBytes(size * bitCount), '\0');
    for (int x = 0; x < size; ++x) {
        if (bitCount <= 8) {
            const int bit = x * bitCount;
            row[bit / 8] = char(row[bit / 8] | (1 << (8 - bitCount - bit % 8)));
        } else {
            char* pixel = row.data() + x * 4;
            pixel[0] = char(qBlue(colour));
            pixel[1] = char(qGreen(colour));
            pixel[2] = char(qRed(colour));
            pixel[3] = char(qAlpha(colour));
        }
    }
    for (int y = 0; y < size; ++y)
        data.append(row);
    data.append(QByteArray(rowBytes(size) * size, '\0')); // an AND mask that hides nothing
    return {size, bitCount, data};
}

SyntheticIcons::Image SyntheticIcons::png(int size, QRgb colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {size, 32, data};
}

QByteArray SyntheticIcons::icoFile(const QList<Image>& images)
{
    QByteArray file;
    put16(file, 0);
    put16(file, 1);
    put16(file, quint16(images.size()));
    qsizetype offset = 6 + 16 * images.size();
    for (const Image& image : images) {
        const char side = char(image.size & 0xFF); // 256 is written as 0
        file.append(side).append(side);
        file.append(char(image.bitCount <= 8 ? (1 << image.bitCount) & 0xFF : 0)).append(char(0));
        put16(file, 1);
        put16(file, quint16(image.bitCount));
        put32(file, quint32(image.data.size()));
        put32(file, quint32(offset));
        offset += image.data.size();
    }
    for (const Image& image : images)
        file.append(image.data);
    return file;
}

QStringList SyntheticIcons::fileNames()
{
    return {QStringLiteral("docview.ico"), QStringLiteral("mediaapp.ico")};
}

bool SyntheticIcons::writeFiles(const QString& folder, QString& error)
{
    // An old-style icon of paletted images, and a modern one whose largest image is a PNG.
    const QList<QByteArray> contents = {
        icoFile({dib(32, 4, qRgb(0, 0, 160)), dib(16, 4, qRgb(0, 0, 160)), dib(32, 8, qRgb(40, 90, 200)),
            dib(16, 8, qRgb(40, 90, 200))}),
        icoFile({png(256, qRgba(200, 60, 20, 255)), dib(48, 32, qRgba(200, 60, 20, 255)),
            dib(32, 32, qRgba(200, 60, 20, 255)), dib(16, 32, qRgba(200, 60, 20, 255))}),
    };
    const QStringList names = fileNames();
    for (qsizetype i = 0; i < names.size(); ++i) {
        QSaveFile file(QDir(folder).filePath(names[i]));
        if (!file.open(QIODevice::WriteOnly) || file.write(contents[i]) < 0 || !file.commit()) {
            error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
    }
    return true;
}
