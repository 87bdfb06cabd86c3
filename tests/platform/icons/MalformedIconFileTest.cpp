#include "platform/icons/IconExtractor.h"
#include "tests/support/TestIconData.h"
#include "tests/support/TestPeWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

// Damaged files must give fewer icons or none: never a crash, a hang or a huge allocation.
namespace {

using namespace Qt::StringLiterals;
using D = TestIconData;
using L = TestPeWriter::Layout;
constexpr quint32 kSubdirectory = 0x80000000u;

class MalformedIconFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes)
    {
        // A new name each time: the extractor's caches must not hide what the file now holds.
        const QString path = m_dir.filePath(u"file%1.dll"_s.arg(m_files++));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // Extracts every icon the file claims (and a few it does not), checking what comes out.
    // Returns the count.
    int exercise(const QString& path, int countLimit)
    {
        IconExtractor extractor;
        const int count = extractor.extract(path, -1, nullptr, nullptr);
        EXPECT_GE(count, 0);
        EXPECT_LE(count, countLimit);
        for (int index = -3; index < std::min(count, 64) + 2; ++index) {
            QImage large;
            QImage small;
            const int made = extractor.extract(path, index, &large, &small);
            EXPECT_GE(made, 0);
            EXPECT_LE(made, 2);
            EXPECT_TRUE(large.isNull() || large.size() == QSize(32, 32));
            EXPECT_TRUE(small.isNull() || small.size() == QSize(16, 16));
        }
        return count;
    }

    static TestPeWriter twoGroups(TestPeWriter::Bits bits)
    {
        TestPeWriter pe(bits);
        pe.addGroup(u"MAIN"_s, {D::dib(32, 32, qRgb(200, 0, 0)), D::dib(16, 4, qRgb(200, 0, 0))});
        pe.addGroup(7, {D::png(48, qRgb(0, 0, 200)), D::dib(16, 8, qRgb(0, 0, 200))});
        return pe;
    }

    QTemporaryDir m_dir;
    int m_files = 0;
};

TEST_F(MalformedIconFileTest, TruncatedAnywhere)
{
    for (const auto bits : {TestPeWriter::Bits::Pe32, TestPeWriter::Bits::Pe32Plus}) {
        TestPeWriter pe = twoGroups(bits);
        const QByteArray full = pe.build();
        for (qint64 cut = 0; cut < full.size(); cut += cut < pe.layout().firstGroupData + 64 ? 1 : 7) {
            const QString path = write(full.left(cut));
            const int count = exercise(path, 2);
            if (cut <= pe.layout().root) {
                EXPECT_EQ(count, 0) << "cut at " << cut;
            }
            QFile::remove(path);
        }
    }

    // The DIB comes first in the file, the PNG last: an image is used only once it is complete.
    const D::Image dib = D::dib(32, 8, qRgb(1, 2, 3));
    const QByteArray ico = D::icoFile({dib, D::png(16, qRgb(1, 2, 3))});
    const qint64 dibEnd = 6 + 2 * 16 + dib.data.size();
    for (qint64 cut = 0; cut < ico.size(); cut += 3) {
        const QString path = write(ico.left(cut));
        IconExtractor extractor;
        QImage large;
        QImage small;
        EXPECT_EQ(extractor.extract(path, 0, &large, &small), cut < dibEnd ? 0 : 2) << "cut at " << cut;
        QFile::remove(path);
    }
}

struct Damage {
    const char* name;
    std::function<void(QByteArray&, const L&)> apply;
    int expectedCount; // -1: any count up to what the directory sizes allow
};

class DamagedPeTest : public MalformedIconFileTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedPeTest, YieldsWhatIsLeft)
{
    for (const auto bits : {TestPeWriter::Bits::Pe32, TestPeWriter::Bits::Pe32Plus}) {
        TestPeWriter pe = twoGroups(bits);
        QByteArray bytes = pe.build();
        GetParam().apply(bytes, pe.layout());
        const int count = exercise(write(bytes), int(bytes.size() / 8));
        if (GetParam().expectedCount >= 0) {
            EXPECT_EQ(count, GetParam().expectedCount);
        }
    }
}

// Where the optional header's data directories start (PE32 and PE32+ differ).
qint64 dataDirectories(const QByteArray& b, const L& l)
{
    return l.optionalHeader + (quint8(b.at(l.optionalHeader + 1)) == 2 ? 112 : 96);
}

// The first group's language directory, relative to the resource section like every offset in it.
quint32 firstLanguageDirectory(const QByteArray& b, const L& l)
{
    return D::get32(b, l.groupDirectory + 16 + 4) & ~kSubdirectory;
}

// Makes a resource directory claim 65535 named and 65535 numbered entries.
void hugeCounts(QByteArray& b, qint64 directory)
{
    D::set16(b, directory + 12, 0xFFFF);
    D::set16(b, directory + 14, 0xFFFF);
}

INSTANTIATE_TEST_SUITE_P(
    Damages, DamagedPeTest,
    ::testing::Values(
        Damage{"HeaderOffsetPastTheEnd", [](QByteArray& b, const L&) { D::set32(b, 0x3C, 0xFFFFFFF0u); }, 0},
        Damage{"HeaderOffsetHighBit", [](QByteArray& b, const L&) { D::set32(b, 0x3C, 0x80000000u); }, 0},
        Damage{"HugeSectionCount", [](QByteArray& b, const L& l) { D::set16(b, l.optionalHeader - 20 + 2, 0xFFFF); }, 2},
        Damage{"HugeOptionalHeader", [](QByteArray& b, const L& l) { D::set16(b, l.optionalHeader - 4, 0xFFFF); }, 0},
        Damage{"NoDataDirectories", [](QByteArray& b, const L& l) { D::set32(b, dataDirectories(b, l) - 4, 0); }, 0},
        Damage{"ResourcesOutsideEverySection",
               [](QByteArray& b, const L& l) { D::set32(b, dataDirectories(b, l) + 16, 0x7FFF0000u); }, 0},
        Damage{"SectionDataPastTheEnd", [](QByteArray& b, const L& l) { D::set32(b, l.sectionTable + 20, 0x7FFFFFF0u); }, 0},
        Damage{"SectionDataHuge", [](QByteArray& b, const L& l) { D::set32(b, l.sectionTable + 16, 0xFFFFFFFFu); }, 2},
        Damage{"RootCountsHuge", [](QByteArray& b, const L& l) { hugeCounts(b, l.root); }, -1},
        Damage{"GroupCountsHuge", [](QByteArray& b, const L& l) { hugeCounts(b, l.groupDirectory); }, -1},
        Damage{"GroupTypeIsTheRoot", [](QByteArray& b, const L& l) { D::set32(b, l.root + 16 + 8 + 4, kSubdirectory); }, 2},
        Damage{"GroupIsItsOwnLanguageDirectory",
               [](QByteArray& b, const L& l) {
                   D::set32(b, l.groupDirectory + 16 + 4, quint32(l.groupDirectory - l.root) | kSubdirectory);
               },
               2},
        Damage{"LanguageDirectoryLoops",
               [](QByteArray& b, const L& l) {
                   const quint32 languageDir = firstLanguageDirectory(b, l);
                   D::set32(b, l.root + languageDir + 16 + 4, languageDir | kSubdirectory);
               },
               2},
        Damage{"GroupEntryCountHuge", [](QByteArray& b, const L& l) { D::set16(b, l.firstGroupData + 4, 0xFFFF); }, 2},
        Damage{"IconSizeHuge", [](QByteArray& b, const L& l) { D::set32(b, l.firstIconEntry + 4, 0xFFFFFFFFu); }, 2},
        Damage{"IconOutsideTheFile", [](QByteArray& b, const L& l) { D::set32(b, l.firstIconEntry, 0x7FFFFF00u); }, 2},
        Damage{"GroupDataHuge",
               [](QByteArray& b, const L& l) {
                   // The first group's data entry, which its language directory points to.
                   const quint32 dataEntry = D::get32(b, l.root + firstLanguageDirectory(b, l) + 16 + 4);
                   D::set32(b, l.root + dataEntry + 4, 0xFFFFFFFFu);
               },
               2}),
    [](const ::testing::TestParamInfo<Damage>& param) { return std::string(param.param.name); });

TEST_F(MalformedIconFileTest, AbsurdImageHeadersAreSkipped)
{
    // Each damage hits the 32x32 image of an .ico that also holds a good 16x16 one.
    const QList<std::pair<const char*, std::function<void(QByteArray&)>>> damages{
        {"width", [](QByteArray& dib) { D::set32(dib, 4, 0x7FFFFFFF); }},
        {"negative width", [](QByteArray& dib) { D::set32(dib, 4, 0xFFFFFFE0u); }},
        {"height", [](QByteArray& dib) { D::set32(dib, 8, 0x7FFFFFFE); }},
        {"odd height", [](QByteArray& dib) { D::set32(dib, 8, 63); }},
        {"header size", [](QByteArray& dib) { D::set32(dib, 0, 0xFFFFFFFFu); }},
        {"bit count", [](QByteArray& dib) { D::set16(dib, 14, 7); }},
        {"colours used", [](QByteArray& dib) { D::set32(dib, 32, 0x10000); }},
        {"compression", [](QByteArray& dib) { D::set32(dib, 16, 1); }},
        {"missing mask", [](QByteArray& dib) { dib.chop(4); }},
    };
    for (const auto& [name, damage] : damages) {
        D::Image bad = D::dib(32, 8, qRgb(255, 0, 0));
        damage(bad.data);
        const QString path = write(D::icoFile({bad, D::dib(16, 8, qRgb(0, 255, 0))}));
        IconExtractor extractor;
        QImage large;
        ASSERT_EQ(extractor.extract(path, 0, &large, nullptr), 1) << name;
        EXPECT_EQ(large.pixel(16, 16), qRgb(0, 255, 0)) << name << ": the good image, scaled up";
    }

    D::Image huge = D::png(16, qRgb(0, 0, 255));
    D::set32(huge.data, 16, qToBigEndian<quint32>(100000));
    D::set32(huge.data, 20, qToBigEndian<quint32>(100000));
    IconExtractor extractor;
    QImage large;
    EXPECT_EQ(extractor.extract(write(D::icoFile({huge})), 0, &large, nullptr), 0);
}

TEST_F(MalformedIconFileTest, IcoDirectoryClaimingTooMuch)
{
    QByteArray ico = D::icoFile({D::dib(32, 8, qRgb(1, 2, 3))});
    QByteArray manyImages = ico;
    D::set16(manyImages, 4, 0xFFFF);
    QByteArray offsetOutside = ico;
    D::set32(offsetOutside, 6 + 12, 0xFFFFFFF0u);
    QByteArray sizeHuge = ico;
    D::set32(sizeHuge, 6 + 8, 0xFFFFFFFFu);

    IconExtractor extractor;
    QImage large;
    EXPECT_EQ(extractor.extract(write(manyImages), 0, &large, nullptr), 1);
    EXPECT_EQ(extractor.extract(write(offsetOutside), 0, &large, nullptr), 0);
    EXPECT_EQ(extractor.extract(write(sizeHuge), 0, &large, nullptr), 1);
}

TEST_F(MalformedIconFileTest, SpecialFilesAreNotOpened)
{
    // Opening a FIFO would block until a writer comes: it must be refused, not read.
    const QString fifo = m_dir.filePath(u"pipe.ico"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    IconExtractor extractor;
    QImage large;
    EXPECT_EQ(extractor.extract(fifo, -1, nullptr, nullptr), 0);
    EXPECT_EQ(extractor.extract(fifo, 0, &large, nullptr), 0);
    EXPECT_EQ(extractor.extract(u"/dev/zero"_s, 0, &large, nullptr), 0);
}

} // namespace
