#include "tests/support/TestPeWriter.h"

#include <algorithm>

using D = TestIconData;
using namespace Qt::StringLiterals;

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

// A node of a version resource: length, value length, type, key, value, children, each part
// aligned to 4 bytes; the length covers everything up to the end of the last child.
QByteArray versionBlock(const QString& key, quint16 type, quint16 valueLength, const QByteArray& value,
                        const QList<QByteArray>& children = {})
{
    QByteArray out;
    D::put16(out, 0);
    D::put16(out, valueLength);
    D::put16(out, type);
    for (QChar c : key)
        D::put16(out, c.unicode());
    D::put16(out, 0);
    align(out, 4);
    out.append(value);
    for (const QByteArray& child : children) {
        align(out, 4);
        out.append(child);
    }
    D::set16(out, 0, quint16(out.size()));
    return out;
}

QByteArray utf16z(const QString& text)
{
    QByteArray out;
    for (QChar c : text)
        D::put16(out, c.unicode());
    D::put16(out, 0);
    return out;
}

} // namespace

QByteArray TestPeWriter::versionResource(quint64 fileVersion, quint64 productVersion, const QList<StringTable>& tables)
{
    QByteArray fixed;
    D::put32(fixed, 0xFEEF04BD);
    D::put32(fixed, 0x00010000); // structure version
    D::put32(fixed, quint32(fileVersion >> 32));
    D::put32(fixed, quint32(fileVersion));
    D::put32(fixed, quint32(productVersion >> 32));
    D::put32(fixed, quint32(productVersion));
    D::put32(fixed, 0x3F);    // flags mask
    D::put32(fixed, 0);       // flags
    D::put32(fixed, 0x40004); // VOS_NT_WINDOWS32
    D::put32(fixed, 1);       // VFT_APP
    fixed.append(12, char(0)); // subtype, date

    QList<QByteArray> stringTables;
    QByteArray translations;
    for (const StringTable& table : tables) {
        QList<QByteArray> strings;
        for (const auto& [name, text] : table.strings)
            strings.append(versionBlock(name, 1, quint16(text.size() + 1), utf16z(text)));
        stringTables.append(versionBlock(table.key, 1, 0, {}, strings));
        D::put16(translations, quint16(table.key.left(4).toUInt(nullptr, 16)));
        D::put16(translations, quint16(table.key.mid(4).toUInt(nullptr, 16)));
    }
    const QByteArray translation = versionBlock(u"Translation"_s, 0, quint16(translations.size()), translations);
    return versionBlock(u"VS_VERSION_INFO"_s, 0, quint16(fixed.size()), fixed,
                        {versionBlock(u"StringFileInfo"_s, 1, 0, {}, stringTables),
                         versionBlock(u"VarFileInfo"_s, 1, 0, {}, {translation})});
}

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
    const bool hasVersion = !m_version.isEmpty();
    const int versionCount = hasVersion ? 1 : 0;
    const int leaves = groupCount + iconCount + versionCount;

    // Fixed-size parts first: directories, language directories, data entries; then names and data.
    const qint64 groupDir = 16 + (2 + versionCount) * 8;
    const qint64 iconDir = groupDir + 16 + 8 * groupCount;
    const qint64 versionDir = iconDir + 16 + 8 * iconCount;
    const qint64 languages = versionDir + (16 + 8) * versionCount;
    const qint64 dataEntries = languages + 24 * leaves;
    const qint64 names = dataEntries + 16 * leaves;

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
    m_layout.versionData = 0;
    if (hasVersion) {
        m_layout.versionData = kSectionOffset + dataStart + data.size();
        blobs.append({dataStart + data.size(), m_version.size()});
        data.append(m_version);
        align(data, 8);
    }

    QByteArray section;
    directory(section, 0, 2 + versionCount);
    words(section, 3, quint32(iconDir) | kSubdirectory);   // RT_ICON
    words(section, 14, quint32(groupDir) | kSubdirectory); // RT_GROUP_ICON
    if (hasVersion)
        words(section, 16, quint32(versionDir) | kSubdirectory); // RT_VERSION

    directory(section, named, groupCount - named);
    for (int i = 0; i < groupCount; ++i) {
        const Group& group = m_groups.at(i);
        words(section, group.name.isEmpty() ? quint32(group.id) : quint32(nameOffsets.at(i)) | kSubdirectory,
             quint32(languages + 24 * i) | kSubdirectory);
    }
    directory(section, 0, iconCount);
    for (int i = 0; i < iconCount; ++i)
        words(section, quint32(i + 1), quint32(languages + 24 * (groupCount + i)) | kSubdirectory);
    if (hasVersion) {
        directory(section, 0, 1);
        words(section, 1, quint32(languages + 24 * (groupCount + iconCount)) | kSubdirectory);
    }
    for (int i = 0; i < leaves; ++i) {
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
    m_layout.versionEntry = hasVersion ? kSectionOffset + dataEntries + 16 * (groupCount + iconCount) : 0;
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
