#include "control/tree/frmSplash.h"
#include "tests/support/QStringPrinter.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// A splash screen and its widgets, found by the names the form gives them.
struct Splash {
    frmSplash splash;
    QLabel* picLogo = label("picLogo");
    QProgressBar* pbar = splash.findChild<QProgressBar*>(u"pbar"_s);
    QLabel* lblMsg = label("lblMsg");
    QLabel* lblInfoMsg = label("lblInfoMsg");
    QLabel* lblCurrent = label("lblCurrent");
    QLabel* lblMax = label("lblMax");

    QLabel* label(const char* name) const { return splash.findChild<QLabel*>(QString::fromLatin1(name)); }
};

TEST(frmSplashTest, ShowsTheArtworkAndEachTextOnItsOwnLineWithNoWayToCancel)
{
    Splash s;
    ASSERT_TRUE(s.picLogo && s.pbar && s.lblMsg && s.lblInfoMsg && s.lblCurrent && s.lblMax);
    s.splash.show();
    EXPECT_TRUE(s.picLogo->isVisible());
    EXPECT_FALSE(s.picLogo->pixmap().isNull());
    EXPECT_TRUE(s.splash.findChildren<QPushButton*>().isEmpty());
    EXPECT_EQ(s.splash.windowModality(), Qt::NonModal);

    s.splash.setMessage(u"Loading File Types"_s);
    s.splash.setInfoMsg(u"<Initializing>"_s);
    s.splash.setMax(3456);
    EXPECT_EQ(s.lblMsg->text(), u"Loading File Types"_s);
    EXPECT_EQ(s.lblInfoMsg->text(), u"<Initializing>"_s);
    EXPECT_EQ(s.pbar->maximum(), 3456);
    EXPECT_EQ(s.lblMax->text(), u"3456"_s);
}

TEST(frmSplashTest, UpdateWritesTheCountAndMovesTheBarOnlyWithinRange)
{
    const struct {
        int maximum, before, current, bar; // the bar stood at `before`; where it stands afterwards
    } cases[] = {
        {100, 40, 75, 75}, {100, 40, 100, 100}, {100, 40, 0, 0}, {100, 40, 101, 40}, {100, 40, -1, 40},
        // A bar whose range shrank to nothing accepts any value in Qt; the splash still keeps it in range.
        {0, 0, 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.current << " of " << c.maximum);
        Splash s;
        ASSERT_TRUE(s.pbar && s.lblCurrent);
        s.splash.setMax(c.maximum);
        s.splash.Update(c.before);
        s.splash.Update(c.current);
        EXPECT_EQ(s.pbar->value(), c.bar);
        EXPECT_EQ(s.lblCurrent->text(), QString::number(c.current));
    }
}

} // namespace
