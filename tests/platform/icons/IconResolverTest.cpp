// First, so that GoogleTest finds it when it instantiates its printers.
#include "tests/support/QStringPrinter.h"

#include "platform/icons/IconResolver.h"
#include "tests/support/TestIconData.h"
#include "tests/support/TestPeWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

QByteArray square(const char* fill)
{
    return QByteArray("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 32 32' width='32' height='32'>"
                      "<rect x='0' y='0' width='32' height='32' fill='")
        + fill + "'/></svg>";
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class IconResolverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Icons 0 to 2; 4.svg lies beyond the gap and is not part of the library.
        writeFile(library() + u"/0.svg"_s, square("#ff0000"));
        writeFile(library() + u"/1.svg"_s, square("#0000ff"));
        writeFile(library() + u"/2.svg"_s, square("#00ff00"));
        writeFile(library() + u"/4.svg"_s, square("#ffffff"));
        QDir().mkpath(prefix() + u"/drive_c/windows/system32"_s);
        m_environment.set(u"SystemRoot"_s, u"C:\\windows"_s);
    }

    QString library() const { return m_dir.filePath(u"library"_s); }
    QString prefix() const { return m_dir.filePath(u"prefix"_s); }

    IconResolver resolver() const
    {
        return IconResolver(WindowsPathMapper(prefix(), m_environment), StandInIconLibrary(library()));
    }

    QTemporaryDir m_dir;
    PrefixEnvironment m_environment;
};

TEST_F(IconResolverTest, StandInLibraryFollowsTheIndexRules)
{
    StandInIconLibrary standIn(library());
    EXPECT_EQ(standIn.count(), 3);
    EXPECT_EQ(standIn.extract(-1, nullptr, nullptr), 3);

    const QList<std::pair<int, QRgb>> found{{0, qRgb(255, 0, 0)}, {2, qRgb(0, 255, 0)},
                                            {-1, qRgb(255, 0, 0)}, {-2, qRgb(0, 0, 255)}};
    for (const auto& [index, colour] : found) {
        QImage large;
        QImage small;
        ASSERT_EQ(standIn.extract(index, &large, &small), 2) << index;
        EXPECT_EQ(large.size(), QSize(32, 32));
        EXPECT_EQ(small.size(), QSize(16, 16));
        EXPECT_EQ(large.pixel(16, 16), colour) << index;
        EXPECT_EQ(small.pixel(8, 8), colour) << index;
    }
    for (const int index : {3, 4, -4, -5, std::numeric_limits<int>::min()}) {
        QImage large;
        EXPECT_EQ(standIn.extract(index, &large, nullptr), 0) << index;
        EXPECT_TRUE(large.isNull());
    }
    EXPECT_EQ(StandInIconLibrary(m_dir.filePath(u"nowhere"_s)).extract(-1, nullptr, nullptr), 0);
}

TEST_F(IconResolverTest, StandInDrawingsStayOnThePixelGrid)
{
    // Left half filled: at both sizes the edge must fall between two pixels, not blur across one.
    const QString svg = m_dir.filePath(u"half.svg"_s);
    writeFile(svg, "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 32 32'>"
                   "<rect x='0' y='0' width='16' height='32' fill='#000000'/></svg>");
    for (const int size : {16, 32}) {
        const QImage image = StandInIconLibrary::render(svg, size);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(image.pixel(size / 2 - 1, size / 2)), 255) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 0) << size;
    }
    writeFile(svg, "not svg");
    EXPECT_TRUE(StandInIconLibrary::render(svg, 32).isNull());
}

TEST_F(IconResolverTest, Shell32WithoutTheFileIsTheStandIn)
{
    IconResolver icons = resolver();
    for (const char* path : {"SHELL32.DLL", "shell32.dll", "C:\\windows\\system32\\SHELL32.dll",
                             "%SystemRoot%\\system32\\shell32.dll", "D:\\other\\Shell32.Dll"}) {
        QImage large;
        EXPECT_EQ(icons.extract(QString::fromLatin1(path), -1, nullptr, nullptr), 3) << path;
        ASSERT_EQ(icons.extract(QString::fromLatin1(path), -2, &large, nullptr), 1) << path;
        EXPECT_EQ(large.pixel(16, 16), qRgb(0, 0, 255)) << path;
    }
    QImage large;
    EXPECT_EQ(icons.extract(u"url.dll"_s, 0, &large, nullptr), 0);
    EXPECT_EQ(icons.extract(u"shell32.dll.bak"_s, 0, &large, nullptr), 0);
    EXPECT_EQ(icons.extract(u"myshell32.dll"_s, 0, &large, nullptr), 0);
}

TEST_F(IconResolverTest, PrefixShell32WinsOverTheStandIn)
{
    TestPeWriter pe(TestPeWriter::Bits::Pe32Plus);
    pe.addGroup(1, {TestIconData::dib(32, 32, qRgb(10, 20, 30))});
    writeFile(prefix() + u"/drive_c/windows/system32/shell32.dll"_s, pe.build());
    IconResolver icons = resolver();
    QImage large;
    EXPECT_EQ(icons.extract(u"SHELL32.DLL"_s, -1, nullptr, nullptr), 1);
    ASSERT_EQ(icons.extract(u"SHELL32.DLL"_s, 0, &large, nullptr), 1);
    EXPECT_EQ(large.pixel(16, 16), qRgb(10, 20, 30));
    // Every spelling of the path finds the file parsed once.
    for (const char* path :
         {"shell32.dll", "C:\\windows\\system32\\SHELL32.dll", "%SystemRoot%\\system32\\shell32.dll"})
        EXPECT_EQ(icons.extract(QString::fromLatin1(path), 0, nullptr, &large), 1) << path;
    EXPECT_EQ(icons.extractor().files().parseCount(), 1);
    EXPECT_TRUE(icons.resolve(u"C:\\WINDOWS\\system32\\shell32.dll"_s).endsWith(u"/system32/shell32.dll"_s));
    EXPECT_EQ(icons.resolve(u"C:\\windows\\system32"_s), QString()) << "a folder is no icon file";
}

} // namespace
