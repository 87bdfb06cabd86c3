#include "app/dialogs/frmEditFlags.h"

#include "control/records/ErrorNumbers.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSettings.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

class EditFlagsWindow : public ::testing::Test {
protected:
    QListWidget* list() { return dialog.findChild<QListWidget*>(u"lstFlags"_s); }
    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(QLatin1String(name)); }
    QStringList selectedNames()
    {
        QStringList names;
        for (int row = 0; row < list()->count(); ++row)
            if (list()->item(row)->isSelected())
                names << list()->item(row)->text();
        return names;
    }
    void click(const QString& name)
    {
        const QList<QListWidgetItem*> found = list()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(found[0]).center());
    }

    TestSettings settings;
    ScriptedUi ui;
    frmEditFlags dialog;
};

TEST_F(EditFlagsWindow, ShowsTheTableWithTheFlagsOfTheNumberSelected)
{
    EXPECT_EQ(dialog.windowTitle(), u"Edit Flags..."_s);
    EXPECT_EQ(dialog.findChild<QLabel*>(u"lblMesg"_s)->text(),
              u"Select the flags you want to apply to this file type and press OK when you are done. Currently "
              "applied flags are preselected."_s);
    for (const char* name : {"btnOK", "btnCancel"})
        EXPECT_FALSE(button(name)->autoDefault()) << name;

    dialog.Initialize(0x10008 | 0x4000);
    const QList<FlagDefinition> table = FlagDefinitions();
    ASSERT_EQ(list()->count(), table.size());
    for (int row = 0; row < list()->count(); ++row) {
        EXPECT_EQ(list()->item(row)->text(), table[row].name);
        EXPECT_EQ(list()->item(row)->data(Qt::UserRole).toUInt(), table[row].mask);
    }
    EXPECT_EQ(selectedNames(), (QStringList{u"FTA_NoEdit"_s, u"FTA_OpenIsSafe"_s}));
    EXPECT_EQ(dialog.ReturnSelectedFlags(), 0x14008u) << "the unnamed bit survives";

    dialog.Initialize(3);
    EXPECT_EQ(selectedNames(), (QStringList{u"FTA_Exclude"_s, u"FTA_Show"_s})) << "nothing of the earlier use";
    EXPECT_EQ(list()->count(), table.size());
    EXPECT_EQ(dialog.ReturnSelectedFlags(), 3u);
}

TEST_F(EditFlagsWindow, AClickTogglesOneFlagAndKeepsTheOthers)
{
    dialog.resize(400, 600);
    dialog.show();
    dialog.Initialize(3);
    click(u"FTA_NoEdit"_s);
    EXPECT_EQ(selectedNames(), (QStringList{u"FTA_Exclude"_s, u"FTA_Show"_s, u"FTA_NoEdit"_s}));
    EXPECT_EQ(dialog.ReturnSelectedFlags(), 0xBu);
    click(u"FTA_Exclude"_s);
    EXPECT_EQ(dialog.ReturnSelectedFlags(), 0xAu);
}

TEST_F(EditFlagsWindow, OKAcceptsAndEveryOtherEndIsACancel)
{
    const auto press = [](const char* name) {
        return [name](frmEditFlags& d) { d.findChild<QPushButton*>(QLatin1String(name))->click(); };
    };
    const struct {
        const char* label;
        std::function<void(frmEditFlags&)> end;
        int result;
    } cases[] = {
        {"OK", press("btnOK"), int(kResultAccepted)},
        {"Cancel", press("btnCancel"), int(kResultCancelled)},
        {"Escape", [](frmEditFlags& d) { QTest::keyClick(&d, Qt::Key_Escape); }, int(kResultCancelled)},
        {"close box", [](frmEditFlags& d) { d.close(); }, int(kResultCancelled)},
        {"Enter in the list",
         [](frmEditFlags& d) { QTest::keyClick(d.findChild<QListWidget*>(u"lstFlags"_s), Qt::Key_Return); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        frmEditFlags window;
        window.Initialize(1);
        window.show();
        c.end(window);
        EXPECT_EQ(window.result(), c.result);
        EXPECT_EQ(window.isVisible(), c.result == 0);
        EXPECT_EQ(window.ReturnSelectedFlags(), 1u) << "readable after the window closed";
    }
}

TEST_F(EditFlagsWindow, HelpPictureOpensTheFlagsPage)
{
    QLabel* picHelp = dialog.findChild<QLabel*>(u"picHelp"_s);
    EXPECT_EQ(picHelp->toolTip(), u"Click here for help!"_s);
    const QPointF middle = QRectF(picHelp->rect()).center();
    QMouseEvent release(QEvent::MouseButtonRelease, middle, picHelp->mapToGlobal(middle), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(picHelp, &release);
    // No help folder stands beside the test program.
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_TRUE(ui.boxes()[0].text.contains(u"'other_flags.html'"_s));
}

TEST(EditFlagsWithoutTable, ShowsNothingAndKeepsTheNumber)
{
    TestSettings settings(false);
    frmEditFlags dialog;
    dialog.Initialize(0x4004);
    EXPECT_EQ(dialog.findChild<QListWidget*>(u"lstFlags"_s)->count(), 0);
    EXPECT_EQ(dialog.ReturnSelectedFlags(), 0x4004u);
}

} // namespace
