#include "control/tree/IconList.h"
#include "control/tree/ImageList.h"
#include "platform/icons/StandInIconLibrary.h"
#include "tests/control/tree/KestrowFixture.h"

#include <QLabel>
#include <QListWidget>

#include <vector>

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

struct Parsed {
    const char* location;
    const char* path;
    int index;
};

class IconLocations : public ::testing::TestWithParam<Parsed> {};

TEST_P(IconLocations, SplitIntoFileAndIndex)
{
    const IconLocation parsed = ParseIconLocation(QString::fromUtf8(GetParam().location));
    EXPECT_EQ(parsed.path, QString::fromUtf8(GetParam().path));
    EXPECT_EQ(parsed.index, GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IconLocations,
    ::testing::Values(Parsed{R"(C:\x y\z.dll,3)", R"(C:\x y\z.dll)", 3},
                      Parsed{R"("C:\x y\z.dll,3")", R"(C:\x y\z.dll)", 3},    // all of it quoted
                      Parsed{R"("C:\x y\z.dll",3)", R"(C:\x y\z.dll)", 3},    // only the path quoted
                      Parsed{R"("C:\x y\z.dll" , 3)", R"(C:\x y\z.dll)", 3},  // blanks around the comma
                      Parsed{R"("C:\x y\z.dll")", R"(C:\x y\z.dll)", 0},
                      Parsed{R"(C:\z.ico)", R"(C:\z.ico)", 0},               // no comma
                      Parsed{R"(C:\z.dll,-3)", R"(C:\z.dll)", -3},           // a resource identifier
                      Parsed{R"(C:\z.dll,   7)", R"(C:\z.dll)", 7},          // blanks before the number
                      Parsed{R"(C:\z.dll,7th)", R"(C:\z.dll)", 7},           // the number ends the reading
                      Parsed{R"(C:\z.dll,abc)", R"(C:\z.dll)", 0},           // no number at all
                      Parsed{R"(C:\z.dll,)", R"(C:\z.dll)", 0},
                      Parsed{R"(C:\z.dll,2.5)", R"(C:\z.dll)", 2},           // rounded half to even
                      Parsed{R"(C:\z.dll,3.5)", R"(C:\z.dll)", 4},
                      Parsed{R"(C:\a,b\z.dll,1)", R"(C:\a)", 0},             // the first comma splits
                      Parsed{R"(,4)", "", 4},
                      Parsed{"", "", 0}));

class IconList : public KestrowFixture {
protected:
    IconList()
        : KestrowFixture(QByteArray())
    {
        writeIcon(QStringLiteral("icons\\red.ico"), kRed);
        writeIcon(QStringLiteral("icons\\blue.ico"), kBlue);
        prefix.writeFile(QStringLiteral("drive_c/icons/broken.ico"), QByteArray("\0\0\1\0\1\0garbage", 13));
        prefix.writeFile(QStringLiteral("drive_c/readme.txt"), QByteArray("no icons in here\n"));
    }

    ImageList images;
};

TEST_F(IconList, LocationsNameTheIconTheyMean)
{
    struct Case {
        const char* location;
        int shellIndex; // the icon of the shell library expected
    };
    const std::vector<Case> cases{
        {"SHELL32.DLL,3", 3},   {"\"SHELL32.DLL,3\"", 3}, {"\"SHELL32.DLL\",3", 3},
        {"SHELL32.DLL", 0},     {"shell32.dll, 5", 5},    {"SHELL32.DLL,-3", -3},
        {"SHELL32.DLL,xyz", 0}, {"C:\\windows\\system32\\shell32.dll,7", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location);
        const QString key = QString::fromLatin1(c.location);
        const int before = images.Count();
        ASSERT_EQ(AddIcon(images, key, ICON_SMALL, key), before + 1);
        const QImage expected = shellIcon(c.shellIndex, ICON_SMALL);
        ASSERT_FALSE(expected.isNull());
        EXPECT_EQ(stored(images, key), expected);
    }
    const int before = images.Count();
    EXPECT_EQ(AddIcon(images, QStringLiteral("C:\\ICONS\\Red.ico"), ICON_SMALL, QStringLiteral("red")), before + 1);
    EXPECT_EQ(stored(images, QStringLiteral("red")).pixel(8, 8), kRed);
    EXPECT_EQ(AddIcon(images, QStringLiteral("\"C:\\icons\\blue.ico\",0"), ICON_LARGE, QStringLiteral("blue")),
              before + 2);
    EXPECT_EQ(stored(images, QStringLiteral("blue")).size(), QSize(32, 32));
    EXPECT_EQ(stored(images, QStringLiteral("blue")).pixel(16, 16), kBlue);
    EXPECT_EQ(stored(images, QStringLiteral("red")).size(), QSize(16, 16));
}

TEST_F(IconList, AddIconReportsTheNewCountOrThatNothingWasAdded)
{
    EXPECT_EQ(AddIcon(images, QStringLiteral("C:\\icons\\red.ico"), ICON_SMALL, QStringLiteral("ft__.txtfile")), 1);
    EXPECT_EQ(AddIcon(images, QStringLiteral("SHELL32.DLL,1"), ICON_SMALL, QStringLiteral("ft__.docfile")), 2);
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
        EXPECT_EQ(AddIcon(images, QString::fromLatin1(location), ICON_SMALL, QStringLiteral("ft__.other")), -1);
        EXPECT_EQ(images.Count(), 2);
        EXPECT_FALSE(images.Contains(QStringLiteral("ft__.other")));
    }
    // A key that is there already keeps its image, in any letter case.
    for (const char* key : {"ft__.txtfile", "FT__.TXTFILE"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(AddIcon(images, QStringLiteral("C:\\icons\\blue.ico"), ICON_SMALL, QString::fromLatin1(key)), -1);
        EXPECT_EQ(images.Count(), 2);
        EXPECT_EQ(stored(images, QStringLiteral("ft__.txtfile")).pixel(8, 8), kRed);
    }
}

TEST_F(IconList, GetIconFallsBackToTheShellsFirstIcon)
{
    const QImage fallback = shellIcon(0, ICON_SMALL);
    ASSERT_FALSE(fallback.isNull());
    for (const char* location : {"", "   ", "C:\\icons\\missing.ico", "C:\\readme.txt", "SHELL32.DLL,999"}) {
        SCOPED_TRACE(location);
        EXPECT_EQ(argb(GetIcon(QString::fromLatin1(location), ICON_SMALL).toImage()), fallback);
    }
    EXPECT_EQ(argb(GetIcon(QString(), ICON_LARGE).toImage()), shellIcon(0, ICON_LARGE));
    EXPECT_EQ(argb(GetIcon(QStringLiteral("SHELL32.DLL,4"), ICON_LARGE).toImage()), shellIcon(4, ICON_LARGE));
    const QImage red = GetIcon(QStringLiteral("\"C:\\icons\\red.ico\""), ICON_SMALL).toImage();
    EXPECT_EQ(red.size(), QSize(16, 16));
    EXPECT_EQ(red.pixel(8, 8), kRed);

    QLabel picture;
    SetIconPicture(QStringLiteral("C:\\icons\\blue.ico"), ICON_LARGE, &picture);
    EXPECT_EQ(picture.pixmap().toImage().pixel(16, 16), kBlue);
}

TEST_F(IconList, ListIconsAddsEveryIconOfAFileWithItsIndex)
{
    AddIcon(images, QStringLiteral("C:\\icons\\red.ico"), ICON_LARGE, QStringLiteral("before"));
    QListWidget list;
    const int icons = StandInIconLibrary().count();
    ASSERT_GT(icons, 3);
    EXPECT_EQ(ListIcons(QStringLiteral("SHELL32.DLL"), ICON_LARGE, &list, images), 1 + icons);
    ASSERT_EQ(list.count(), icons);
    for (int i = 0; i < icons; ++i) {
        SCOPED_TRACE(i);
        const QString key = QStringLiteral("I. %1").arg(i);
        EXPECT_EQ(images.Key(2 + i), key);
        EXPECT_EQ(stored(images, key), shellIcon(i, ICON_LARGE));
        EXPECT_EQ(list.item(i)->text(), QString::number(i));
        EXPECT_FALSE(list.item(i)->icon().isNull());
    }

    QListWidget other;
    ImageList fresh;
    EXPECT_EQ(ListIcons(QStringLiteral("C:\\icons\\blue.ico"), ICON_SMALL, &other, fresh), 1);
    EXPECT_EQ(stored(fresh, QStringLiteral("I. 0")).pixel(8, 8), kBlue);
    for (const char* file : {"C:\\readme.txt", "C:\\icons\\missing.ico"}) {
        SCOPED_TRACE(file);
        QListWidget none;
        EXPECT_EQ(ListIcons(QString::fromLatin1(file), ICON_LARGE, &none, images), 1 + icons);
        EXPECT_EQ(none.count(), 0);
    }
}

} // namespace
