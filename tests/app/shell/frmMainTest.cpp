#include "app/shell/StartupFlags.h"
#include "app/shell/frmMain.h"
#include "app/shell/frmOptions.h"
#include "control/records/Definitions.h"
#include "platform/settings/Settings.h"
#include "tests/support/ScriptedUi.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

QString textOf(const QWidget* widget)
{
    if (auto* button = qobject_cast<const QPushButton*>(widget))
        return button->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(widget))
        return box->toPlainText();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* line = qobject_cast<const QLineEdit*>(widget))
        return line->text();
    return QStringLiteral("<no text>");
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { m_previousFolder = SetSettingsFolder(m_dir.path()); }
    void TearDown() override { SetSettingsFolder(m_previousFolder); }

    template <typename T>
    T* child(const char* name)
    {
        auto* found = m_window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QTemporaryDir m_dir;
    QString m_previousFolder;
    ScriptedUi m_ui;
    frmMain m_window;
};

TEST_F(MainWindowTest, ControlsStartWithTheirTextsTipsAndStates)
{
    const struct {
        const char* name;
        const char* text;
        const char* toolTip;
        bool enabled;
    } controls[] = {
        {"frameTypes", "File Types", "", true},
        {"frameInfo", "Information", "", true},
        {"txtInfo0", "Click on an item to view information about it.", "", true},
        {"btnAdd", "Add...", "Add a new file type, file extension, action or shell extension.", false},
        {"btnRemove", "Remove", "Remove the selected item.", false},
        {"btnEdit", "Edit...", "Edit the selected item.", false},
        {"btnClose", "Close", "Close Varnook", true},
    };
    for (const auto& c : controls) {
        const QWidget* widget = child<QWidget>(c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(textOf(widget).toStdString(), c.text) << c.name;
        EXPECT_EQ(widget->toolTip().toStdString(), c.toolTip) << c.name;
        EXPECT_EQ(widget->isEnabled(), c.enabled) << c.name;
    }
    for (const char* row : {"lblInfo1", "lblInfo2", "lblInfo3"})
        EXPECT_NE(child<QLabel>(row), nullptr);
    for (const char* row : {"txtInfo1", "txtInfo2", "txtInfo3"})
        EXPECT_NE(child<QLineEdit>(row), nullptr);
    EXPECT_EQ(m_window.windowTitle(), QStringLiteral("Varnook 2"));
}

TEST_F(MainWindowTest, TheDescriptionCoversTheRowsUntilAnItemIsShown)
{
    m_window.show();
    EXPECT_TRUE(child<QPlainTextEdit>("txtInfo0")->isVisible());
    for (const char* row : {"lblInfo1", "txtInfo1", "lblInfo2", "txtInfo2", "lblInfo3", "txtInfo3"})
        EXPECT_FALSE(child<QWidget>(row)->isVisible()) << row;
}

TEST_F(MainWindowTest, MenusHaveTheirItemsInOrderWithoutShortcuts)
{
    struct Item {
        const char* name;
        const char* caption; // "-" for a separator
        bool visible;
    };
    const struct {
        const char* name;
        const char* title;
        std::vector<Item> items;
    } menus[] = {
        {"mnuFile", "File", {{"mnuFileLoad", "Load File Types", true}, {"mnuFileSep1", "-", true}, {"mnuFileClose", "Close", true}}},
        {"mnuTools",
         "Tools",
         {{"mnuToolsApprovedManager", "Approved Shell Extensions", true},
          {"mnuToolsMimeTypes", "MIME Content Types", true},
          {"mnuToolsClsidTool", "CLSID Tool", true},
          {"mnuToolsSep1", "-", true},
          {"mnuToolsOptions", "Preferences...", true}}},
        {"mnuKestrow",
         "Actions",
         {{"mnuKestrowFind", "Find...", true},
          {"mnuKestrowSep1", "-", true},
          {"mnuKestrowRefresh", "Refresh", true},
          {"mnuKestrowSep2", "-", true},
          {"mnuKestrowAdd", "Add", true},
          {"mnuKestrowRemove", "Remove", true},
          {"mnuKestrowEdit", "Edit", true},
          {"mnuKestrowSep3", "-", false},
          {"mnuKestrowAssociateExt", "Associate with...", false},
          {"mnuKestrowAddTo", "Add to...", false}}},
        {"mnuHelp", "Help", {{"mnuHelpContents", "Contents", true}, {"mnuHelpAbout", "About", true}}},
    };

    const QList<QAction*> bar = m_window.menuBar()->actions();
    ASSERT_EQ(bar.size(), std::size(menus));
    for (size_t m = 0; m < std::size(menus); ++m) {
        const QMenu* menu = bar[qsizetype(m)]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName().toStdString(), menus[m].name);
        EXPECT_EQ(menu->title().toStdString(), menus[m].title);
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(size_t(actions.size()), menus[m].items.size()) << menus[m].name;
        for (size_t i = 0; i < menus[m].items.size(); ++i) {
            const Item& expected = menus[m].items[i];
            const QAction* action = actions[qsizetype(i)];
            EXPECT_EQ(action->objectName().toStdString(), expected.name);
            EXPECT_EQ(action->isSeparator(), std::string(expected.caption) == "-") << expected.name;
            if (!action->isSeparator()) {
                EXPECT_EQ(action->text().toStdString(), expected.caption);
            }
            EXPECT_EQ(action->isVisible(), expected.visible) << expected.name;
            EXPECT_TRUE(action->shortcut().isEmpty()) << expected.name;
        }
    }
}

TEST_F(MainWindowTest, HasAFixedSize)
{
    m_window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_window.minimumSize(), m_window.maximumSize());
    EXPECT_EQ(m_window.size(), m_window.minimumSize());
    const QSize before = m_window.size();
    m_window.setPrefixStatus(QString(500, u'x'), true);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_window.size(), before) << "a long prefix path does not widen the window";
}

TEST_F(MainWindowTest, TheStatusBarNamesThePrefixAndWhetherItIsReadOnly)
{
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
    StartupFlags::current() = {false, true, true, true, true};
    std::vector<bool> loadFullShown;
    m_ui.onModal = [&](QDialog& dialog) {
        auto* options = qobject_cast<frmOptions*>(&dialog);
        EXPECT_NE(options, nullptr);
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
    const struct {
        const char* way;
        std::function<void()> close;
    } ways[] = {
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
    for (const auto& way : ways) {
        m_window.show();
        unloaded = 0;
        way.close();
        EXPECT_FALSE(m_window.isVisible()) << way.way;
        EXPECT_EQ(unloaded, 1) << way.way;
    }
}

} // namespace
