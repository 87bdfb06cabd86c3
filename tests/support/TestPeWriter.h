#pragma once

#include "tests/support/TestIconData.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// Writes small PE images (PE32 or PE32+) with one section holding a resource directory of icon
// groups, laid out as a resource compiler does: named groups first (upper-cased, sorted), then
// numbered ones ascending; RT_ICON images numbered 1, 2, ... in the order the groups list them;
// and, when set, a version resource (RT_VERSION, ID 1).
class TestPeWriter {
public:
    enum class Bits { Pe32, Pe32Plus };

    // One string table of a version resource: its key ("040904b0") and its strings in order.
    struct StringTable {
        QString key;
        QList<std::pair<QString, QString>> strings;
    };
    // A VS_VERSIONINFO resource as a resource compiler writes it: the fixed part with the file
    // and product versions (four 16-bit numbers, major first), a StringFileInfo holding the
    // tables, and a VarFileInfo naming their translations.
    static QByteArray versionResource(quint64 fileVersion, quint64 productVersion, const QList<StringTable>& tables);

    explicit TestPeWriter(Bits bits)
        : m_bits(bits)
    {
    }

    void addGroup(const QString& name, const QList<TestIconData::Image>& images);
    void addGroup(int id, const QList<TestIconData::Image>& images);
    void setVersion(const QByteArray& resource) { m_version = resource; }

    QByteArray build();

    // Where things landed in the last build, as file offsets, for tests that damage the file.
    struct Layout {
        qint64 optionalHeader = 0;
        qint64 sectionTable = 0;
        qint64 root = 0;            // the resource directory
        qint64 groupDirectory = 0;  // the RT_GROUP_ICON name directory
        qint64 firstGroupData = 0;  // the GRPICONDIR of the first group in directory order
        qint64 firstIconEntry = 0;  // the IMAGE_RESOURCE_DATA_ENTRY of RT_ICON 1
        qint64 versionEntry = 0;    // the IMAGE_RESOURCE_DATA_ENTRY of the version resource
        qint64 versionData = 0;     // the version resource's bytes
    };
    const Layout& layout() const { return m_layout; }

    static constexpr quint32 kSectionRva = 0x1000;
    static constexpr qint64 kSectionOffset = 0x200;

private:
    struct Group {
        QString name;
        int id = -1;
        QList<TestIconData::Image> images;
    };

    QByteArray resourceSection();

    Bits m_bits;
    QList<Group> m_groups;
    QByteArray m_version;
    Layout m_layout;
};
