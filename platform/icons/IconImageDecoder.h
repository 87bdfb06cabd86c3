#pragma once

#include "platform/icons/IconPair.h"

#include <QByteArray>
#include <QImage>
#include <QList>

#include <optional>

class IconFile;

// Turns an icon group into the images to show: picks for each wanted size the image that fits
// best and decodes it with Qt's ICO reader, from an .ico stream made of that image.
class IconImageDecoder {
public:
    // What an image's own data says about it. The directory entries of a file are not trusted:
    // they may disagree with the data.
    struct ImageInfo {
        bool png = false;
        int width = 0;
        int height = 0;
        int bitCount = 0;
        qint64 dataSize = 0; // bytes to read: what a DIB needs, or all of a PNG (up to kMaxPngBytes)
    };

    // Reads the PNG or DIB header at the start of `head` (the first bytes of an image of `size`
    // bytes). nullopt when the data cannot be a complete icon image of sane dimensions.
    static std::optional<ImageInfo> inspect(const QByteArray& head, qint64 size);

    // The images of a group of `file` at the two sizes, as ARGB32 premultiplied; an image is null
    // when the group has no usable image.
    static IconPair decodeGroup(const IconFile& file, int group, int largeSize, int smallSize);

    // Decodes one image from its data (as `inspect` described it); null when Qt cannot read it.
    static QImage decodeImage(const ImageInfo& info, const QByteArray& data);

    // Icons come in at most 256 pixels; some files carry larger PNG images.
    static constexpr int kMaxDimension = 1024;
    static constexpr qint64 kMaxPngBytes = 16 * 1024 * 1024;

private:
    // Which of the images to show at `size` pixels: the exact size with the most colours, else the
    // nearest larger one, else the largest smaller one (the image is then scaled). -1 if none.
    static int choose(const QList<ImageInfo>& images, int size);
};
