#include "tests/platform/icons/TestPeWriter.h"

#include <algorithm>

using D = TestIconData;

namespace {

constexpr quint32 kSubdirectory = 0x80000000u;

void align(QByteArray& bytes, int to)
{
    bytes.append((to - bytes.size() % to) % to, char(0));
}

// An IMAGE_RESOURCE_DIRECTORY header for `named` name entries and `ids` ID entries.
void directory(QByteArray& out, int named, int ids)
{
    out.append(12, char(0)); // characteristics, time stamp, version
    D::put16(out, quint16(named));
    D::put16(out, quint16(ids));
}

// Two 32-bit values: a directory entry (name or ID, offset) or half a data entry.
void words(QByteArray& out, quint32 first, quint32 second)
{
    D::put32(out, first);
    D::put32(out, second);
}

} // namespace

void TestPeWriter::addGroup(const QString& name, const QList<TestIconData::Image>& images)
{
    m_groups.append({name.toUpper(), -1, images});
}

void TestPeWriter::addGroup(int id, const QList<TestIconData::Image>& images)
{
    m_groups.append({QString(), id, images});
}

QByteArray TestPeWriter::resourceSection()
{
    std::stable_sort(m_groups.begin(), m_groups.end(), [](const Group& a, const Group& b) {
        if (a.name.isEmpty() != b.name.isEmpty())
            return !a.name.isEmpty();
        return a.name.isEmpty() ? a.id < b.id : a.name < b.name;
    });
    int iconCount = 0;
    int named = 0;
    for (const Group& group : m_groups) {
        iconCount += int(group.images.size());
        named += group.name.isEmpty() ? 0 : 1;
    }
    const int groupCount = int(m_groups.size());

    // Fixed-size parts first: directories, language directories, data entries; then names and data.
    const qint64 groupDir = 16 + 2 * 8;
    const qint64 iconDir = groupDir + 16 + 8 * groupCount;
    const qint64 languages = iconDir + 16 + 8 * iconCount;
    const qint64 dataEntries = languages + 24 * (groupCount + iconCount);
    const qint64 names = dataEntries + 16 * (groupCount + iconCount);

    QByteArray nameBytes;
    QList<qint64> nameOffsets;
    for (const Group& group : m_groups) {
        nameOffsets.append(names + nameBytes.size());
        if (group.name.isEmpty())
            continue;
        D::put16(nameBytes, quint16(group.name.size()));
        for (QChar c : group.name)
            D::put16(nameBytes, c.unicode());
    }
    align(nameBytes, 8);

    // Data: each group's GRPICONDIR, then every image.
    const qint64 dataStart = names + nameBytes.size();
    QByteArray data;
    QList<std::pair<qint64, qint64>> blobs; // offset, size; groups first, then icons
    int nextIcon = 1;
    for (const Group& group : m_groups) {
        QByteArray grp;
        D::put16(grp, 0);
        D::put16(grp, 1);
        D::put16(grp, quint16(group.images.size()));
        for (const TestIconData::Image& image : group.images) {
            grp.append(char(image.width & 0xFF)).append(char(image.height & 0xFF)).append(char(0)).append(char(0));
            D::put16(grp, 1);
            D::put16(grp, quint16(image.bitCount));
            D::put32(grp, quint32(image.data.size()));
            D::put16(grp, quint16(nextIcon++));
        }
        blobs.append({dataStart + data.size(), grp.size()});
        data.append(grp);
        align(data, 8);
    }
    for (const Group& group : m_groups) {
        for (const TestIconData::Image& image : group.images) {
            blobs.append({dataStart + data.size(), image.data.size()});
            data.append(image.data);
            align(data, 8);
        }
    }

    QByteArray section;
    directory(section, 0, 2);
    words(section, 3, quint32(iconDir) | kSubdirectory);   // RT_ICON
    words(section, 14, quint32(groupDir) | kSubdirectory); // RT_GROUP_ICON

    directory(section, named, groupCount - named);
    for (int i = 0; i < groupCount; ++i) {
        const Group& group = m_groups.at(i);
        words(section, group.name.isEmpty() ? quint32(group.id) : quint32(nameOffsets.at(i)) | kSubdirectory,
             quint32(languages + 24 * i) | kSubdirectory);
    }
    directory(section, 0, iconCount);
    for (int i = 0; i < iconCount; ++i)
        words(section, quint32(i + 1), quint32(languages + 24 * (groupCount + i)) | kSubdirectory);
    for (int i = 0; i < groupCount + iconCount; ++i) {
        directory(section, 0, 1);
        words(section, 0x409, quint32(dataEntries + 16 * i)); // one language: en-US
    }
    for (const auto& [offset, size] : blobs) {
        words(section, kSectionRva + quint32(offset), quint32(size));
        words(section, 0, 0); // code page, reserved
    }
    section.append(nameBytes);
    section.append(data);
    align(section, 0x200);

    m_layout.root = kSectionOffset;
    m_layout.groupDirectory = kSectionOffset + groupDir;
    m_layout.firstGroupData = groupCount ? kSectionOffset + blobs.at(0).first : 0;
    m_layout.firstIconEntry = iconCount ? kSectionOffset + dataEntries + 16 * groupCount : 0;
    return section;
}

QByteArray TestPeWriter::build()
{
    const QByteArray section = resourceSection();
    const bool plus = m_bits == Bits::Pe32Plus;
    const int directoriesAt = plus ? 112 : 96;
    const int optionalSize = directoriesAt + 16 * 8;

    QByteArray file("MZ");
    file.append(QByteArray(0x3C - 2, 0));
    D::put32(file, 0x40);
    file.append("PE", 2).append(2, char(0));
    D::put16(file, plus ? 0x8664 : 0x14C); // machine
    D::put16(file, 1);                     // sections
    file.append(12, char(0)); // time stamp, symbol table, symbol count
    D::put16(file, quint16(optionalSize));
    D::put16(file, 0x2102); // characteristics: executable DLL
    m_layout.optionalHeader = file.size();

    QByteArray optional(optionalSize, 0);
    D::set16(optional, 0, plus ? 0x20B : 0x10B);
    D::set32(optional, directoriesAt - 4, 16);
    D::set32(optional, directoriesAt + 2 * 8, kSectionRva);
    D::set32(optional, directoriesAt + 2 * 8 + 4, quint32(section.size()));
    file.append(optional);

    m_layout.sectionTable = file.size();
    file.append(".rsrc", 5).append(3, char(0));
    words(file, quint32(section.size()), kSectionRva);           // virtual size and address
    words(file, quint32(section.size()), quint32(kSectionOffset)); // raw size and offset
    file.append(QByteArray(16, 0));
    file.append(QByteArray(kSectionOffset - file.size(), 0));
    file.append(section);
    return file;
}
