#include "app/shell/StartupFlags.h"
#include "app/shell/frmOptions.h"
#include "control/records/Definitions.h"
#include "platform/settings/Settings.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString T = QStringLiteral("True");
const QString F = QStringLiteral("False");

struct Boxes {
    Qt::CheckState loadOnStartup, loadFull, refreshOnSelect, showSplash;
};

struct OptionsCase {
    const char* name;
    StartupFlags before;
    Boxes set;                        // what the user sets before OK
    StartupFlags after;
    QList<SettingPair> stored;        // section "config" afterwards, in write order
};

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override { m_previousFolder = SetSettingsFolder(m_dir.path()); }
    void TearDown() override { SetSettingsFolder(m_previousFolder); }

    static QCheckBox* box(const frmOptions& dialog, const char* name)
    {
        auto* found = dialog.findChild<QCheckBox*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static void set(const frmOptions& dialog, const Boxes& boxes)
    {
        box(dialog, "chkLoadOnStartup")->setCheckState(boxes.loadOnStartup);
        box(dialog, "chkLoadFull")->setCheckState(boxes.loadFull);
        box(dialog, "chkRefreshOnSelect")->setCheckState(boxes.refreshOnSelect);
        box(dialog, "chkShowSplash")->setCheckState(boxes.showSplash);
    }

    static void press(QWidget& widget, Qt::Key key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &event);
    }

    QTemporaryDir m_dir;
    QString m_previousFolder;
};

bool sameFlags(const StartupFlags& a, const StartupFlags& b)
{
    return a.ShowProgress == b.ShowProgress && a.ShowSplash == b.ShowSplash && a.LoadOnStartup == b.LoadOnStartup &&
           a.LoadFull == b.LoadFull && a.RefreshOnSelect == b.RefreshOnSelect;
}

class OptionsCaseTest : public OptionsTest, public ::testing::WithParamInterface<OptionsCase> {};

TEST_P(OptionsCaseTest, OkSetsTheFlagsAndStoresThemInOrder)
{
    const OptionsCase& c = GetParam();
    StartupFlags::current() = c.before;
    frmOptions dialog;
    EXPECT_EQ(box(dialog, "chkLoadOnStartup")->isChecked(), c.before.LoadOnStartup);
    EXPECT_EQ(box(dialog, "chkLoadFull")->isChecked(), c.before.LoadFull);
    EXPECT_EQ(box(dialog, "chkRefreshOnSelect")->isChecked(), c.before.RefreshOnSelect);
    EXPECT_EQ(box(dialog, "chkShowSplash")->isChecked(), c.before.ShowSplash);

    set(dialog, c.set);
    dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(sameFlags(StartupFlags::current(), c.after));
    EXPECT_EQ(GetAllSettings(SETTINGS_APPLICATION, SECTION_CONFIG), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsCaseTest,
    ::testing::Values(
        OptionsCase{"AllOff",
                    {false, true, true, true, true},
                    {Qt::Unchecked, Qt::Unchecked, Qt::Unchecked, Qt::Unchecked},
                    {true, false, false, false, false},
                    {{QStringLiteral("LoadOnStartup"), F},
                     {QStringLiteral("LoadFull"), F},
                     {QStringLiteral("RefreshOnSelect"), F},
                     {QStringLiteral("ShowSplash"), F},
                     {QStringLiteral("ShowProgress"), T}}},
        OptionsCase{"GreyedCountsAsOff",
                    {false, true, true, true, true},
                    {Qt::PartiallyChecked, Qt::Checked, Qt::PartiallyChecked, Qt::PartiallyChecked},
                    {true, false, false, true, false},
                    {{QStringLiteral("LoadOnStartup"), F},
                     {QStringLiteral("LoadFull"), T},
                     {QStringLiteral("RefreshOnSelect"), F},
                     {QStringLiteral("ShowSplash"), F},
                     {QStringLiteral("ShowProgress"), T}}},
        // Even when both were on, the splash screen and the progress box end up opposite.
        OptionsCase{"SplashOnTurnsProgressOff",
                    {true, true, false, false, false},
                    {Qt::Checked, Qt::Checked, Qt::Checked, Qt::Checked},
                    {false, true, true, true, true},
                    {{QStringLiteral("LoadOnStartup"), T},
                     {QStringLiteral("LoadFull"), T},
                     {QStringLiteral("RefreshOnSelect"), T},
                     {QStringLiteral("ShowSplash"), T},
                     {QStringLiteral("ShowProgress"), F}}}),
    [](const ::testing::TestParamInfo<OptionsCase>& param) { return std::string(param.param.name); });

TEST_F(OptionsTest, CancelAndEscapeChangeNeitherFlagsNorStore)
{
    const StartupFlags before{false, true, true, true, true};
    for (const bool byEscape : {false, true}) {
        StartupFlags::current() = before;
        frmOptions dialog;
        dialog.show();
        set(dialog, {Qt::Unchecked, Qt::Unchecked, Qt::Unchecked, Qt::Unchecked});
        if (byEscape)
            press(dialog, Qt::Key_Escape);
        else
            dialog.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();

        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(sameFlags(StartupFlags::current(), before)) << "by Escape " << byEscape;
        EXPECT_FALSE(QFile::exists(ApplicationSettings(SETTINGS_APPLICATION).filePath()));
    }
}

TEST_F(OptionsTest, EnterPressesOk)
{
    StartupFlags::current() = {false, true, true, true, true};
    frmOptions dialog;
    dialog.show();
    box(dialog, "chkLoadFull")->setChecked(false);
    press(dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(StartupFlags::current().LoadFull);
    EXPECT_EQ(GetSetting(SETTINGS_APPLICATION, SECTION_CONFIG, QStringLiteral("LoadFull")), F);
}

} // namespace
