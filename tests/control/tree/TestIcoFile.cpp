#include "tests/control/tree/TestIcoFile.h"

#include <QBuffer>
#include <QImage>
#include <QList>

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

QByteArray png(int size, QRgb colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

} // namespace

QByteArray TestIcoFile::oneColour(QRgb colour)
{
    const QList<int> sizes{16, 32};
    QList<QByteArray> images;
    for (int size : sizes)
        images << png(size, colour);
    QByteArray file;
    put16(file, 0);
    put16(file, 1); // an icon, not a cursor
    put16(file, quint16(images.size()));
    quint32 offset = quint32(6 + 16 * images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        file.append(char(sizes[i])).append(char(sizes[i])).append(char(0)).append(char(0));
        put16(file, 1);
        put16(file, 32);
        put32(file, quint32(images[i].size()));
        put32(file, offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray& image : images)
        file.append(image);
    return file;
}
