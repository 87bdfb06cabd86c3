#pragma once

#include "tests/support/TestIconData.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Writes small PE images (PE32 or PE32+) with one section holding a resource directory of icon
// groups, laid out as a resource compiler does: named groups first (upper-cased, sorted), then
// numbered ones ascending; RT_ICON images numbered 1, 2, ... in the order the groups list them.
class TestPeWriter {
public:
    enum class Bits { Pe32, Pe32Plus };

    explicit TestPeWriter(Bits bits)
        : m_bits(bits)
    {
    }

    void addGroup(const QString& name, const QList<TestIconData::Image>& images);
    void addGroup(int id, const QList<TestIconData::Image>& images);

    QByteArray build();

    // Where things landed in the last build, as file offsets, for tests that damage the file.
    struct Layout {
        qint64 optionalHeader = 0;
        qint64 sectionTable = 0;
        qint64 root = 0;            // the resource directory
        qint64 groupDirectory = 0;  // the RT_GROUP_ICON name directory
        qint64 firstGroupData = 0;  // the GRPICONDIR of the first group in directory order
        qint64 firstIconEntry = 0;  // the IMAGE_RESOURCE_DATA_ENTRY of RT_ICON 1
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
    Layout m_layout;
};
