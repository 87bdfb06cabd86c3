#include "platform/icons/IconFile.h"

#include "platform/icons/ByteView.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr int kIcoHeaderSize = 6;
constexpr int kIcoEntrySize = 16;
constexpr int kGroupEntrySize = 14;

// ICONDIR and GRPICONDIR start alike: reserved 0, type 1 (icon), then the image count.
bool isIconDirectory(const ByteView& bytes)
{
    return bytes.size() >= kIcoHeaderSize && bytes.u16(0) == 0 && bytes.u16(2) == 1;
}

} // namespace

IconFile::IconFile(QString path, Kind kind)
    : m_path(std::move(path))
    , m_kind(kind)
{
}

std::shared_ptr<const IconFile> IconFile::load(const QString& path)
{
    // Only regular files: opening a FIFO or a device could block or never end.
    if (!QFileInfo(path).isFile())
        return nullptr;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const qint64 size = file.size();
    const QByteArray headBytes = file.read(kIcoHeaderSize);
    const ByteView head(headBytes);

    if (headBytes.startsWith("MZ")) {
        auto resources = PeResourceReader::read(file);
        if (!resources)
            return std::shared_ptr<const IconFile>(new IconFile(path, Kind::Other));
        std::shared_ptr<IconFile> pe(new IconFile(path, Kind::Pe));
        pe->m_pe = std::move(*resources);
        return pe;
    }
    if (!isIconDirectory(head) || head.u16(4) == 0)
        return std::shared_ptr<const IconFile>(new IconFile(path, Kind::Other));

    std::shared_ptr<IconFile> ico(new IconFile(path, Kind::Ico));
    const int count = std::min<int>(head.u16(4), kMaxImagesPerGroup);
    const QByteArray directoryBytes = file.read(qint64(count) * kIcoEntrySize);
    const ByteView directory(directoryBytes);
    for (qsizetype at = 0; at + kIcoEntrySize <= directory.size(); at += kIcoEntrySize) {
        const qint64 offset = directory.u32(at + 12);
        if (offset < size)
            ico->m_icoEntries.append({offset, std::min<qint64>(directory.u32(at + 8), size - offset)});
    }
    return ico;
}

int IconFile::groupCount() const
{
    switch (m_kind) {
    case Kind::Ico:
        return 1;
    case Kind::Pe:
        return int(m_pe.groups.size());
    case Kind::Other:
        break;
    }
    return 0;
}

int IconFile::groupWithId(qint64 id) const
{
    const auto found = std::find_if(m_pe.groups.cbegin(), m_pe.groups.cend(),
                                    [id](const PeResourceReader::Group& group) { return group.id == id; });
    return found == m_pe.groups.cend() ? -1 : int(found - m_pe.groups.cbegin());
}

QString IconFile::groupName(int group) const
{
    return m_kind == Kind::Pe && group >= 0 && group < m_pe.groups.size() ? m_pe.groups.at(group).name : QString();
}

int IconFile::groupId(int group) const
{
    return m_kind == Kind::Pe && group >= 0 && group < m_pe.groups.size() ? m_pe.groups.at(group).id : -1;
}

QList<IconEntry> IconFile::entries(int group) const
{
    if (group < 0 || group >= groupCount())
        return {};
    if (m_kind == Kind::Ico)
        return m_icoEntries;

    const PeResourceReader::Location& data = m_pe.groups.at(group).data;
    const QByteArray directoryBytes =
        readAt(data.offset, std::min<qint64>(data.size, kIcoHeaderSize + kMaxImagesPerGroup * kGroupEntrySize));
    const ByteView directory(directoryBytes);
    if (!isIconDirectory(directory))
        return {};
    const qsizetype count =
        std::min<qsizetype>(directory.u16(4), (directory.size() - kIcoHeaderSize) / kGroupEntrySize);
    QList<IconEntry> result;
    for (qsizetype i = 0; i < count; ++i) {
        // GRPICONDIRENTRY: 12 bytes like ICONDIRENTRY's, then the RT_ICON ID.
        const auto image = m_pe.icons.constFind(directory.u16(kIcoHeaderSize + i * kGroupEntrySize + 12));
        if (image == m_pe.icons.cend() || image->offset < 0)
            continue;
        result.append({image->offset, image->size});
    }
    return result;
}

QByteArray IconFile::readData(const IconEntry& entry, qint64 maxBytes) const
{
    return readAt(entry.offset, std::min(entry.size, maxBytes));
}

QByteArray IconFile::readAt(qint64 offset, qint64 length) const
{
    if (offset < 0 || length <= 0)
        return {};
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return {};
    return file.read(length);
}

qint64 IconFile::footprint() const
{
    qint64 bytes = qint64(sizeof(IconFile)) + m_path.size() * 2 + m_icoEntries.size() * qint64(sizeof(IconEntry))
        + m_pe.icons.size() * 32;
    for (const PeResourceReader::Group& group : m_pe.groups)
        bytes += qint64(sizeof(group)) + group.name.size() * 2;
    return bytes;
}
