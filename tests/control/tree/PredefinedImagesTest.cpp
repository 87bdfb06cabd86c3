#include "control/tree/PredefinedImages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QSet>

#include <algorithm>
#include <vector>

namespace {

// Share of pixels that carry some paint: an image that draws nothing, or draws a solid square over
// the whole cell, is broken.
double paintedShare(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    qsizetype painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return double(painted) / double(image.width() * image.height());
}

void expectDrawnAt(const QString& path, int size)
{
    const QPixmap pixmap = RenderArtwork(path, QSize(size, size));
    ASSERT_FALSE(pixmap.isNull()) << path.toStdString() << " at " << size;
    EXPECT_EQ(pixmap.size(), QSize(size, size));
    const double share = paintedShare(pixmap);
    EXPECT_GT(share, 0.15) << path.toStdString() << " at " << size;
    EXPECT_LT(share, 1.0) << path.toStdString() << " at " << size;
}

TEST(PredefinedImagesTest, NineteenDistinctKeysFromExclamationToGo)
{
    const QStringList& keys = PredefinedImageKeys();

    ASSERT_EQ(keys.size(), 19);
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
    EXPECT_EQ(keys.front(), QStringLiteral("exclamation.default"));
    EXPECT_EQ(keys.back(), QStringLiteral("go.default"));
    // The keys the tree itself uses for folders, actions, handlers and orphans.
    for (const char* used : {"orphaned.default", "controlfolder.closed", "action.default", "shellext.default",
                             "favfolder.closed", "folder.open", "progfolder.closed"})
        EXPECT_TRUE(keys.contains(QString::fromLatin1(used))) << used;
}

TEST(PredefinedImagesTest, EveryKeyIsDrawnAtBothSizes)
{
    for (const QString& key : PredefinedImageKeys()) {
        for (int size : {16, 32}) {
            const QPixmap pixmap = RenderPredefinedImage(key, size);
            ASSERT_FALSE(pixmap.isNull()) << key.toStdString() << " at " << size;
            EXPECT_EQ(pixmap.size(), QSize(size, size));
            EXPECT_GT(paintedShare(pixmap), 0.15) << key.toStdString() << " at " << size;
        }
    }
}

TEST(PredefinedImagesTest, EveryDrawingBelongsToAKey)
{
    const QStringList files = QDir(QStringLiteral(":/images/predefined")).entryList(QDir::Files);
    for (const QString& file : files) {
        EXPECT_TRUE(file.endsWith(QStringLiteral(".svg"))) << file.toStdString();
        EXPECT_TRUE(PredefinedImageKeys().contains(file.chopped(4))) << file.toStdString();
    }
    EXPECT_EQ(files.size(), PredefinedImageKeys().size());
}

TEST(PredefinedImagesTest, UnknownKeyGivesNoImage)
{
    EXPECT_TRUE(RenderPredefinedImage(QStringLiteral("folder.closed.svg"), 16).isNull());
    EXPECT_TRUE(RenderPredefinedImage(QStringLiteral("ft__.txtfile"), 16).isNull());
    EXPECT_TRUE(RenderArtwork(QStringLiteral(":/images/none.svg"), QSize(16, 16)).isNull());
}

// The icon library that stands in for a missing shell32.dll is addressed by index, so its files
// must be numbered from 0 without a gap.
TEST(StandInIconLibraryTest, IndexesRunFromZeroToFifteenWithoutGaps)
{
    const QStringList files = QDir(QStringLiteral(":/images/shell32")).entryList(QDir::Files);
    std::vector<int> indexes;
    for (const QString& file : files) {
        bool isNumber = false;
        const int index = file.chopped(4).toInt(&isNumber);
        EXPECT_TRUE(isNumber && file.endsWith(QStringLiteral(".svg")) && QString::number(index) + ".svg" == file)
            << file.toStdString();
        indexes.push_back(index);
    }
    std::sort(indexes.begin(), indexes.end());

    ASSERT_EQ(indexes.size(), 16u);
    for (std::size_t i = 0; i < indexes.size(); ++i)
        EXPECT_EQ(indexes[i], int(i));
}

TEST(StandInIconLibraryTest, EveryIconIsDrawnAtBothSizes)
{
    for (const QString& file : QDir(QStringLiteral(":/images/shell32")).entryList(QDir::Files))
        for (int size : {16, 32})
            expectDrawnAt(QStringLiteral(":/images/shell32/") + file, size);
}

TEST(ArtworkTest, ApplicationIconAndSplashAreDrawn)
{
    for (int size : {16, 32, 64})
        expectDrawnAt(QStringLiteral(":/images/varnook.svg"), size);

    const QPixmap splash = RenderArtwork(QStringLiteral(":/images/splash.svg"), QSize(478, 190), 2.0);
    ASSERT_FALSE(splash.isNull());
    EXPECT_EQ(splash.size(), QSize(956, 380)); // drawn for the screen's pixel ratio, not scaled up
    EXPECT_EQ(splash.deviceIndependentSize(), QSizeF(478, 190));
    EXPECT_GT(paintedShare(splash), 0.99); // an opaque banner
}

} // namespace
