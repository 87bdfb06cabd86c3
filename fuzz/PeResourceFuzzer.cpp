// PE images (.exe, .dll): the resource directory, the icon groups and their images, and the
// version resource. Every resource found lies inside the file; whatever decodes has the size
// asked for.

#include "fuzz/FuzzSupport.h"

#include "platform/icons/IconFile.h"
#include "platform/icons/IconImageDecoder.h"
#include "platform/icons/PeResourceReader.h"
#include "platform/icons/PeVersionInfo.h"

#include <QFile>

namespace {

void requireInside(const PeResourceReader::Location& location, qint64 fileSize)
{
    fuzz::require(location.offset < 0 || (location.size >= 0 && location.offset + location.size <= fileSize),
                  "a resource lies inside its file");
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
    const QString path = fuzz::writeInput(QStringLiteral("input.dll"), bytes);

    QFile pe(path);
    fuzz::require(pe.open(QIODevice::ReadOnly), "the input opens");
    if (const auto resources = PeResourceReader::read(pe)) {
        for (const PeResourceReader::Group& group : resources->groups) {
            requireInside(group.data, bytes.size());
            fuzz::require(group.name.size() <= PeResourceReader::kMaxNameLength, "a group name is cut to the limit");
        }
        for (const PeResourceReader::Location& icon : resources->icons)
            requireInside(icon, bytes.size());
        requireInside(resources->version, bytes.size());
    }

    if (const auto file = IconFile::load(path)) {
        // Real libraries hold hundreds of groups; a few tell as much about the decoder.
        const int groups = std::min(file->groupCount(), 8);
        for (int group = 0; group < groups; ++group) {
            const IconPair pair = IconImageDecoder::decodeGroup(*file, group, 32, 16);
            fuzz::require(pair.large.isNull() || pair.large.size() == QSize(32, 32), "a large icon is 32 pixels");
            fuzz::require(pair.small.isNull() || pair.small.size() == QSize(16, 16), "a small icon is 16 pixels");
        }
    }

    if (const auto version = PeVersionInfo::read(path)) {
        for (const auto& [name, value] : version->strings)
            fuzz::require(value.size() < PeVersionInfo::kMaxResourceBytes, "a text is no longer than its resource");
    }
    // The version resource's own parser, on the raw bytes as well.
    PeVersionInfo::parse(bytes.left(PeVersionInfo::kMaxResourceBytes));
    return 0;
}
