#include "app/dialogs/frmEditFlags.h"

#include "control/records/ErrorNumbers.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSettings.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

class EditFlagsWindow : public ::testing::Test {
protected:
    QListWidget* list() { return dialog.findChild<QListWidget*>(u"lstFlags"_s); }
    QStringList selectedNames()
    {
        QStringList names;
        for (const QListWidgetItem* item : list()->selectedItems())
            names << item->text();
        names.sort();
        return names;
    }

    TestSettings settings;
    ScriptedUi ui;
    frmEditFlags dialog;
};

TEST_F(EditFlagsWindow, PreselectsTheNumbersFlagsOnEachUseAndClicksToggleOne)
{
    dialog.resize(400, 600);
    dialog.show();
    dialog.Initialize(0x10008 | 0x4000);
    EXPECT_EQ(list()->count(), FlagDefinitions().size());
    EXPECT_EQ(selectedNames(), (QStringList{u"FTA_NoEdit"_s, u"FTA_OpenIsSafe"_s}));
    EXPECT_EQ(dialog.ReturnSelectedFlags(), 0x14008u) << "the unlisted bit survives";

    dialog.Initialize(3);
    EXPECT_EQ(selectedNames(), (QStringList{u"FTA_Exclude"_s, u"FTA_Show"_s})) << "nothing of the earlier use";
    EXPECT_EQ(list()->count(), FlagDefinitions().size());
    for (const auto& [name, flags] : {std::pair{u"FTA_NoEdit"_s, 0xBu}, std::pair{u"FTA_Exclude"_s, 0xAu}}) {
        const QListWidgetItem* item = list()->findItems(name, Qt::MatchExactly).value(0);
        ASSERT_TRUE(item);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
        EXPECT_EQ(dialog.ReturnSelectedFlags(), flags) << "a click toggles " << name.toStdString() << " alone";
    }
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

TEST(EditFlagsWithoutTable, ShowsNothingAndKeepsTheNumber)
{
    TestSettings settings(false);
    frmEditFlags dialog;
    dialog.Initialize(0x4004);
    EXPECT_EQ(dialog.findChild<QListWidget*>(u"lstFlags"_s)->count(), 0);
    EXPECT_EQ(dialog.ReturnSelectedFlags(), 0x4004u);
}

} // namespace
