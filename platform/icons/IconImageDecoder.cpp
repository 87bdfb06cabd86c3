#include "platform/icons/IconImageDecoder.h"

#include "platform/icons/ByteView.h"
#include "platform/icons/IconFile.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <tuple>

namespace {

constexpr int kDibHeaderSize = 40;
constexpr int kIcoHeaderSize = 6;
constexpr int kIcoEntrySize = 16;
const QByteArray kPngSignature = QByteArrayLiteral("\x89PNG\r\n\x1a\n");

qint64 rowBytes(qint64 bits)
{
    return (bits + 31) / 32 * 4;
}

void put16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

int paletteSize(const QByteArray& dib, int bitCount)
{
    if (bitCount > 8)
        return 0;
    const quint32 used = ByteView(dib).u32(32);
    return used ? int(used) : 1 << bitCount;
}

qint64 maskOffset(const IconImageDecoder::ImageInfo& info, int colours)
{
    return kDibHeaderSize + 4 * qint64(colours) + rowBytes(qint64(info.width) * info.bitCount) * info.height;
}

// Whether every alpha byte of a 32-bit image is zero: old images leave alpha empty and rely on the
// AND mask, as Windows reads them.
bool alphaEmpty(const QByteArray& dib, const IconImageDecoder::ImageInfo& info)
{
    const char* colour = dib.constData() + kDibHeaderSize;
    const qint64 pixels = qint64(info.width) * info.height;
    for (qint64 i = 0; i < pixels; ++i) {
        if (colour[4 * i + 3] != 0)
            return false;
    }
    return true;
}

// Qt's reader does not apply the AND mask to every depth; applying it again is harmless.
void applyMask(QImage& image, const QByteArray& dib, const IconImageDecoder::ImageInfo& info, int colours)
{
    const char* mask = dib.constData() + maskOffset(info, colours);
    const qint64 maskRow = rowBytes(info.width);
    const int height = std::min(image.height(), info.height);
    const int width = std::min(image.width(), info.width);
    for (int y = 0; y < height; ++y) {
        const char* row = mask + (info.height - 1 - y) * maskRow; // bottom-up
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if ((row[x / 8] >> (7 - x % 8)) & 1)
                pixels[x] = 0;
        }
    }
}

// An .ico stream of one image, its directory entry made from what the data says.
QByteArray icoStream(const IconImageDecoder::ImageInfo& info, const QByteArray& data, int colours)
{
    QByteArray stream;
    stream.reserve(kIcoHeaderSize + kIcoEntrySize + data.size());
    put16(stream, 0);
    put16(stream, 1);
    put16(stream, 1);
    stream.append(char(info.width >= 256 ? 0 : info.width));
    stream.append(char(info.height >= 256 ? 0 : info.height));
    stream.append(char(colours < 256 ? colours : 0));
    stream.append(char(0));
    put16(stream, 1);
    put16(stream, quint16(info.bitCount));
    put32(stream, quint32(data.size()));
    put32(stream, kIcoHeaderSize + kIcoEntrySize);
    stream.append(data);
    return stream;
}

} // namespace

std::optional<IconImageDecoder::ImageInfo> IconImageDecoder::inspect(const QByteArray& headBytes, qint64 size)
{
    const ByteView head(headBytes);
    const auto sane = [](qint64 extent) { return extent >= 1 && extent <= kMaxDimension; };
    ImageInfo info;
    if (headBytes.startsWith(kPngSignature)) {
        // The IHDR chunk comes first: width, height, bit depth, colour type.
        if (head.size() < 26 || headBytes.mid(12, 4) != "IHDR")
            return std::nullopt;
        const qint64 width = head.u32BigEndian(16);
        const qint64 height = head.u32BigEndian(20);
        const int depth = head.u8(24);
        const int channels[] = {1, 0, 3, 1, 2, 0, 4};
        const int colourType = head.u8(25);
        if (!sane(width) || !sane(height) || colourType > 6 || channels[colourType] == 0)
            return std::nullopt;
        info.png = true;
        info.width = int(width);
        info.height = int(height);
        info.bitCount = depth * channels[colourType];
        info.dataSize = std::min(size, kMaxPngBytes);
        return info;
    }

    if (head.size() < kDibHeaderSize || head.u32(0) != kDibHeaderSize)
        return std::nullopt;
    const qint64 width = head.i32(4);
    const qint64 doubleHeight = head.i32(8); // colour bitmap, then mask
    const int bitCount = head.u16(14);
    const quint32 compression = head.u32(16);
    const quint32 used = head.u32(32);
    const bool knownDepth = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24 || bitCount == 32;
    if (!sane(width) || doubleHeight % 2 != 0 || !sane(doubleHeight / 2) || !knownDepth || compression != 0
        || (bitCount <= 8 ? used > (1u << bitCount) : used != 0))
        return std::nullopt;
    const qint64 height = doubleHeight / 2;
    const qint64 needed = kDibHeaderSize + 4 * qint64(paletteSize(headBytes, bitCount)) + rowBytes(width * bitCount) * height
        + rowBytes(width) * height;
    if (needed > size)
        return std::nullopt;
    info.width = int(width);
    info.height = int(height);
    info.bitCount = bitCount;
    info.dataSize = needed;
    return info;
}

int IconImageDecoder::choose(const QList<ImageInfo>& images, int size)
{
    // Smaller rank wins: exact first, then larger ones nearest first, then smaller ones.
    const auto rank = [size](const ImageInfo& info) {
        const int extent = std::max(info.width, info.height);
        const int kind = info.width == size && info.height == size ? 0 : extent >= size ? 1 : 2;
        return std::make_tuple(kind, std::abs(extent - size), -info.bitCount);
    };
    int best = -1;
    for (int i = 0; i < images.size(); ++i) {
        if (best < 0 || rank(images.at(i)) < rank(images.at(best)))
            best = i;
    }
    return best;
}

QImage IconImageDecoder::decodeImage(const ImageInfo& info, const QByteArray& data)
{
    if (data.size() < info.dataSize)
        return {}; // the file changed since it was inspected
    // A PNG cut short has no end chunk; spare libpng (and the log) the attempt.
    if (info.png && !data.right(64).contains("IEND"))
        return {};
    QByteArray bytes = data.left(info.dataSize);
    const int colours = info.png ? 0 : paletteSize(bytes, info.bitCount);
    const bool masked = !info.png && (info.bitCount < 32 || alphaEmpty(bytes, info));
    if (masked && info.bitCount == 32) {
        char* colour = bytes.data() + kDibHeaderSize;
        for (qint64 i = 0; i < qint64(info.width) * info.height; ++i)
            colour[4 * i + 3] = char(0xFF);
    }
    QByteArray stream = icoStream(info, bytes, colours);
    QBuffer buffer(&stream);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull() && masked)
        applyMask(image, bytes, info, colours);
    return image;
}

IconPair IconImageDecoder::decodeGroup(const IconFile& file, int group, int largeSize, int smallSize)
{
    // Enough for the PNG signature and IHDR chunk, or a BITMAPINFOHEADER.
    constexpr qint64 kHeadBytes = 64;
    const QList<IconEntry> entries = file.entries(group);
    QList<IconEntry> usable;
    QList<ImageInfo> infos;
    for (const IconEntry& entry : entries) {
        if (const auto info = inspect(file.readData(entry, kHeadBytes), entry.size)) {
            usable.append(entry);
            infos.append(*info);
        }
    }

    const auto render = [&](int size) -> QImage {
        // An image Qt cannot read after all is dropped and the next best one taken.
        while (!infos.isEmpty()) {
            const int chosen = choose(infos, size);
            const ImageInfo info = infos.at(chosen);
            const QImage image = decodeImage(info, file.readData(usable.at(chosen), info.dataSize));
            if (!image.isNull()) {
                return image.size() == QSize(size, size)
                    ? image
                    : image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            }
            infos.removeAt(chosen);
            usable.removeAt(chosen);
        }
        return {};
    };
    return {render(largeSize), render(smallSize)};
}
