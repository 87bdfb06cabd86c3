#include "app/shell/frmMain.h"
#include "app/shell/frmOptions.h"
#include "control/tree/Kestrow.h"
#include "tests/app/shell/ShellTestSupport.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// "name: text | tool tip (disabled)", the text being a button's, a frame's title or a box's contents.
QString describe(const QWidget* widget)
{
    QString line = widget->objectName() + QStringLiteral(":");
    for (const char* property : {"text", "title", "plainText"})
        if (const QVariant value = widget->property(property); value.isValid())
            line += u' ' + value.toString();
    if (!widget->toolTip().isEmpty())
        line += QStringLiteral(" | ") + widget->toolTip();
    return widget->isEnabled() ? line : line + QStringLiteral(" (disabled)");
}

// One line per menu: "name Title: item=Caption, ...", a separator's caption "-", a hidden item in
// brackets and a shortcut after its caption.
QStringList menuBarText(const QMainWindow& window)
{
    QStringList lines;
    for (const QAction* entry : window.menuBar()->actions()) {
        const QMenu* menu = entry->menu();
        if (!menu) {
            lines << entry->text() + QStringLiteral(" is no menu");
            continue;
        }
        QStringList items;
        for (const QAction* action : menu->actions()) {
            QString item = action->objectName() + u'=' + (action->isSeparator() ? QStringLiteral("-") : action->text());
            if (!action->shortcut().isEmpty())
                item += u' ' + action->shortcut().toString();
            items << (action->isVisible() ? item : u'[' + item + u']');
        }
        lines << menu->objectName() + u' ' + menu->title() + QStringLiteral(": ") + items.join(QStringLiteral(", "));
    }
    return lines;
}

class MainWindowTest : public ::testing::Test {
protected:
    template <typename T>
    T* child(const char* name)
    {
        auto* found = m_window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    TestSettings m_settings{false};
    ScriptedUi m_ui;
    frmMain m_window;
};

TEST_F(MainWindowTest, ControlsStartWithTheirTextsTipsAndStates)
{
    QStringList controls;
    for (const char* name : {"frameTypes", "frameInfo", "txtInfo0", "btnAdd", "btnRemove", "btnEdit", "btnClose"})
        controls << describe(child<QWidget>(name));
    EXPECT_EQ(controls,
              (QStringList{"frameTypes: File Types", "frameInfo: Information",
                           "txtInfo0: Click on an item to view information about it.",
                           "btnAdd: Add... | Add a new file type, file extension, action or shell extension. (disabled)",
                           "btnRemove: Remove | Remove the selected item. (disabled)",
                           "btnEdit: Edit... | Edit the selected item. (disabled)", "btnClose: Close | Close Varnook"}));
    EXPECT_EQ(m_window.windowTitle(), QStringLiteral("Varnook 2"));

    // The description covers the three value rows until an item is shown.
    m_window.show();
    EXPECT_TRUE(child<QPlainTextEdit>("txtInfo0")->isVisible());
    for (const char* row : {"lblInfo1", "lblInfo2", "lblInfo3"})
        EXPECT_FALSE(child<QLabel>(row)->isVisible()) << row;
    for (const char* row : {"txtInfo1", "txtInfo2", "txtInfo3"})
        EXPECT_FALSE(child<QLineEdit>(row)->isVisible()) << row;
}

TEST_F(MainWindowTest, MenusHaveTheirItemsInOrderWithoutShortcuts)
{
    EXPECT_EQ(menuBarText(m_window),
              (QStringList{"mnuFile File: mnuFileLoad=Load File Types, mnuFileRestore=Restore from Backup..., mnuFileSep1=-, mnuFileClose=Close",
                           "mnuTools Tools: mnuToolsApprovedManager=Approved Shell Extensions, "
                           "mnuToolsMimeTypes=MIME Content Types, mnuToolsClsidTool=CLSID Tool, mnuToolsSep1=-, "
                           "mnuToolsOptions=Preferences...",
                           "mnuKestrow Actions: mnuKestrowFind=Find..., mnuKestrowSep1=-, mnuKestrowRefresh=Refresh, "
                           "mnuKestrowSep2=-, mnuKestrowAdd=Add, mnuKestrowRemove=Remove, mnuKestrowEdit=Edit, "
                           "mnuKestrowExport=Export..., [mnuKestrowSep3=-], [mnuKestrowAssociateExt=Associate with...], [mnuKestrowAddTo=Add to...]",
                           "mnuHelp Help: mnuHelpContents=Contents, mnuHelpAbout=About"}));
}

TEST_F(MainWindowTest, HasAFixedSizeAndNamesThePrefixInTheStatusBar)
{
    m_window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_window.minimumSize(), m_window.maximumSize());
    EXPECT_EQ(m_window.size(), m_window.minimumSize());
    const QSize before = m_window.size();
    m_window.setPrefixStatus(QString(500, u'x'), true);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_window.size(), before) << "a long prefix path does not widen the window";

    m_window.setPrefixStatus(QStringLiteral("/home/u/.wine"), false);
    const QLabel* status = m_window.statusBar()->findChild<QLabel*>(QStringLiteral("lblPrefix"));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().contains(QStringLiteral("/home/u/.wine")));
    EXPECT_FALSE(status->text().contains(QStringLiteral("read-only")));
    m_window.setPrefixStatus(QStringLiteral("/home/u/.wine"), true);
    EXPECT_TRUE(status->text().contains(QStringLiteral("read-only")));
}

TEST_F(MainWindowTest, PreferencesOpensTheOptionsDialogModallyOwnedByTheWindowEachTimeAnew)
{
    setFlags(QStringLiteral("LoadOnStartup ShowSplash LoadFull RefreshOnSelect"));
    std::vector<bool> loadFullShown;
    m_ui.onModal = [&](QDialog& dialog) {
        EXPECT_NE(qobject_cast<frmOptions*>(&dialog), nullptr);
        EXPECT_EQ(dialog.parentWidget(), &m_window);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Preferences"));
        auto* loadFull = dialog.findChild<QCheckBox*>(QStringLiteral("chkLoadFull"));
        loadFullShown.push_back(loadFull->isChecked());
        loadFull->setChecked(false);
        dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
        return dialog.result();
    };

    child<QAction>("mnuToolsOptions")->trigger();
    child<QAction>("mnuToolsOptions")->trigger();

    EXPECT_EQ(loadFullShown, (std::vector<bool>{true, false}));
    EXPECT_FALSE(StartupFlags::current().LoadFull);
    EXPECT_EQ(GetSetting(SETTINGS_APPLICATION, SECTION_CONFIG, QStringLiteral("LoadFull")), QStringLiteral("False"));
    EXPECT_TRUE(m_window.findChildren<frmOptions*>().isEmpty()) << "the dialog is gone once closed";
}

TEST_F(MainWindowTest, CloseMenuCloseButtonAndEscapeCloseTheWindow)
{
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"File > Close", [this] { child<QAction>("mnuFileClose")->trigger(); }},
        {"btnClose", [this] { child<QPushButton>("btnClose")->click(); }},
        {"Escape in a value box",
         [this] {
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(child<QLineEdit>("txtInfo1"), &escape);
         }},
    };
    int unloaded = 0;
    QObject::connect(&m_window, &frmMain::unloaded, [&unloaded] { ++unloaded; });
    for (const auto& [way, close] : ways) {
        SCOPED_TRACE(way);
        m_window.show();
        unloaded = 0;
        close();
        EXPECT_FALSE(m_window.isVisible());
        EXPECT_EQ(unloaded, 1);
    }
}

// ---- loading the file types

const QByteArray kMainSections = "\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n"
                             "\n[Software\\\\Classes\\\\txtfile] 1\n@=\"Text Document\"\n";

class MainWindowLoad : public ::testing::Test {
protected:
    MainWindowLoad() { setFlags(QStringLiteral("LoadOnStartup LoadFull RefreshOnSelect")); }

    static QAction* loadItem(const frmMain& window) { return window.findChild<QAction*>(QStringLiteral("mnuFileLoad")); }

    TestSettings m_settings;
    ScriptedUi m_ui;
};

TEST_F(MainWindowLoad, LoadsOnStartupWithTheWindowDisabledMeanwhile)
{
    TestPrefix prefix(kMainSections);
    prefix.open();
    frmMain window;
    bool enabledDuringLoad = true;
    QTimer::singleShot(0, [&] { enabledDuringLoad = window.isEnabled(); });
    StartupFlags::current().ShowProgress = true; // the load lets events through while the box shows
    window.Form_Load();
    EXPECT_FALSE(enabledDuringLoad);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(window.tree()->Count(), 1);
    EXPECT_EQ(loadItem(window)->text(), QStringLiteral("Reload File Types"));
    EXPECT_TRUE(m_ui.boxes().empty());
}

TEST_F(MainWindowLoad, WithoutLoadOnStartupNothingLoadsUntilAsked)
{
    TestPrefix prefix(kMainSections);
    prefix.open();
    StartupFlags::current().LoadOnStartup = false;
    frmMain window;
    window.Form_Load();
    EXPECT_EQ(window.tree()->Count(), 0);
    EXPECT_EQ(loadItem(window)->text(), QStringLiteral("Load File Types"));
    loadItem(window)->trigger();
    EXPECT_EQ(window.tree()->Count(), 1);
    EXPECT_EQ(loadItem(window)->text(), QStringLiteral("Reload File Types"));
}

TEST_F(MainWindowLoad, ClosingDuringTheLoadCancelsItAndEndsTheProgram)
{
    TestPrefix prefix(kMainSections);
    prefix.open();
    StartupFlags::current().ShowProgress = true; // the load lets events through while the box shows
    frmMain window;
    int unloaded = 0;
    QObject::connect(&window, &frmMain::unloaded, [&unloaded] { ++unloaded; });
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    window.Form_Load();
    EXPECT_TRUE(window.isUnloaded()) << "the program would go on without a window";
    EXPECT_EQ(unloaded, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.tree()->Count(), 0) << "the load was cancelled";
    EXPECT_TRUE(m_ui.boxes().empty()) << "a cancelled load is no error";
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
    EXPECT_EQ(loadItem(window)->text(), QStringLiteral("Reload File Types"));
}

} // namespace
