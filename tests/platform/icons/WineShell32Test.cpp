// First, so that GoogleTest finds it when it instantiates its printers.
#include "tests/support/QStringPrinter.h"

#include "platform/icons/IconFile.h"
#include "platform/icons/IconImageDecoder.h"
#include "platform/icons/IconResolver.h"
#include "platform/registry/PrefixStore.h"
#include "tests/support/WinePrefix.h"

#include <gtest/gtest.h>

#include <memory>

// Icons of a real Wine prefix, made once for the whole test program (wineboot takes a while).
namespace {

using namespace Qt::StringLiterals;

class WineShell32Test : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!WinePrefix::wineAvailable())
            return;
        s_wine = std::make_unique<WinePrefix>();
        PrefixStore store(s_wine->path());
        store.setServerProbe([](const QString&) { return WineServerProbe::Status{}; });
        QString error;
        if (!s_wine->isValid() || !store.open(error))
            return;
        Registry::setCurrent(&store.registry());
        PrefixEnvironment environment = PrefixEnvironment::fromRegistry();
        Registry::setCurrent(nullptr);
        s_icons = std::make_unique<IconResolver>(WindowsPathMapper(s_wine->path(), std::move(environment)),
                                                 StandInIconLibrary(s_wine->filePath(u"no-library"_s)));
    }

    static void TearDownTestSuite()
    {
        s_icons.reset();
        s_wine.reset();
    }

    void SetUp() override
    {
        if (!s_icons)
            GTEST_SKIP() << "Wine is not installed, or the prefix wineboot made does not open";
    }

    static IconResolver& icons() { return *s_icons; }

    static std::shared_ptr<const IconFile> shell32()
    {
        return icons().extractor().files().file(icons().resolve(u"shell32.dll"_s));
    }

    static bool visible(const QImage& image)
    {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) != 0)
                    return true;
        return false;
    }

    static inline std::unique_ptr<WinePrefix> s_wine;
    static inline std::unique_ptr<IconResolver> s_icons;
};

TEST_F(WineShell32Test, PathsOfThePrefix)
{
    const QString shell32 = icons().resolve(u"SHELL32.DLL"_s);
    EXPECT_TRUE(shell32.endsWith(u"/drive_c/windows/system32/shell32.dll"_s)) << shell32.toStdString();
    EXPECT_EQ(icons().resolve(u"C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL"_s), shell32);
    EXPECT_EQ(icons().resolve(u"%windir%\\System32\\shell32.dll"_s), shell32);
    EXPECT_TRUE(icons().mapper().map(u"%ProgramFiles%"_s).endsWith(u"/drive_c/Program Files"_s));
    EXPECT_TRUE(icons().mapper().map(u"%USERPROFILE%"_s).contains(u"/drive_c/users/"_s));
}

TEST_F(WineShell32Test, Shell32IconsByIndexAndIdInDirectoryOrder)
{
    EXPECT_EQ(icons().extract(u"shell32.dll"_s, -1, nullptr, nullptr), 184);
    const auto file = shell32();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->groupName(0), u"IDI_SHELL_OPTIONS"_s);
    EXPECT_EQ(file->groupName(1), u"IDI_SHELL_RENAME_FOLDER"_s);
    EXPECT_EQ(file->groupId(2), 1);
    EXPECT_EQ(file->groupWithId(32), -1);

    QImage large;
    QImage small;
    ASSERT_EQ(icons().extract(u"shell32.dll"_s, -1, &large, &small), 2);
    EXPECT_TRUE(visible(large));
    EXPECT_TRUE(visible(small));
    // ID 1 is the third group: the same icon by position.
    QImage third;
    ASSERT_EQ(icons().extract(u"shell32.dll"_s, 2, &third, nullptr), 1);
    EXPECT_EQ(third, large);

    EXPECT_EQ(icons().extract(u"shell32.dll"_s, -32, &large, &small), 0);
    EXPECT_EQ(icons().extract(u"shell32.dll"_s, 184, &large, &small), 0);
    for (int index = 0; index < 184; ++index) {
        ASSERT_EQ(icons().extract(u"shell32.dll"_s, index, &large, &small), 2) << "index " << index;
        EXPECT_EQ(large.size(), QSize(32, 32));
        EXPECT_EQ(small.size(), QSize(16, 16));
    }
}

TEST_F(WineShell32Test, EveryImageOfTheFirstIdIsUsable)
{
    // PNG at 256 pixels and DIBs of 4, 8 and 32 bpp whose sizes add up exactly.
    const auto file = shell32();
    ASSERT_TRUE(file);
    const QList<IconEntry> entries = file->entries(file->groupWithId(1));
    ASSERT_GE(entries.size(), 4);
    bool png = false;
    QList<int> depths;
    for (const IconEntry& entry : entries) {
        const auto info = IconImageDecoder::inspect(file->readData(entry, 64), entry.size);
        ASSERT_TRUE(info) << "image of " << entry.size << " bytes";
        png = png || (info->png && info->width == 256);
        if (!info->png)
            depths.append(info->bitCount);
        EXPECT_FALSE(IconImageDecoder::decodeImage(*info, file->readData(entry, entry.size)).isNull());
    }
    EXPECT_TRUE(png);
    EXPECT_TRUE(depths.contains(4) && depths.contains(8) && depths.contains(32));
}

TEST_F(WineShell32Test, NotepadHasOneIcon)
{
    EXPECT_EQ(icons().extract(u"notepad.exe"_s, -1, nullptr, nullptr), 1);
    QImage large;
    EXPECT_EQ(icons().extract(u"notepad.exe"_s, 0, &large, nullptr), 1);
    EXPECT_EQ(icons().extract(u"notepad.exe"_s, -768, nullptr, &large), 1);
    EXPECT_EQ(icons().extract(u"notepad.exe"_s, 1, &large, nullptr), 0);
}

} // namespace
