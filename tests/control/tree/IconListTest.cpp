#include "control/tree/IconList.h"
#include "control/tree/ImageList.h"
#include "platform/icons/StandInIconLibrary.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/TestPeWriter.h"

#include <QLabel>
#include <QListWidget>

using namespace Qt::StringLiterals;

namespace {

QImage argb(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

// What the shell's library (here Varnook's own drawings: the test prefix has no shell32.dll)
// holds for an index as the platform reads it.
QImage shellIcon(int index, qint16 size)
{
    QImage large;
    QImage small;
    StandInIconLibrary().extract(index, &large, &small);
    return argb(size == ICON_LARGE ? large : small);
}

QImage stored(const ImageList& list, const QString& key)
{
    const QIcon icon = list.Image(key);
    return icon.isNull() ? QImage() : argb(icon.pixmap(icon.availableSizes().value(0)).toImage());
}

TEST(IconLocations, SplitIntoFileAndIndex)
{
    const struct {
        const char *location, *path;
        int index;
    } cases[] = {
        {R"(C:\x y\z.dll,3)", R"(C:\x y\z.dll)", 3},
        {R"("C:\x y\z.dll,3")", R"(C:\x y\z.dll)", 3},   // all of it quoted
        {R"("C:\x y\z.dll",3)", R"(C:\x y\z.dll)", 3},   // only the path quoted
        {R"("C:\x y\z.dll" , 3)", R"(C:\x y\z.dll)", 3}, // blanks around the comma
        {R"("C:\x y\z.dll")", R"(C:\x y\z.dll)", 0},
        {R"(C:\z.ico)", R"(C:\z.ico)", 0},      // no comma
        {R"(C:\z.dll,-3)", R"(C:\z.dll)", -3},  // a resource identifier
        {R"(C:\z.dll,   7)", R"(C:\z.dll)", 7}, // blanks before the number
        {R"(C:\z.dll,7th)", R"(C:\z.dll)", 7},  // the number ends the reading
        {R"(C:\z.dll,abc)", R"(C:\z.dll)", 0},  // no number at all
        {R"(C:\z.dll,)", R"(C:\z.dll)", 0},
        {R"(C:\z.dll,2.5)", R"(C:\z.dll)", 2}, // rounded half to even
        {R"(C:\z.dll,3.5)", R"(C:\z.dll)", 4},
        {R"(C:\a,b\z.dll,1)", R"(C:\a)", 0}, // the first comma splits
        {R"(,4)", "", 4},
        {"", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        const IconLocation parsed = ParseIconLocation(QString::fromUtf8(c.location));
        EXPECT_EQ(parsed.path, QString::fromUtf8(c.path));
        EXPECT_EQ(parsed.index, c.index);
    }
}

class IconList : public KestrowFixture {
protected:
    IconList()
        : KestrowFixture(QByteArray())
    {
        writeIcon(u"icons\\red.ico"_s, kRed);
        writeIcon(u"icons\\blue.ico"_s, kBlue);
        prefix.writeFile(u"drive_c/icons/broken.ico"_s, QByteArray("\0\0\1\0\1\0garbage", 13));
        prefix.writeFile(u"drive_c/readme.txt"_s, QByteArray("no icons in here\n"));
    }

    ImageList images;
};

TEST_F(IconList, LocationsNameTheIconTheyMean)
{
    const struct {
        const char* location;
        int shellIndex; // the icon of the shell library expected
    } cases[] = {
        {"SHELL32.DLL,3", 3},   {"\"SHELL32.DLL,3\"", 3}, {"\"SHELL32.DLL\",3", 3},
        {"SHELL32.DLL", 0},     {"shell32.dll, 5", 5},    {"SHELL32.DLL,-3", -3},
        {"SHELL32.DLL,xyz", 0}, {"C:\\windows\\system32\\shell32.dll,7", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        const QString key = QString::fromLatin1(c.location);
        const int before = images.Count();
        ASSERT_EQ(AddIcon(images, key, ICON_SMALL, key), before + 1);
        const QImage expected = shellIcon(c.shellIndex, ICON_SMALL);
        ASSERT_FALSE(expected.isNull());
        EXPECT_EQ(stored(images, key), expected);
    }
    const int before = images.Count();
    EXPECT_EQ(AddIcon(images, u"C:\\ICONS\\Red.ico"_s, ICON_SMALL, u"red"_s), before + 1);
    EXPECT_EQ(stored(images, u"red"_s).pixel(8, 8), kRed);
    EXPECT_EQ(AddIcon(images, u"\"C:\\icons\\blue.ico\",0"_s, ICON_LARGE, u"blue"_s), before + 2);
    EXPECT_EQ(stored(images, u"blue"_s).size(), QSize(32, 32));
    EXPECT_EQ(stored(images, u"blue"_s).pixel(16, 16), kBlue);
    EXPECT_EQ(stored(images, u"red"_s).size(), QSize(16, 16));
}

TEST_F(IconList, AddIconReportsTheNewCountOrThatNothingWasAdded)
{
    EXPECT_EQ(AddIcon(images, u"C:\\icons\\red.ico"_s, ICON_SMALL, u"ft__.txtfile"_s), 1);
    EXPECT_EQ(AddIcon(images, u"SHELL32.DLL,1"_s, ICON_SMALL, u"ft__.docfile"_s), 2);
    const char* nothing[] = {
        "",                             // no location
        "C:\\icons\\missing.ico",       // no such file
        "C:\\icons\\broken.ico",        // not an icon file
        "C:\\readme.txt",               // a file without icons
        "C:\\icons\\red.ico,4",         // no such icon in the file
        ",0",                           // no file
    };
    for (const char* location : nothing) {
        SCOPED_TRACE(location);
        EXPECT_EQ(AddIcon(images, QString::fromLatin1(location), ICON_SMALL, u"ft__.other"_s), -1);
        EXPECT_EQ(images.Count(), 2);
        EXPECT_FALSE(images.Contains(u"ft__.other"_s));
    }
    // A key that is there already keeps its image, in any letter case.
    for (const char* key : {"ft__.txtfile", "FT__.TXTFILE"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(AddIcon(images, u"C:\\icons\\blue.ico"_s, ICON_SMALL, QString::fromLatin1(key)), -1);
        EXPECT_EQ(images.Count(), 2);
        EXPECT_EQ(stored(images, u"ft__.txtfile"_s).pixel(8, 8), kRed);
    }
}

TEST_F(IconList, GetIconFallsBackToTheShellLibrary)
{
    const QImage fallback = shellIcon(0, ICON_SMALL);
    ASSERT_FALSE(fallback.isNull());
    for (const char* location : {"", "   ", "C:\\icons\\missing.ico", "C:\\readme.txt", "SHELL32.DLL,999"}) {
        SCOPED_TRACE(location);
        EXPECT_EQ(argb(GetIcon(QString::fromLatin1(location), ICON_SMALL).toImage()), fallback);
    }
    EXPECT_EQ(argb(GetIcon(QString(), ICON_LARGE).toImage()), shellIcon(0, ICON_LARGE));
    EXPECT_EQ(argb(GetIcon(u"SHELL32.DLL,4"_s, ICON_LARGE).toImage()), shellIcon(4, ICON_LARGE));
    const QImage red = GetIcon(u"\"C:\\icons\\red.ico\""_s, ICON_SMALL).toImage();
    EXPECT_EQ(red.size(), QSize(16, 16));
    EXPECT_EQ(red.pixel(8, 8), kRed);

    QLabel picture;
    SetIconPicture(u"C:\\icons\\blue.ico"_s, ICON_LARGE, &picture);
    EXPECT_EQ(picture.pixmap().toImage().pixel(16, 16), kBlue);
}

// Wine's shell32.dll lists its named groups before icon 1, the blank document: items without an icon
// show the document, while a location that names index 0 still gets index 0.
TEST_F(IconList, FallbackIsTheShellLibrarysIconOneEvenWhenNamedGroupsComeFirst)
{
    const QRgb options = qRgb(200, 0, 200);
    const QRgb document = qRgb(250, 250, 240);
    TestPeWriter shell32(TestPeWriter::Bits::Pe32Plus);
    shell32.addGroup(u"IDI_SHELL_OPTIONS"_s, {TestIconData::dib(16, 32, options)});
    shell32.addGroup(1, {TestIconData::dib(16, 32, document)});
    prefix.writeFile(u"drive_c/windows/system32/shell32.dll"_s, shell32.build());

    for (const char* location : {"", "C:\\icons\\missing.ico"}) {
        SCOPED_TRACE(location);
        EXPECT_EQ(GetIcon(QString::fromLatin1(location), ICON_SMALL).toImage().pixel(8, 8), document);
    }
    EXPECT_EQ(GetIcon(u"SHELL32.DLL,0"_s, ICON_SMALL).toImage().pixel(8, 8), options);
    EXPECT_EQ(AddIcon(images, u"C:\\icons\\missing.ico"_s, ICON_SMALL, u"ft__.nofile"_s), -1);
    ASSERT_EQ(AddIcon(images, kDefaultIconLocation, ICON_SMALL, u"ft__.nofile"_s), 1);
    EXPECT_EQ(stored(images, u"ft__.nofile"_s).pixel(8, 8), document);
}

TEST_F(IconList, ListIconsAddsEveryIconOfAFileWithItsIndex)
{
    AddIcon(images, u"C:\\icons\\red.ico"_s, ICON_LARGE, u"before"_s);
    QListWidget list;
    const int icons = StandInIconLibrary().count();
    ASSERT_GT(icons, 3);
    EXPECT_EQ(ListIcons(u"SHELL32.DLL"_s, ICON_LARGE, &list, images), 1 + icons);
    ASSERT_EQ(list.count(), icons);
    for (int i = 0; i < icons; ++i) {
        SCOPED_TRACE(i);
        const QString key = u"I. %1"_s.arg(i);
        EXPECT_EQ(images.Key(2 + i), key);
        EXPECT_EQ(stored(images, key), shellIcon(i, ICON_LARGE));
        EXPECT_EQ(list.item(i)->text(), QString::number(i));
        EXPECT_FALSE(list.item(i)->icon().isNull());
    }

    QListWidget other;
    ImageList fresh;
    EXPECT_EQ(ListIcons(u"C:\\icons\\blue.ico"_s, ICON_SMALL, &other, fresh), 1);
    EXPECT_EQ(stored(fresh, u"I. 0"_s).pixel(8, 8), kBlue);
    for (const char* file : {"C:\\readme.txt", "C:\\icons\\missing.ico"}) {
        SCOPED_TRACE(file);
        QListWidget none;
        EXPECT_EQ(ListIcons(QString::fromLatin1(file), ICON_LARGE, &none, images), 1 + icons);
        EXPECT_EQ(none.count(), 0);
    }
}

} // namespace
