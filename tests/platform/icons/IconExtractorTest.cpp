// First, so that GoogleTest finds it when it instantiates its printers.
#include "tests/support/QStringPrinter.h"

#include "platform/icons/IconExtractor.h"
#include "platform/icons/IconFile.h"
#include "tests/support/TestIconData.h"
#include "tests/support/TestPeWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using D = TestIconData;
using Bits = TestPeWriter::Bits;

const QRgb kRed = qRgb(220, 20, 20);
const QRgb kGreen = qRgb(20, 200, 40);
const QRgb kBlue = qRgb(30, 40, 210);
const QRgb kYellow = qRgb(230, 210, 10);
const QRgb kCyan = qRgb(10, 200, 210);
const QRgb kMagenta = qRgb(200, 20, 190);

// The colour in the middle of an image, to tell which source image it was made from.
QRgb middle(const QImage& image)
{
    return image.pixel(image.width() / 2, image.height() / 2) | 0xFF000000u;
}

// An image whose icon directory entry claims another size than its data has.
D::Image claiming(D::Image image, int size)
{
    image.width = image.height = size;
    return image;
}

class IconExtractorTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    // A DLL with the groups of the resource-compiler example, each one colour: zeta, 5, 2, Alpha, 100.
    QString exampleDll(Bits bits)
    {
        TestPeWriter pe(bits);
        pe.addGroup(u"zeta"_s, {D::dib(32, 8, kRed), D::dib(16, 8, kRed)});
        pe.addGroup(5, {D::dib(32, 8, kGreen), D::dib(16, 8, kGreen)});
        pe.addGroup(2, {D::dib(32, 8, kBlue), D::dib(16, 8, kBlue)});
        pe.addGroup(u"Alpha"_s, {D::dib(32, 8, kYellow), D::dib(16, 8, kYellow)});
        pe.addGroup(100, {D::dib(32, 8, kCyan), D::dib(16, 8, kCyan)});
        return write(bits == Bits::Pe32 ? u"example32.dll"_s : u"example64.dll"_s, pe.build());
    }

    QTemporaryDir m_dir;
    IconExtractor m_extractor;
};

class PeIndexTest : public IconExtractorTest, public ::testing::WithParamInterface<Bits> {};

TEST_P(PeIndexTest, IndexesFollowTheResourceDirectory)
{
    const QString dll = exampleDll(GetParam());
    EXPECT_EQ(m_extractor.extract(dll, -1, nullptr, nullptr), 5);
    EXPECT_EQ(m_extractor.extract(dll, 0, nullptr, nullptr), 0) << "without outputs only -1 means \"count\"";

    // Named groups first (ALPHA, ZETA), then IDs ascending (2, 5, 100); negative indexes are
    // resource IDs. The return value counts the images made.
    const std::pair<int, QRgb> icons[] = {{0, kYellow}, {1, kRed}, {2, kBlue}, {3, kGreen}, {4, kCyan},
                                          {-2, kBlue}, {-5, kGreen}, {-100, kCyan}};
    for (const auto& [index, colour] : icons) {
        SCOPED_TRACE(index);
        QImage large;
        QImage small;
        ASSERT_EQ(m_extractor.extract(dll, index, &large, &small), 2);
        EXPECT_EQ(large.size(), QSize(32, 32));
        EXPECT_EQ(small.size(), QSize(16, 16));
        EXPECT_EQ(middle(large), colour);
        EXPECT_EQ(middle(small), colour);
        QImage only;
        EXPECT_EQ(m_extractor.extract(dll, index, &only, nullptr), 1);
        EXPECT_EQ(only, large);
        EXPECT_EQ(m_extractor.extract(dll, index, nullptr, &only), 1);
        EXPECT_EQ(only, small);
    }
    // -1 with an output asks for ID 1, which is missing.
    for (const int missing : {-1, -3, -65536 - 2, std::numeric_limits<int>::min(), 5, 6, 1000}) {
        QImage large;
        QImage small;
        EXPECT_EQ(m_extractor.extract(dll, missing, &large, &small), 0) << "index " << missing;
        EXPECT_TRUE(large.isNull());
        EXPECT_TRUE(small.isNull());
    }

    const auto file = m_extractor.files().file(dll);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->groupName(0), u"ALPHA"_s);
    EXPECT_EQ(file->groupId(4), 100);
}

INSTANTIATE_TEST_SUITE_P(Pe, PeIndexTest, ::testing::Values(Bits::Pe32, Bits::Pe32Plus));

TEST_F(IconExtractorTest, FilesWithoutIconGroupsHaveNoIcons)
{
    TestPeWriter noGroups(Bits::Pe32Plus);
    QByteArray noResources = noGroups.build();
    // Clear the resource directory entry: an image without resources.
    D::set32(noResources, noGroups.layout().optionalHeader + 112 + 16, 0);
    QByteArray ne = noResources;
    ne.replace(0x40, 2, "NE");

    const std::pair<const char*, QByteArray> files[] = {
        {"empty-directory.dll", noGroups.build()},
        {"no-resources.dll", noResources},
        {"sixteen-bit.exe", ne},
        {"text.txt", QByteArray("not an icon at all")},
        {"dos.com", QByteArray("MZ") + QByteArray(200, 'x')},
        {"zero.ico", QByteArray()},
    };
    QStringList paths{m_dir.filePath(u"missing.dll"_s), m_dir.path() /* a folder is no icon file */};
    for (const auto& [name, bytes] : files)
        paths << write(QString::fromLatin1(name), bytes);
    for (const QString& path : paths) {
        QImage large;
        QImage small;
        EXPECT_EQ(m_extractor.extract(path, -1, nullptr, nullptr), 0) << path.toStdString();
        EXPECT_EQ(m_extractor.extract(path, 0, &large, &small), 0) << path.toStdString();
    }
}

TEST_F(IconExtractorTest, IcoFileIsOneIcon)
{
    const QString ico = write(u"one.ico"_s, D::icoFile({D::dib(16, 4, kRed), D::dib(32, 32, kBlue)}));
    EXPECT_EQ(m_extractor.extract(ico, -1, nullptr, nullptr), 1);
    QImage large;
    QImage small;
    ASSERT_EQ(m_extractor.extract(ico, 0, &large, &small), 2);
    EXPECT_EQ(middle(large), kBlue);
    EXPECT_EQ(middle(small), kRed);
    EXPECT_EQ(m_extractor.extract(ico, 1, &large, &small), 0);
    EXPECT_EQ(m_extractor.extract(ico, -1, &large, &small), 0) << ".ico images have no resource ID";
}

// Which image serves each size: the exact size with the most colours, else the nearest larger
// one scaled down, else the largest smaller one scaled up.
struct ChoiceCase {
    const char* name;
    QList<D::Image> images;
    QRgb large;
    QRgb small;
};

class ImageChoiceTest : public IconExtractorTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ImageChoiceTest, PicksAndScales)
{
    const ChoiceCase& c = GetParam();
    TestPeWriter pe(Bits::Pe32);
    pe.addGroup(1, c.images);
    for (const QString& path : {write(u"choice.ico"_s, D::icoFile(c.images)), write(u"choice.dll"_s, pe.build())}) {
        SCOPED_TRACE(path.toStdString());
        IconExtractor extractor;
        QImage large;
        QImage small;
        ASSERT_EQ(extractor.extract(path, 0, &large, &small), 2);
        EXPECT_EQ(large.size(), QSize(32, 32));
        EXPECT_EQ(small.size(), QSize(16, 16));
        EXPECT_EQ(middle(large), c.large);
        EXPECT_EQ(middle(small), c.small);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ImageChoiceTest,
    ::testing::Values(
        ChoiceCase{"DeepestExactSize",
                   {D::dib(16, 4, kRed), D::dib(32, 4, kRed), D::dib(48, 32, kYellow), D::dib(32, 32, kBlue),
                    D::dib(16, 32, kGreen), D::dib(32, 8, kCyan)},
                   kBlue,
                   kGreen},
        ChoiceCase{"NextLargerNotLargest", {D::dib(64, 32, kCyan), D::dib(48, 32, kYellow), D::png(256, kMagenta)},
                   kYellow,
                   kYellow},
        ChoiceCase{"SmallScaledUp", {D::dib(16, 8, kGreen)}, kGreen, kGreen},
        ChoiceCase{"PngOnly", {D::png(256, kMagenta)}, kMagenta, kMagenta},
        ChoiceCase{"ExactPngAmongDibs", {D::dib(48, 8, kRed), D::png(32, kMagenta), D::dib(24, 4, kBlue)}, kMagenta,
                   kBlue},
        // The directory claims 32x32 for a 16x16 image and 16x16 for a 32x32 one: the data decides.
        ChoiceCase{"DirectoryFieldsThatContradictTheData",
                   {claiming(D::dib(16, 8, kRed), 32), claiming(D::dib(32, 8, kBlue), 16)},
                   kBlue,
                   kRed}),
    [](const ::testing::TestParamInfo<ChoiceCase>& param) { return std::string(param.param.name); });

// Every image format an icon may use: the colour comes out and the AND mask (or alpha) makes
// the top row transparent, the right way up.
struct FormatCase {
    const char* name;
    D::Image image;
};

class ImageFormatTest : public IconExtractorTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(ImageFormatTest, DecodesColourAndTransparency)
{
    const QString ico = write(u"format.ico"_s, D::icoFile({GetParam().image}));
    QImage large;
    ASSERT_EQ(m_extractor.extract(ico, 0, &large, nullptr), 1);
    ASSERT_EQ(large.size(), QSize(32, 32));
    EXPECT_EQ(large.pixel(16, 16), kBlue);
    EXPECT_EQ(large.pixel(0, 31), kBlue);
    EXPECT_EQ(qAlpha(large.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(large.pixel(31, 0)), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageFormatTest,
                         ::testing::Values(FormatCase{"Monochrome", D::dib(32, 1, kBlue)},
                                           FormatCase{"Bpp4", D::dib(32, 4, kBlue)},
                                           FormatCase{"Bpp8", D::dib(32, 8, kBlue)},
                                           FormatCase{"Bpp24", D::dib(32, 24, kBlue)},
                                           FormatCase{"Bpp32Alpha", D::dib(32, 32, kBlue)},
                                           FormatCase{"Bpp32MaskOnly", D::dib(32, 32, kBlue, false)},
                                           FormatCase{"Png", D::png(32, kBlue)}),
                         [](const ::testing::TestParamInfo<FormatCase>& param) { return std::string(param.param.name); });

TEST_F(IconExtractorTest, ParsesAFileOnceForManyLookups)
{
    const QString dll = exampleDll(Bits::Pe32Plus);
    for (int i = 0; i < 10000; ++i) {
        const int index = i % 7 - 1; // from -1 (ID 1, which is missing) to 5 (past the end)
        QImage small;
        ASSERT_EQ(m_extractor.extract(dll, index, nullptr, &small), index >= 0 && index < 5 ? 1 : 0) << index;
    }
    EXPECT_EQ(m_extractor.files().parseCount(), 1);
}

TEST_F(IconExtractorTest, ChangedFileIsReadAgain)
{
    const QString path = write(u"changing.ico"_s, D::icoFile({D::dib(32, 8, kRed)}));
    QImage large;
    ASSERT_EQ(m_extractor.extract(path, 0, &large, nullptr), 1);
    EXPECT_EQ(middle(large), kRed);

    write(u"changing.ico"_s, D::icoFile({D::dib(32, 32, kGreen)}));
    ASSERT_EQ(m_extractor.extract(path, 0, &large, nullptr), 1);
    EXPECT_EQ(middle(large), kGreen);

    QFile::remove(path);
    EXPECT_EQ(m_extractor.extract(path, 0, &large, nullptr), 0);
}

} // namespace
