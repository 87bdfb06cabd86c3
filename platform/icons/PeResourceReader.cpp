#include "platform/icons/PeResourceReader.h"

#include "platform/icons/ByteView.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace {

constexpr quint16 kRtIcon = 3;
constexpr quint16 kRtGroupIcon = 14;
constexpr quint16 kRtVersion = 16;
constexpr quint32 kHighBit = 0x80000000u;

// Up to `length` bytes at `offset`, fewer at the end of the file.
QByteArray readAt(QFile& file, qint64 offset, qint64 length)
{
    const qint64 size = file.size();
    if (offset < 0 || offset >= size || length <= 0)
        return {};
    if (!file.seek(offset))
        return {};
    return file.read(std::min(length, size - offset));
}

struct Section {
    quint32 virtualAddress = 0;
    quint32 virtualSize = 0;
    quint32 rawSize = 0;
    quint32 rawPointer = 0;
};

struct DirectoryEntry {
    quint32 name = 0;  // high bit: offset of a name; else the ID in the low 16 bits
    quint32 value = 0; // high bit: offset of a subdirectory; else of a data entry
};

class Image {
public:
    Image(QFile& file, std::vector<Section> sections)
        : m_file(file)
        , m_sections(std::move(sections))
    {
    }

    // File offset of an RVA and the end of its section's data in the file.
    std::optional<std::pair<qint64, qint64>> fileOffset(quint32 rva) const
    {
        for (const Section& s : m_sections) {
            const qint64 delta = qint64(rva) - s.virtualAddress;
            const qint64 span = std::max(s.virtualSize, s.rawSize);
            if (delta < 0 || delta >= span)
                continue;
            if (delta >= s.rawSize)
                return std::nullopt; // in memory only (zero-filled), not in the file
            return std::make_pair(qint64(s.rawPointer) + delta, qint64(s.rawPointer) + s.rawSize);
        }
        return std::nullopt;
    }

    bool loadDirectory(quint32 rva)
    {
        const auto at = fileOffset(rva);
        if (!at)
            return false;
        m_directory = readAt(m_file, at->first, std::min(at->second - at->first, PeResourceReader::kMaxDirectoryBytes));
        return !m_directory.isEmpty();
    }

    // The entries of the directory at a root-relative offset, as many as lie inside what was read.
    std::vector<DirectoryEntry> entries(quint32 offset) const
    {
        std::vector<DirectoryEntry> result;
        const ByteView bytes(m_directory);
        if (!bytes.fits(offset, 16))
            return result;
        const qint64 first = qint64(offset) + 16;
        const qint64 declared = qint64(bytes.u16(offset + 12)) + bytes.u16(offset + 14);
        const qint64 count = std::min(declared, (bytes.size() - first) / 8);
        result.reserve(std::size_t(count));
        for (qint64 i = 0; i < count; ++i)
            result.push_back({bytes.u32(first + 8 * i), bytes.u32(first + 8 * i + 4)});
        return result;
    }

    QString name(quint32 offset) const
    {
        offset &= ~kHighBit;
        const ByteView bytes(m_directory);
        if (!bytes.fits(offset, 2))
            return {};
        const qint64 available = (bytes.size() - offset - 2) / 2;
        const qint64 length = std::min<qint64>({bytes.u16(offset), available, PeResourceReader::kMaxNameLength});
        QString text(length, Qt::Uninitialized);
        for (qint64 i = 0; i < length; ++i)
            text[i] = QChar(bytes.u16(offset + 2 + 2 * i));
        return text;
    }

    // The data of the first language of a name entry (type -> name -> language).
    PeResourceReader::Location firstLanguage(const DirectoryEntry& nameEntry) const
    {
        if (!(nameEntry.value & kHighBit))
            return {};
        const auto languages = entries(nameEntry.value & ~kHighBit);
        if (languages.empty() || (languages.front().value & kHighBit))
            return {};
        const quint32 dataEntry = languages.front().value;
        const ByteView bytes(m_directory);
        if (!bytes.fits(dataEntry, 16))
            return {};
        const auto at = fileOffset(bytes.u32(dataEntry));
        if (!at || at->first >= m_file.size())
            return {};
        const qint64 size = std::min<qint64>(bytes.u32(dataEntry + 4), m_file.size() - at->first);
        return {at->first, size};
    }

private:
    QFile& m_file;
    std::vector<Section> m_sections;
    QByteArray m_directory; // the resource section from the root directory on
};

} // namespace

std::optional<PeResourceReader::Resources> PeResourceReader::read(QFile& file)
{
    const QByteArray dos = readAt(file, 0, 64);
    if (dos.size() < 64 || !dos.startsWith("MZ"))
        return std::nullopt;
    const qint64 signature = ByteView(dos).u32(0x3C);
    const QByteArray coffBytes = readAt(file, signature, 24);
    if (coffBytes.size() < 24 || !coffBytes.startsWith(QByteArrayView("PE\0\0", 4)))
        return std::nullopt;

    Resources resources;
    const ByteView coff(coffBytes);
    const quint16 sectionCount = coff.u16(6);
    const quint16 optionalSize = coff.u16(20);
    const QByteArray optionalBytes = readAt(file, signature + 24, optionalSize);
    const ByteView optional(optionalBytes);
    qint64 directories = 0;
    switch (optional.u16(0)) {
    case 0x10B:
        directories = 96;
        break;
    case 0x20B:
        directories = 112;
        break;
    default:
        return resources;
    }
    const quint32 directoryCount = optional.u32(directories - 4);
    if (directoryCount < 3 || !optional.fits(directories + 16, 8))
        return resources;
    const quint32 resourceRva = optional.u32(directories + 16);
    if (resourceRva == 0)
        return resources;

    const QByteArray tableBytes = readAt(file, signature + 24 + optionalSize, qint64(sectionCount) * 40);
    const ByteView table(tableBytes);
    std::vector<Section> sections;
    for (qint64 at = 0; at + 40 <= table.size(); at += 40)
        sections.push_back({table.u32(at + 12), table.u32(at + 8), table.u32(at + 16), table.u32(at + 20)});

    Image image(file, std::move(sections));
    if (!image.loadDirectory(resourceRva))
        return resources;

    const auto types = image.entries(0);
    const auto typeDirectory = [&](quint16 type) -> std::optional<quint32> {
        for (const DirectoryEntry& entry : types) {
            if (!(entry.name & kHighBit) && (entry.name & 0xFFFF) == type)
                return (entry.value & kHighBit) ? std::optional<quint32>(entry.value & ~kHighBit) : std::nullopt;
        }
        return std::nullopt;
    };

    if (const auto groups = typeDirectory(kRtGroupIcon)) {
        for (const DirectoryEntry& entry : image.entries(*groups)) {
            Group group;
            if (entry.name & kHighBit)
                group.name = image.name(entry.name);
            else
                group.id = int(entry.name & 0xFFFF);
            group.data = image.firstLanguage(entry);
            resources.groups.append(group);
        }
    }
    if (const auto icons = typeDirectory(kRtIcon)) {
        for (const DirectoryEntry& entry : image.entries(*icons)) {
            if (entry.name & kHighBit)
                continue; // groups refer to their images by ID only
            const quint16 id = quint16(entry.name & 0xFFFF);
            if (!resources.icons.contains(id))
                resources.icons.insert(id, image.firstLanguage(entry));
        }
    }
    if (const auto versions = typeDirectory(kRtVersion)) {
        // Programs carry one version resource (ID 1); a second would only repeat it.
        const auto entries = image.entries(*versions);
        if (!entries.empty())
            resources.version = image.firstLanguage(entries.front());
    }
    return resources;
}
