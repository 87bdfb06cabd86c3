// First, so that GoogleTest finds it when it instantiates its printers.
#include "tests/support/QStringPrinter.h"

#include "platform/icons/IconFile.h"
#include "platform/icons/IconImageDecoder.h"
#include "platform/icons/IconResolver.h"
#include "platform/registry/PrefixStore.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Icons of a real Wine prefix, made once for the whole test program (wineboot takes a while).
namespace {

class WineShell32Test : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("wineboot")).isEmpty()) {
            s_skipReason = "Wine is not installed";
            return;
        }
        s_prefix = std::make_unique<QTemporaryDir>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("WINEPREFIX"), s_prefix->path());
        environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
        for (const auto& [program, argument] : {std::pair{"wineboot", "-i"}, std::pair{"wineserver", "-w"}}) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process.start(QString::fromLatin1(program), {QString::fromLatin1(argument)});
            if (!process.waitForFinished(10 * 60 * 1000)) {
                process.kill();
                process.waitForFinished();
            }
        }

        PrefixStore store(s_prefix->path());
        store.setServerProbe([](const QString&) { return WineServerProbe::Status{}; });
        QString error;
        if (!store.open(error)) {
            s_skipReason = "the new prefix cannot be opened: " + error.toStdString();
            return;
        }
        Registry::setCurrent(&store.registry());
        PrefixEnvironment prefixEnvironment = PrefixEnvironment::fromRegistry();
        Registry::setCurrent(nullptr);
        s_icons = std::make_unique<IconResolver>(WindowsPathMapper(s_prefix->path(), std::move(prefixEnvironment)),
                                                 StandInIconLibrary(s_prefix->filePath(QStringLiteral("no-library"))));
    }

    static void TearDownTestSuite()
    {
        s_icons.reset();
        s_prefix.reset();
    }

    void SetUp() override
    {
        if (!s_icons)
            GTEST_SKIP() << s_skipReason;
    }

    static IconResolver& icons() { return *s_icons; }

    static std::shared_ptr<const IconFile> shell32()
    {
        return icons().extractor().files().file(icons().resolve(QStringLiteral("shell32.dll")));
    }

    static bool visible(const QImage& image)
    {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) != 0)
                    return true;
            }
        }
        return false;
    }

    static inline std::unique_ptr<QTemporaryDir> s_prefix;
    static inline std::unique_ptr<IconResolver> s_icons;
    static inline std::string s_skipReason;
};

TEST_F(WineShell32Test, PathsOfThePrefix)
{
    const QString shell32 = icons().resolve(QStringLiteral("SHELL32.DLL"));
    EXPECT_TRUE(shell32.endsWith(QStringLiteral("/drive_c/windows/system32/shell32.dll"))) << shell32.toStdString();
    EXPECT_EQ(icons().resolve(QStringLiteral("C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL")), shell32);
    EXPECT_EQ(icons().resolve(QStringLiteral("%windir%\\System32\\shell32.dll")), shell32);
    EXPECT_TRUE(icons().mapper().map(QStringLiteral("%ProgramFiles%")).endsWith(QStringLiteral("/drive_c/Program Files")));
    EXPECT_TRUE(icons().mapper().map(QStringLiteral("%USERPROFILE%")).contains(QStringLiteral("/drive_c/users/")));
}

TEST_F(WineShell32Test, Shell32GroupsInDirectoryOrder)
{
    EXPECT_EQ(icons().extract(QStringLiteral("shell32.dll"), -1, nullptr, nullptr), 184);
    const auto file = shell32();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->groupName(0), QStringLiteral("IDI_SHELL_OPTIONS"));
    EXPECT_EQ(file->groupName(1), QStringLiteral("IDI_SHELL_RENAME_FOLDER"));
    EXPECT_EQ(file->groupId(2), 1);
    EXPECT_EQ(file->groupWithId(32), -1);
}

TEST_F(WineShell32Test, Shell32IconsByIndexAndId)
{
    QImage large;
    QImage small;
    ASSERT_EQ(icons().extract(QStringLiteral("shell32.dll"), -1, &large, &small), 2);
    EXPECT_TRUE(visible(large));
    EXPECT_TRUE(visible(small));
    // ID 1 is the third group: the same icon by position.
    QImage third;
    ASSERT_EQ(icons().extract(QStringLiteral("shell32.dll"), 2, &third, nullptr), 1);
    EXPECT_EQ(third, large);

    EXPECT_EQ(icons().extract(QStringLiteral("shell32.dll"), -32, &large, &small), 0);
    EXPECT_EQ(icons().extract(QStringLiteral("shell32.dll"), 184, &large, &small), 0);

    for (int index = 0; index < 184; ++index) {
        ASSERT_EQ(icons().extract(QStringLiteral("shell32.dll"), index, &large, &small), 2) << "index " << index;
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
    EXPECT_EQ(icons().extract(QStringLiteral("notepad.exe"), -1, nullptr, nullptr), 1);
    QImage large;
    EXPECT_EQ(icons().extract(QStringLiteral("notepad.exe"), 0, &large, nullptr), 1);
    EXPECT_EQ(icons().extract(QStringLiteral("notepad.exe"), -768, nullptr, &large), 1);
    EXPECT_EQ(icons().extract(QStringLiteral("notepad.exe"), 1, &large, nullptr), 0);
}

TEST_F(WineShell32Test, ManyLookupsParseOnce)
{
    const int before = icons().extractor().files().parseCount();
    QImage small;
    for (int i = 0; i < 10000; ++i)
        icons().extract(QStringLiteral("SHELL32.DLL"), i % 184, nullptr, &small);
    EXPECT_LE(icons().extractor().files().parseCount() - before, 1);
}

} // namespace
