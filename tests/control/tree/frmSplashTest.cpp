#include "control/tree/frmSplash.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <ostream>
#include <string>

namespace {

class frmSplashTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        picLogo = label("picLogo");
        pbar = splash.findChild<QProgressBar*>(QStringLiteral("pbar"));
        lblMsg = label("lblMsg");
        lblInfoMsg = label("lblInfoMsg");
        lblCurrent = label("lblCurrent");
        lblMax = label("lblMax");
        ASSERT_TRUE(picLogo && pbar && lblMsg && lblInfoMsg && lblCurrent && lblMax);
    }

    QLabel* label(const char* name) { return splash.findChild<QLabel*>(QString::fromLatin1(name)); }

    frmSplash splash;
    QLabel* picLogo = nullptr;
    QProgressBar* pbar = nullptr;
    QLabel* lblMsg = nullptr;
    QLabel* lblInfoMsg = nullptr;
    QLabel* lblCurrent = nullptr;
    QLabel* lblMax = nullptr;
};

TEST_F(frmSplashTest, ShowsTheArtworkAndNoWayToCancel)
{
    splash.show();

    EXPECT_TRUE(picLogo->isVisible());
    EXPECT_FALSE(picLogo->pixmap().isNull());
    EXPECT_TRUE(splash.findChildren<QPushButton*>().isEmpty());
    EXPECT_EQ(splash.windowModality(), Qt::NonModal);
}

TEST_F(frmSplashTest, MessagesGoToTheirOwnLines)
{
    splash.setMessage(QStringLiteral("Loading File Types"));
    splash.setInfoMsg(QStringLiteral("<Initializing>"));

    EXPECT_EQ(lblMsg->text(), QStringLiteral("Loading File Types"));
    EXPECT_EQ(lblInfoMsg->text(), QStringLiteral("<Initializing>"));
}

TEST_F(frmSplashTest, SetMaxSetsTheBarAndShowsTheNumber)
{
    splash.setMax(3456);

    EXPECT_EQ(pbar->maximum(), 3456);
    EXPECT_EQ(lblMax->text(), QStringLiteral("3456"));
}

struct SplashUpdateCase {
    const char* name;
    int current;
    int expectedBar; // the bar's value afterwards, having stood at 40 of 0 to 100
};

void PrintTo(const SplashUpdateCase& c, std::ostream* os)
{
    *os << c.current;
}

class frmSplashUpdateTest : public frmSplashTest, public ::testing::WithParamInterface<SplashUpdateCase> {};

TEST_P(frmSplashUpdateTest, WritesTheCountAndMovesTheBarOnlyWithinRange)
{
    splash.setMax(100);
    splash.Update(40);

    splash.Update(GetParam().current);

    EXPECT_EQ(pbar->value(), GetParam().expectedBar);
    EXPECT_EQ(lblCurrent->text(), QString::number(GetParam().current));
}

INSTANTIATE_TEST_SUITE_P(Values, frmSplashUpdateTest,
                         ::testing::Values(SplashUpdateCase{"Within", 75, 75}, SplashUpdateCase{"AtMaximum", 100, 100},
                                           SplashUpdateCase{"AtMinimum", 0, 0},
                                           SplashUpdateCase{"AboveMaximum", 101, 40},
                                           SplashUpdateCase{"BelowMinimum", -1, 40}),
                         [](const auto& param) { return std::string(param.param.name); });

// A bar whose range shrank to nothing accepts any value in Qt; the splash still keeps it in range.
TEST_F(frmSplashTest, UpdateLeavesAnEmptyRangeAlone)
{
    splash.setMax(0);
    splash.Update(0);

    splash.Update(5);

    EXPECT_EQ(pbar->value(), 0);
    EXPECT_EQ(lblCurrent->text(), QStringLiteral("5"));
}

} // namespace
