#include "control/tree/ProgressBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <functional>
#include <ostream>
#include <string>

namespace {

const QString kClearingMessage =
    QStringLiteral("Clearing previously loaded file type information.\r\n\r\nPlease wait...");

// Names each case of a table after its `name`.
const auto caseName = [](const auto& param) { return std::string(param.param.name); };

class ProgressBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        box.setWindowTitle(QStringLiteral("Loading File Types..."));
        barProgress = box.findChild<QProgressBar*>(QStringLiteral("barProgress"));
        btnCancel = box.findChild<QPushButton*>(QStringLiteral("btnCancel"));
        lblPercent = label("lblPercent");
        lblBigMesg = label("lblBigMesg");
        lblProgress = label("lblProgress");
        lblProgressMesg = label("lblProgressMesg");
        lblMesg = label("lblMesg");
        ASSERT_TRUE(barProgress && btnCancel && lblPercent && lblBigMesg && lblProgress && lblProgressMesg && lblMesg);
    }

    QLabel* label(const char* name) { return box.findChild<QLabel*>(QString::fromLatin1(name)); }

    // The progress widgets, without Cancel, whose reachability is checked on its own.
    QList<QWidget*> progressWidgets() const { return {barProgress, lblMesg, lblProgress, lblProgressMesg, lblPercent}; }

    // Cancel can be pressed when it is shown and lies wholly within the window; a sliver of it
    // showing at the bottom would be a button the user can still hit.
    bool cancelReachable() const { return btnCancel->isVisible() && box.rect().contains(btnCancel->geometry()); }
    bool cancelOutOfReach() const { return !btnCancel->isVisible() || !box.rect().intersects(btnCancel->geometry()); }

    ProgressBox box;
    QProgressBar* barProgress = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* lblPercent = nullptr;
    QLabel* lblBigMesg = nullptr;
    QLabel* lblProgress = nullptr;
    QLabel* lblProgressMesg = nullptr;
    QLabel* lblMesg = nullptr;
};

TEST_F(ProgressBoxTest, OpensReadyToCountFromZeroToOne)
{
    box.show();

    EXPECT_EQ(box.height(), ProgressBox::ProgressLayoutHeight);
    for (QWidget* widget : progressWidgets())
        EXPECT_TRUE(widget->isVisible()) << widget->objectName().toStdString();
    EXPECT_FALSE(lblBigMesg->isVisible());
    EXPECT_TRUE(cancelReachable());
    EXPECT_EQ(barProgress->minimum(), 0);
    EXPECT_EQ(barProgress->maximum(), 1);
    EXPECT_EQ(barProgress->value(), 0);
    EXPECT_EQ(lblProgress->text(), QStringLiteral("0   out of   1"));
    EXPECT_EQ(lblMesg->text(), QStringLiteral("Loading..."));
    EXPECT_EQ(lblProgressMesg->text(), QStringLiteral("Entries processed:"));
    EXPECT_EQ(btnCancel->text(), QStringLiteral("Cancel"));
    EXPECT_FALSE(box.cancelRequested());
    EXPECT_EQ(box.windowModality(), Qt::NonModal);
}

struct LayoutCase {
    const char* name;
    std::function<void(ProgressBox&)> arrange;
    int height;
    bool progressShown; // the progress widgets; the big message shows exactly when they do not
    bool cancelReachable;
};

void PrintTo(const LayoutCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProgressBoxLayoutTest : public ProgressBoxTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(ProgressBoxLayoutTest, ShowsOneLayoutAtItsHeight)
{
    box.show();
    GetParam().arrange(box);

    EXPECT_EQ(box.height(), GetParam().height);
    for (QWidget* widget : progressWidgets())
        EXPECT_EQ(widget->isVisible(), GetParam().progressShown) << widget->objectName().toStdString();
    EXPECT_EQ(lblBigMesg->isVisible(), !GetParam().progressShown);
    if (GetParam().cancelReachable) {
        EXPECT_TRUE(cancelReachable());
    } else {
        EXPECT_TRUE(cancelOutOfReach());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ProgressBoxLayoutTest,
    ::testing::Values(
        LayoutCase{"Message", [](ProgressBox& box) { box.DisplayMessage(kClearingMessage); },
                   ProgressBox::MessageLayoutHeight, false, false},
        LayoutCase{"MessageThenProgress",
                   [](ProgressBox& box) {
                       box.DisplayMessage(kClearingMessage);
                       box.HideMessage();
                   },
                   ProgressBox::ProgressLayoutHeight, true, true},
        // The short window alone cuts Cancel off, though the button itself is not hidden.
        LayoutCase{"CancelCutOff", [](ProgressBox& box) { box.HideCancelButton(); }, ProgressBox::MessageLayoutHeight,
                   true, false},
        LayoutCase{"CancelBack",
                   [](ProgressBox& box) {
                       box.HideCancelButton();
                       box.ShowCancelButton();
                   },
                   ProgressBox::ProgressLayoutHeight, true, true},
        // The full height does not bring back a Cancel button the message layout hid.
        LayoutCase{"MessageAtFullHeight",
                   [](ProgressBox& box) {
                       box.DisplayMessage(kClearingMessage);
                       box.ShowCancelButton();
                   },
                   ProgressBox::ProgressLayoutHeight, false, false}),
    caseName);

TEST_F(ProgressBoxTest, DisplayMessageShowsTheMessageAsGiven)
{
    box.DisplayMessage(kClearingMessage);

    EXPECT_EQ(lblBigMesg->text(), kClearingMessage);
}

struct UpdateCase {
    const char* name;
    int maximum;
    int current;
    const char* percent;
    const char* counter;
};

void PrintTo(const UpdateCase& c, std::ostream* os)
{
    *os << c.current << " of " << c.maximum;
}

class ProgressBoxUpdateTest : public ProgressBoxTest, public ::testing::WithParamInterface<UpdateCase> {};

TEST_P(ProgressBoxUpdateTest, WritesPercentAndCounter)
{
    const UpdateCase& c = GetParam();
    box.setMax(c.maximum);
    box.Update(c.current);

    EXPECT_EQ(lblPercent->text(), QString::fromLatin1(c.percent));
    EXPECT_EQ(lblProgress->text(), QString::fromLatin1(c.counter));
    if (c.current <= c.maximum) {
        EXPECT_EQ(barProgress->value(), c.current);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProgressBoxUpdateTest,
    ::testing::Values(UpdateCase{"Zero", 100, 0, " 0 %", "0   out of   100"},
                      UpdateCase{"ThirtyFive", 100, 35, " 35 %", "35   out of   100"},
                      UpdateCase{"Maximum", 100, 100, " 100 %", "100   out of   100"},
                      UpdateCase{"RoundedDownNotToNearest", 3, 2, " 66 %", "2   out of   3"},
                      UpdateCase{"LargeCount", 3456, 1210, " 35 %", "1210   out of   3456"},
                      // In double precision these come out just below the whole number and would
                      // read one less.
                      UpdateCase{"SinglePrecision29", 100, 29, " 29 %", "29   out of   100"},
                      UpdateCase{"SinglePrecision57", 100, 57, " 57 %", "57   out of   100"},
                      UpdateCase{"ZeroMaximum", 0, 0, " 0 %", "0   out of   0"},
                      UpdateCase{"ZeroMaximumPastIt", 0, 7, " 0 %", "7   out of   0"}),
    caseName);

TEST_F(ProgressBoxTest, CounterShowsTheStoredMaximumAfterTheBarMoved)
{
    box.setMax(10);
    box.setMin(20); // the bar widens its maximum to 20; the counter keeps what the caller set
    box.Update(20);

    EXPECT_EQ(lblProgress->text(), QStringLiteral("20   out of   10"));
    EXPECT_EQ(lblPercent->text(), QStringLiteral(" 100 %"));
}

TEST_F(ProgressBoxTest, CancelRecordsTheRequestAndLeavesTheWindowAsItWas)
{
    box.setMax(50);
    box.show();
    box.Update(20);

    btnCancel->click();
    QApplication::processEvents();

    EXPECT_TRUE(box.cancelRequested());
    EXPECT_EQ(box.cancelCode(), ProgressBox::CancelledByUser);
    EXPECT_EQ(box.cancelCode(), 1001);
    EXPECT_TRUE(box.isVisible());
    EXPECT_TRUE(cancelReachable());
    EXPECT_EQ(lblProgress->text(), QStringLiteral("20   out of   50"));
    EXPECT_EQ(barProgress->value(), 20);
}

TEST_F(ProgressBoxTest, ShowingTheBoxAgainStartsWithoutCancellation)
{
    box.show();
    btnCancel->click();
    box.show(); // already shown: the request stands until the operation has seen it
    EXPECT_EQ(box.cancelCode(), ProgressBox::CancelledByUser);

    box.close();
    EXPECT_FALSE(box.isVisible());
    box.show();

    EXPECT_EQ(box.cancelCode(), 0);
}

} // namespace
