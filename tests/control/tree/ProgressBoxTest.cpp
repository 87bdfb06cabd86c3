#include "control/tree/ProgressBox.h"
#include "tests/support/QStringPrinter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kClearingMessage = u"Clearing previously loaded file type information.\r\n\r\nPlease wait..."_s;

// A box and its widgets, found by the names the form gives them.
struct Box {
    ProgressBox box;
    QProgressBar* bar = box.findChild<QProgressBar*>(u"barProgress"_s);
    QPushButton* cancel = box.findChild<QPushButton*>(u"btnCancel"_s);
    QLabel* percent = label("lblPercent");
    QLabel* bigMesg = label("lblBigMesg");
    QLabel* progress = label("lblProgress");
    QLabel* progressMesg = label("lblProgressMesg");
    QLabel* mesg = label("lblMesg");

    QLabel* label(const char* name) const { return box.findChild<QLabel*>(QString::fromLatin1(name)); }
    bool complete() const { return bar && cancel && percent && bigMesg && progress && progressMesg && mesg; }
    // Without Cancel, whose reachability is checked on its own.
    QList<QWidget*> progressWidgets() const { return {bar, mesg, progress, progressMesg, percent}; }
    // Cancel can be pressed when it is shown and lies wholly within the window; a sliver of it
    // showing at the bottom would be a button the user can still hit.
    bool cancelReachable() const { return cancel->isVisible() && box.rect().contains(cancel->geometry()); }
    bool cancelOutOfReach() const { return !cancel->isVisible() || !box.rect().intersects(cancel->geometry()); }
};

TEST(ProgressBoxTest, OpensReadyToCountFromZeroToOne)
{
    Box b;
    ASSERT_TRUE(b.complete());
    b.box.show();

    EXPECT_EQ(b.box.height(), ProgressBox::ProgressLayoutHeight);
    for (QWidget* widget : b.progressWidgets())
        EXPECT_TRUE(widget->isVisible()) << widget->objectName().toStdString();
    EXPECT_FALSE(b.bigMesg->isVisible());
    EXPECT_TRUE(b.cancelReachable());
    EXPECT_EQ(b.bar->minimum(), 0);
    EXPECT_EQ(b.bar->maximum(), 1);
    EXPECT_EQ(b.bar->value(), 0);
    EXPECT_EQ(b.progress->text(), u"0   out of   1"_s);
    EXPECT_EQ(b.mesg->text(), u"Loading..."_s);
    EXPECT_EQ(b.progressMesg->text(), u"Entries processed:"_s);
    EXPECT_EQ(b.cancel->text(), u"Cancel"_s);
    EXPECT_FALSE(b.box.cancelRequested());
    EXPECT_EQ(b.box.windowModality(), Qt::NonModal);

    b.box.DisplayMessage(kClearingMessage);
    EXPECT_EQ(b.bigMesg->text(), kClearingMessage);
}

TEST(ProgressBoxTest, ShowsOneLayoutAtItsHeight)
{
    constexpr int kTall = ProgressBox::ProgressLayoutHeight;
    constexpr int kShort = ProgressBox::MessageLayoutHeight;
    const struct {
        const char* name;
        std::function<void(ProgressBox&)> arrange;
        int height;
        bool progressShown, cancelReachable; // the big message shows exactly when the progress does not
    } cases[] = {
        {"message", [](ProgressBox& b) { b.DisplayMessage(kClearingMessage); }, kShort, false, false},
        {"message, then progress", [](ProgressBox& b) { b.DisplayMessage(kClearingMessage); b.HideMessage(); }, kTall,
         true, true},
        // The short window alone cuts Cancel off, though the button itself is not hidden.
        {"cancel cut off", [](ProgressBox& b) { b.HideCancelButton(); }, kShort, true, false},
        {"cancel back", [](ProgressBox& b) { b.HideCancelButton(); b.ShowCancelButton(); }, kTall, true, true},
        // The full height does not bring back a Cancel button the message layout hid.
        {"message at full height", [](ProgressBox& b) { b.DisplayMessage(kClearingMessage); b.ShowCancelButton(); },
         kTall, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Box b;
        ASSERT_TRUE(b.complete());
        b.box.show();
        c.arrange(b.box);
        EXPECT_EQ(b.box.height(), c.height);
        for (QWidget* widget : b.progressWidgets())
            EXPECT_EQ(widget->isVisible(), c.progressShown) << widget->objectName().toStdString();
        EXPECT_EQ(b.bigMesg->isVisible(), !c.progressShown);
        EXPECT_TRUE(c.cancelReachable ? b.cancelReachable() : b.cancelOutOfReach());
    }
}

TEST(ProgressBoxTest, UpdateWritesPercentAndCounter)
{
    const struct {
        int maximum, current;
        const char *percent, *counter;
    } cases[] = {
        {100, 0, " 0 %", "0   out of   100"},
        {100, 35, " 35 %", "35   out of   100"},
        {100, 100, " 100 %", "100   out of   100"},
        {3, 2, " 66 %", "2   out of   3"}, // rounded down, not to the nearest
        {3456, 1210, " 35 %", "1210   out of   3456"},
        // In double precision these come out just below the whole number and would read one less.
        {100, 29, " 29 %", "29   out of   100"},
        {100, 57, " 57 %", "57   out of   100"},
        {0, 0, " 0 %", "0   out of   0"},
        {0, 7, " 0 %", "7   out of   0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.current << " of " << c.maximum);
        Box b;
        ASSERT_TRUE(b.complete());
        b.box.setMax(c.maximum);
        b.box.Update(c.current);
        EXPECT_EQ(b.percent->text(), QString::fromLatin1(c.percent));
        EXPECT_EQ(b.progress->text(), QString::fromLatin1(c.counter));
        if (c.current <= c.maximum) {
            EXPECT_EQ(b.bar->value(), c.current);
        }
    }

    // The bar widens its maximum to a larger minimum; the counter keeps what the caller set.
    Box b;
    b.box.setMax(10);
    b.box.setMin(20);
    b.box.Update(20);
    EXPECT_EQ(b.progress->text(), u"20   out of   10"_s);
    EXPECT_EQ(b.percent->text(), u" 100 %"_s);
}

TEST(ProgressBoxTest, CancelIsRecordedUntilTheBoxIsShownAgain)
{
    Box b;
    ASSERT_TRUE(b.complete());
    b.box.setMax(50);
    b.box.show();
    b.box.Update(20);

    b.cancel->click();
    QApplication::processEvents();
    EXPECT_TRUE(b.box.cancelRequested());
    EXPECT_EQ(b.box.cancelCode(), 1001);
    // The window stays as it was.
    EXPECT_TRUE(b.box.isVisible());
    EXPECT_TRUE(b.cancelReachable());
    EXPECT_EQ(b.progress->text(), u"20   out of   50"_s);
    EXPECT_EQ(b.bar->value(), 20);

    b.box.show(); // already shown: the request stands until the operation has seen it
    EXPECT_EQ(b.box.cancelCode(), ProgressBox::CancelledByUser);
    b.box.close();
    EXPECT_FALSE(b.box.isVisible());
    b.box.show();
    EXPECT_EQ(b.box.cancelCode(), 0);
}

} // namespace
