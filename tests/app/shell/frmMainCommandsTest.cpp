#include "app/dialogs/frmAdd.h"
#include "app/dialogs/frmAssoc.h"
#include "app/dialogs/frmEdit.h"
#include "app/shell/frmFind.h"
#include "app/shell/frmMain.h"
#include "control/records/Definitions.h"
#include "control/tree/IconList.h"
#include "control/tree/Kestrow.h"
#include "tests/app/shell/ShellTestSupport.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"
#include "tests/support/TreeClicks.h"

#include <QApplication>
#include <QDir>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The main window on the control's sample classes, with the all-files type "*", loaded.
class MainWindowCommands : public ::testing::Test {
protected:
    MainWindowCommands()
    {
        setFlags(u"LoadOnStartup LoadFull RefreshOnSelect"_s);
        m_prefix.open();
        SetIconPrefix(m_prefix.path()); // as the program does: Windows paths name files of this prefix
        m_window.setPrefix(&m_prefix.store());
        m_window.Form_Load();
    }

    template <typename T>
    T* child(const char* name)
    {
        auto* found = m_window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void click(const QString& key, Qt::MouseButton button = Qt::LeftButton) { ClickNode(*m_window.tree(), key, button); }

    // "caption | row: value | ..." as the panel shows it now; links in brackets.
    QString panel()
    {
        QStringList parts{child<QGroupBox>("frameInfo")->title()};
        if (!child<QPlainTextEdit>("txtInfo0")->isHidden())
            return parts.join(QString()) + u" | "_s + child<QPlainTextEdit>("txtInfo0")->toPlainText();
        const std::pair<const char*, const char*> rows[] = {
            {"lblInfo1", "txtInfo1"}, {"lblInfo2", "txtInfo2"}, {"lblInfo3", "txtInfo3"}};
        for (const auto& [labelName, valueName] : rows) {
            const QLabel* label = child<QLabel>(labelName);
            const QString caption = label->font().underline() ? u'[' + label->text() + u']' : label->text();
            parts << caption + u' ' + child<QLineEdit>(valueName)->text();
        }
        return parts.join(u" | "_s);
    }

    TestSettings m_settings;
    TestPrefix m_prefix{KestrowFixture::sampleSections() + KestrowFixture::classes({{"*"}})};
    ScriptedUi m_ui;
    frmMain m_window;
};

TEST_F(MainWindowCommands, AClickShowsTheItemAndTheCommandsThatFitIt)
{
    click(u"ac__.open.txtfile"_s);
    EXPECT_EQ(panel(), u"'Open' Action | [Command:] notepad.exe %1 | Action Key: open | Uses DDE: False"_s);
    EXPECT_TRUE(child<QPushButton>("btnRemove")->isEnabled());
    EXPECT_TRUE(child<QAction>("mnuKestrowAddTo")->isVisible());
    EXPECT_FALSE(child<QAction>("mnuKestrowAssociateExt")->isVisible());
    EXPECT_EQ(child<QLineEdit>("txtInfo1")->accessibleName(), u"Command"_s);

    click(u"ftaf.ft__.txtfile"_s);
    EXPECT_EQ(panel(), u"Actions Key | This key lists all the actions for 'Text Document'."_s);
    EXPECT_FALSE(child<QPushButton>("btnRemove")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("btnEdit")->isEnabled());
    EXPECT_FALSE(child<QAction>("mnuKestrowAddTo")->isVisible());
}

TEST_F(MainWindowCommands, AReloadMovesTheButtonsWithTheSelection)
{
    click(u"fe__..txt"_s);
    ASSERT_TRUE(child<QPushButton>("btnRemove")->isEnabled());
    child<QAction>("mnuFileLoad")->trigger();

    // The reload selected the all-files type, which is special: nothing may remove it.
    ASSERT_EQ(m_window.tree()->SelectedNode()->key(), u"ft__.*"_s);
    EXPECT_FALSE(child<QPushButton>("btnRemove")->isEnabled());
    EXPECT_FALSE(child<QAction>("mnuKestrowRemove")->isEnabled());
    EXPECT_FALSE(child<QAction>("mnuKestrowAssociateExt")->isVisible());
    EXPECT_TRUE(panel().startsWith(u" All Files | Internal Name: *"_s)) << panel().toStdString();
    child<QPushButton>("btnRemove")->click();
    child<QAction>("mnuKestrowRemove")->trigger();
    EXPECT_TRUE(m_ui.boxes().empty());
    EXPECT_TRUE(probe::keyExists(u"*"_s));
}

TEST_F(MainWindowCommands, RemoveAsksAndTheSelectionMovesOn)
{
    click(u"ac__.print.txtfile"_s);
    m_ui.answer(vbYes);
    child<QPushButton>("btnRemove")->click();
    ASSERT_EQ(m_ui.boxes().size(), 1u);
    EXPECT_EQ(m_ui.boxes()[0].text, u"Are you sure you want to remove this action?"_s);
    EXPECT_FALSE(probe::keyExists(u"txtfile\\shell\\print"_s));
    EXPECT_EQ(m_window.tree()->GetNodeFromKey(u"ac__.print.txtfile"_s), nullptr);
    // The panel and buttons show what is selected now, not the removed action.
    EXPECT_FALSE(panel().contains(u"print"_s)) << panel().toStdString();
}

TEST_F(MainWindowCommands, AssociateWithChoosesTheTypeInTheChooser)
{
    click(u"fe__..log"_s);
    ASSERT_TRUE(child<QAction>("mnuKestrowAssociateExt")->isVisible());
    QStringList listed;
    m_ui.onModal = [&](QDialog& dialog) {
        EXPECT_NE(qobject_cast<frmAssoc*>(&dialog), nullptr);
        EXPECT_EQ(dialog.parentWidget(), &m_window);
        EXPECT_EQ(dialog.findChild<QLabel*>(u"lblMesg"_s)->text(),
                  u"Select the file type you want to associate this file extension with:"_s);
        auto* list = dialog.findChild<QTreeWidget*>(u"lstTypes"_s);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            listed << list->topLevelItem(i)->text(1);
        list->setCurrentItem(list->findItems(u"Doc File"_s, Qt::MatchExactly).value(0));
        dialog.findChild<QPushButton*>(u"btnOK"_s)->click();
        return dialog.result();
    };
    child<QAction>("mnuKestrowAssociateExt")->trigger();
    EXPECT_EQ(listed, (QStringList{u"docfile"_s, u"txtfile"_s})) << "special types are not offered";
    EXPECT_EQ(probe::text(u".log"_s), u"docfile"_s);
    EXPECT_EQ(m_window.tree()->GetNodeFromKey(u"fe__..log"_s)->parent()->key(), u"ftef.ft__.docfile"_s);

    // Cancelled: nothing changes.
    m_ui.onModal = [](QDialog& dialog) {
        dialog.reject();
        return dialog.result();
    };
    click(u"fe__..log"_s);
    child<QAction>("mnuKestrowAssociateExt")->trigger();
    EXPECT_EQ(probe::text(u".log"_s), u"docfile"_s);
}

TEST_F(MainWindowCommands, AddOpensForTheSelectedKindAndTypeAndSelectsWhatWasAdded)
{
    click(u"ftaf.ft__.txtfile"_s); // the actions of txtfile
    m_ui.onModal = [](QDialog& dialog) {
        auto* form = qobject_cast<frmAdd*>(&dialog);
        EXPECT_NE(form, nullptr);
        EXPECT_EQ(dialog.findChild<QComboBox*>(u"cboItems"_s)->currentText(), u"Action"_s);
        EXPECT_EQ(dialog.findChild<QLineEdit*>(u"txtActionAssoc"_s)->text(), u"Text Document"_s);
        dialog.findChild<QComboBox*>(u"cboActionName"_s)->setEditText(u"Edit"_s);
        dialog.findChild<QLineEdit*>(u"txtActionCommand"_s)->setText(u"notepad.exe /e %1"_s);
        dialog.findChild<QPushButton*>(u"btnOK"_s)->click();
        return dialog.result();
    };
    child<QPushButton>("btnAdd")->click();
    EXPECT_EQ(m_window.tree()->SelectedNode()->key(), u"ac__.edit.txtfile"_s);
    EXPECT_EQ(panel(), u"'Edit' Action | [Command:] notepad.exe /e %1 | Action Key: edit | Uses DDE: False"_s);
    EXPECT_EQ(probe::text(u"txtfile\\shell\\edit\\command"_s), u"notepad.exe /e %1"_s);
}

TEST_F(MainWindowCommands, TheEditWindowIsOneThatFollowsTheModel)
{
    click(u"ac__.print.txtfile"_s);
    child<QAction>("mnuKestrowEdit")->trigger();
    auto* editor = m_window.findChild<frmEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    editor->findChild<QLineEdit*>(u"txtActionCommand"_s)->setText(u"notepad.exe /p /q %1"_s);
    editor->findChild<QPushButton*>(u"btnApply"_s)->click();
    EXPECT_EQ(panel(), u"'Print' Action | [Command:] notepad.exe /p /q %1 | Action Key: print | Uses DDE: False"_s)
        << "the panel shows what was applied";

    click(u"ft__.txtfile"_s);
    child<QPushButton>("btnEdit")->click();
    EXPECT_EQ(m_window.findChildren<frmEdit*>().size(), 1) << "one window, switched to the type";
    EXPECT_EQ(editor->windowTitle(), u"Edit File Type..."_s);

    // Its type gone, the window lets go of the record rather than write it later.
    click(u"ac__.open.txtfile"_s);
    child<QPushButton>("btnEdit")->click();
    m_ui.answer(vbYes);
    child<QPushButton>("btnRemove")->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->item(), nullptr);

    click(u"ft__.docfile"_s);
    child<QPushButton>("btnEdit")->click();
    child<QAction>("mnuFileLoad")->trigger();
    EXPECT_EQ(editor->item(), nullptr) << "a reload replaces every record";
}

TEST_F(MainWindowCommands, RowLinksOpenTheFilePropertiesOrTheClsid)
{
    ASSERT_TRUE(QDir(m_prefix.path()).mkpath(u"drive_c/windows/system32"_s));
    m_prefix.writeFile(u"drive_c/windows/system32/notepad.exe"_s, "MZ");
    click(u"ac__.open.txtfile"_s);
    QTest::mouseClick(child<QLabel>("lblInfo1"), Qt::LeftButton);
    ASSERT_EQ(m_ui.propertiesRequests().size(), 1u);
    EXPECT_TRUE(m_ui.propertiesRequests()[0].linuxPath.endsWith(u"/drive_c/windows/system32/notepad.exe"_s));
    EXPECT_EQ(m_ui.propertiesRequests()[0].owner, &m_window);

    // Plain rows do nothing; the keyboard follows a link as the mouse does.
    QTest::mouseClick(child<QLabel>("lblInfo2"), Qt::LeftButton);
    EXPECT_EQ(m_ui.propertiesRequests().size(), 1u);
    QTest::keyClick(child<QLabel>("lblInfo1"), Qt::Key_Return);
    EXPECT_EQ(m_ui.propertiesRequests().size(), 2u);
}

TEST_F(MainWindowCommands, TheRightButtonPopsUpTheActionsMenuWhereItWasPressed)
{
    click(u"ft__.txtfile"_s, Qt::RightButton);
    auto* menu = child<QMenu>("mnuKestrow");
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(child<QAction>("mnuKestrowRefresh")->isEnabled()) << "the pressed node was selected first";
    menu->hide();
}

TEST_F(MainWindowCommands, FindSelectsMatchesThatThePanelFollowsAndIsOneWindowThatWaitsDuringALoad)
{
    const auto findWindows = [] {
        QList<frmFind*> found;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* find = qobject_cast<frmFind*>(window))
                found << find;
        return found;
    };
    child<QAction>("mnuKestrowFind")->trigger();
    ASSERT_EQ(findWindows().size(), 1); // a window of its own, without owner
    frmFind* dialog = findWindows().front();
    EXPECT_TRUE(dialog->isVisible());

    dialog->findChild<QLineEdit*>(u"txtFind"_s)->setText(u"Doc"_s);
    dialog->findChild<QCheckBox*>(u"chkType"_s)->setChecked(true);
    dialog->findChild<QCheckBox*>(u"chkCritName"_s)->setChecked(true);
    dialog->findChild<QPushButton*>(u"btnFind"_s)->click();
    EXPECT_EQ(m_window.tree()->SelectedNode()->key(), u"ft__.docfile"_s);
    EXPECT_TRUE(panel().startsWith(u"Doc File | Internal Name: docfile"_s)) << panel().toStdString();
    EXPECT_TRUE(child<QAction>("mnuKestrowRefresh")->isEnabled());

    // A second "Find..." shows the same dialog.
    child<QAction>("mnuKestrowFind")->trigger();
    EXPECT_EQ(findWindows(), QList<frmFind*>{dialog});

    // While a load runs (and lets events through), the dialog cannot search.
    StartupFlags::current().ShowProgress = true;
    bool enabledDuringLoad = true;
    QTimer::singleShot(0, [&] { enabledDuringLoad = dialog->isEnabled(); });
    child<QAction>("mnuFileLoad")->trigger();
    EXPECT_FALSE(enabledDuringLoad);
    EXPECT_TRUE(dialog->isEnabled());
}

TEST_F(MainWindowCommands, AboutOpensModallyOwnedByTheWindow)
{
    QString caption;
    m_ui.onModal = [&](QDialog& dialog) {
        EXPECT_EQ(dialog.parentWidget(), &m_window);
        caption = dialog.windowTitle();
        return 0;
    };
    child<QAction>("mnuHelpAbout")->trigger();
    EXPECT_EQ(caption, u"About"_s);
}

TEST_F(MainWindowCommands, ToolsOpenOnceEachAsWindowsOfTheControlAndTheClsidLinkQueries)
{
    const auto windowsOf = [this](const char* className) {
        int count = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->inherits(className) && window->parentWidget() == m_window.tree() && window->isVisible())
                ++count;
        return count;
    };
    for (const char* tool : {"mnuToolsApprovedManager", "mnuToolsMimeTypes", "mnuToolsClsidTool"}) {
        child<QAction>(tool)->trigger();
        child<QAction>(tool)->trigger();
    }
    EXPECT_EQ(windowsOf("frmApprovedMngr"), 1);
    EXPECT_EQ(windowsOf("frmMimeTypes"), 1);
    EXPECT_EQ(windowsOf("frmClsidTool"), 1);

    click(KestrowFixture::kMenu1);
    QTest::mouseClick(child<QLabel>("lblInfo1"), Qt::LeftButton);
    QLineEdit* queried = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->inherits("frmClsidTool"))
            queried = window->findChild<QLineEdit*>(u"txtClsid"_s);
    ASSERT_NE(queried, nullptr);
    EXPECT_EQ(queried->text(), u"{11111111-0000-0000-0000-000000000001}"_s);
    EXPECT_EQ(windowsOf("frmClsidTool"), 1);
}

TEST_F(MainWindowCommands, HelpContentsNamesTheMissingPage)
{
    child<QAction>("mnuHelpContents")->trigger();
    ASSERT_EQ(m_ui.boxes().size(), 1u);
    EXPECT_EQ(m_ui.boxes()[0].title, u"Error - 2"_s);
    EXPECT_TRUE(m_ui.boxes()[0].text.startsWith(u"Error opening help file 'index.html'."_s));
}

} // namespace
