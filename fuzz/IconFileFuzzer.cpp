// .ico files and their images (DIB of every depth, PNG): the directory, what the image data says
// about itself, and decoding with the AND mask. Whatever decodes has the size asked for.

#include "fuzz/FuzzSupport.h"

#include "platform/icons/IconFile.h"
#include "platform/icons/IconImageDecoder.h"

namespace {

void requireIcon(const QImage& image, int size)
{
    fuzz::require(image.isNull() || image.size() == QSize(size, size), "an icon image has the size asked for");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString path = fuzz::writeInput(QStringLiteral("input.ico"), bytes);
    const auto file = IconFile::load(path);
    fuzz::require(file != nullptr, "a regular file loads");
    fuzz::require(file->groupCount() <= 1 || bytes.startsWith("MZ"), "an .ico file is one group");
    for (int group = 0; group < file->groupCount(); ++group) {
        const QList<IconEntry> entries = file->entries(group);
        fuzz::require(entries.size() <= IconFile::kMaxImagesPerGroup, "a group is at most 64 images");
        for (const IconEntry& entry : entries) {
            fuzz::require(entry.offset >= 0 && entry.size >= 0 && entry.offset + entry.size <= bytes.size(),
                          "an image lies inside its file");
            // Each image on its own, as the picker of the best one sees it.
            const QByteArray image = file->readData(entry, entry.size);
            if (const auto info = IconImageDecoder::inspect(image.left(64), entry.size)) {
                fuzz::require(info->dataSize <= entry.size, "an image needs no more than its file has");
                const QImage decoded = IconImageDecoder::decodeImage(*info, image);
                fuzz::require(decoded.isNull() || (decoded.width() <= IconImageDecoder::kMaxDimension &&
                                                   decoded.height() <= IconImageDecoder::kMaxDimension),
                              "a decoded image is no larger than the limit");
            }
        }
        const IconPair pair = IconImageDecoder::decodeGroup(*file, group, 32, 16);
        requireIcon(pair.large, 32);
        requireIcon(pair.small, 16);
    }
    return 0;
}
