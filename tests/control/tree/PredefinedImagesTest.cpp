#include "control/tree/PredefinedImages.h"
#include "tests/support/QStringPrinter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include <string>

using namespace Qt::StringLiterals;

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

void expectDrawn(const QPixmap& pixmap, int size, const QString& what)
{
    SCOPED_TRACE(what.toStdString() + " at " + std::to_string(size));
    ASSERT_FALSE(pixmap.isNull());
    EXPECT_EQ(pixmap.size(), QSize(size, size));
    const double share = paintedShare(pixmap);
    EXPECT_GT(share, 0.15);
    EXPECT_LT(share, 1.0);
}

TEST(PredefinedImagesTest, TwentyTwoKeysFromExclamationToRegStringEachWithItsOwnDrawing)
{
    const QStringList& keys = PredefinedImageKeys();
    ASSERT_EQ(keys.size(), 22);
    EXPECT_EQ(keys.front(), u"exclamation.default"_s);
    // The tree's images keep their positions; the CLSID tool's three come after them.
    EXPECT_EQ(keys.at(18), u"go.default"_s);
    EXPECT_EQ(keys.back(), u"regstring.default"_s);
    // As many drawings as keys, each of a key: no key is listed twice.
    const QStringList files = QDir(u":/images/predefined"_s).entryList(QDir::Files);
    EXPECT_EQ(files.size(), keys.size());
    for (const QString& file : files)
        EXPECT_TRUE(file.endsWith(u".svg"_s) && keys.contains(file.chopped(4))) << file.toStdString();
    for (const QString& key : keys)
        for (int size : {16, 32})
            expectDrawn(RenderPredefinedImage(key, size), size, key);

    EXPECT_TRUE(RenderPredefinedImage(u"folder.closed.svg"_s, 16).isNull());
    EXPECT_TRUE(RenderPredefinedImage(u"ft__.txtfile"_s, 16).isNull());
    EXPECT_TRUE(RenderArtwork(u":/images/none.svg"_s, QSize(16, 16)).isNull());
}

// The icon library that stands in for a missing shell32.dll is addressed by index, so its files
// must be numbered from 0 without a gap.
TEST(StandInIconLibraryTest, SixteenIconsNumberedFromZeroEachDrawnAtBothSizes)
{
    EXPECT_EQ(QDir(u":/images/shell32"_s).entryList(QDir::Files).size(), 16);
    for (int index = 0; index < 16; ++index) {
        const QString path = u":/images/shell32/%1.svg"_s.arg(index);
        for (int size : {16, 32})
            expectDrawn(RenderArtwork(path, QSize(size, size)), size, path);
    }
}

TEST(ArtworkTest, ApplicationIconAndSplashAreDrawn)
{
    for (int size : {16, 32, 64})
        expectDrawn(RenderArtwork(u":/images/varnook.svg"_s, QSize(size, size)), size, u"varnook.svg"_s);

    const QPixmap splash = RenderArtwork(u":/images/splash.svg"_s, QSize(478, 190), 2.0);
    ASSERT_FALSE(splash.isNull());
    EXPECT_EQ(splash.size(), QSize(956, 380)); // drawn for the screen's pixel ratio, not scaled up
    EXPECT_EQ(splash.deviceIndependentSize(), QSizeF(478, 190));
    EXPECT_GT(paintedShare(splash), 0.99); // an opaque banner
}

} // namespace
