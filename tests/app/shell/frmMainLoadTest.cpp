#include "app/shell/StartupFlags.h"
#include "app/shell/frmMain.h"
#include "control/tree/Kestrow.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QAction>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QByteArray kSections = "\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n"
                             "\n[Software\\\\Classes\\\\txtfile] 1\n@=\"Text Document\"\n";

class MainWindowLoad : public ::testing::Test {
protected:
    MainWindowLoad()
        : m_saved(StartupFlags::current())
    {
        StartupFlags::current() = StartupFlags{};
        StartupFlags::current().ShowSplash = false;
    }
    ~MainWindowLoad() override { StartupFlags::current() = m_saved; }

    StartupFlags m_saved;
    TestSettings m_settings;
    ScriptedUi m_ui;
};

TEST_F(MainWindowLoad, LoadsOnStartupWithTheWindowDisabledMeanwhile)
{
    TestPrefix prefix(kSections);
    prefix.open();
    frmMain window;
    bool enabledDuringLoad = true;
    QTimer::singleShot(0, [&] { enabledDuringLoad = window.isEnabled(); });
    StartupFlags::current().ShowProgress = true; // the load lets events through while the box shows
    window.Form_Load();
    EXPECT_FALSE(enabledDuringLoad);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(window.tree()->Count(), 1);
    EXPECT_EQ(window.findChild<QAction*>(QStringLiteral("mnuFileLoad"))->text(), QStringLiteral("Reload File Types"));
    EXPECT_TRUE(m_ui.boxes().empty());
}

TEST_F(MainWindowLoad, WithoutLoadOnStartupNothingLoadsUntilAsked)
{
    TestPrefix prefix(kSections);
    prefix.open();
    StartupFlags::current().LoadOnStartup = false;
    frmMain window;
    window.Form_Load();
    EXPECT_EQ(window.tree()->Count(), 0);
    EXPECT_EQ(window.findChild<QAction*>(QStringLiteral("mnuFileLoad"))->text(), QStringLiteral("Load File Types"));
    window.findChild<QAction*>(QStringLiteral("mnuFileLoad"))->trigger();
    EXPECT_EQ(window.tree()->Count(), 1);
    EXPECT_EQ(window.findChild<QAction*>(QStringLiteral("mnuFileLoad"))->text(), QStringLiteral("Reload File Types"));
}

TEST_F(MainWindowLoad, AFailedLoadIsReportedAndTheWindowComesBack)
{
    TestPrefix prefix("\n[Software\\\\Other] 1\n"); // no HKEY_CLASSES_ROOT
    prefix.open();
    frmMain window;
    window.Form_Load();
    ASSERT_EQ(m_ui.boxes().size(), 2u); // the control's fatal message, then the window's
    EXPECT_EQ(m_ui.boxes()[1].title, QStringLiteral("Error - 2002"));
    EXPECT_EQ(m_ui.boxes()[1].text, QStringLiteral("There was an error loading file type information from the "
                                                   "registry.\r\n\r\nPlease restart and try again."));
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(window.findChild<QAction*>(QStringLiteral("mnuFileLoad"))->text(), QStringLiteral("Reload File Types"));
}

} // namespace
