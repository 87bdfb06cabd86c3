#include "tests/support/TestIconData.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>

namespace {

qint64 rowBytes(qint64 bits)
{
    return (bits + 31) / 32 * 4;
}

} // namespace

void TestIconData::put16(QByteArray& out, quint16 value)
{
    out.append(char(value & 0xFF)).append(char(value >> 8));
}

void TestIconData::put32(QByteArray& out, quint32 value)
{
    put16(out, quint16(value & 0xFFFF));
    put16(out, quint16(value >> 16));
}

void TestIconData::set16(QByteArray& bytes, qint64 offset, quint16 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

void TestIconData::set32(QByteArray& bytes, qint64 offset, quint32 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

quint32 TestIconData::get32(const QByteArray& bytes, qint64 offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

TestIconData::Image TestIconData::dib(int size, int bitCount, QRgb colour, bool withAlpha)
{
    const int paletteSize = bitCount <= 8 ? 1 << bitCount : 0;
    QByteArray data;
    put32(data, 40);
    put32(data, quint32(size));
    put32(data, quint32(2 * size));
    put16(data, 1);
    put16(data, quint16(bitCount));
    for (int i = 0; i < 6; ++i)
        put32(data, 0); // compression, image size, resolution, colours used and important
    // Palette: entry 0 black, entry 1 the colour; every pixel uses entry 1.
    for (int i = 0; i < paletteSize; ++i) {
        const QRgb entry = i == 1 ? colour : qRgb(0, 0, 0);
        data.append(char(qBlue(entry))).append(char(qGreen(entry))).append(char(qRed(entry))).append(char(0));
    }
    const qint64 colourRow = rowBytes(qint64(size) * bitCount);
    // Rows are stored bottom-up: the last row written is the top row of the picture.
    for (int row = 0; row < size; ++row) {
        const bool top = row == size - 1;
        QByteArray line;
        if (bitCount <= 8) {
            QByteArray bits(colourRow, 0);
            for (int x = 0; x < size; ++x) {
                const qint64 bit = qint64(x) * bitCount;
                bits[bit / 8] = char(bits[bit / 8] | (1 << (8 - bitCount - bit % 8)));
            }
            line = bits;
        } else {
            for (int x = 0; x < size; ++x) {
                line.append(char(qBlue(colour))).append(char(qGreen(colour))).append(char(qRed(colour)));
                if (bitCount == 32)
                    line.append(char(withAlpha && !top ? qAlpha(colour) : 0));
            }
            line.append(QByteArray(colourRow - line.size(), 0));
        }
        data.append(line);
    }
    const qint64 maskRow = rowBytes(size);
    for (int row = 0; row < size; ++row)
        data.append(QByteArray(maskRow, row == size - 1 ? char(0xFF) : char(0)));
    return {size, size, bitCount, data};
}

TestIconData::Image TestIconData::png(int size, QRgb colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    for (int x = 0; x < size; ++x)
        image.setPixel(x, 0, qRgba(0, 0, 0, 0));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {size, size, 32, data};
}

QByteArray TestIconData::icoFile(const QList<Image>& images)
{
    QByteArray file;
    put16(file, 0);
    put16(file, 1);
    put16(file, quint16(images.size()));
    qint64 offset = 6 + 16 * qint64(images.size());
    for (const Image& image : images) {
        file.append(char(image.width & 0xFF)).append(char(image.height & 0xFF));
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
