#include "app/shell/frmMain.h"
#include "app/shell/frmRestore.h"
#include "control/tree/Kestrow.h"
#include "platform/registry/RegistryApi.h"
#include "tests/app/shell/ShellTestSupport.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QAction>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The main window on a prefix whose only backup, made by the removal of the type docfile, still has it.
class RestoreWindow : public ::testing::Test {
protected:
    RestoreWindow()
    {
        setFlags(u"LoadOnStartup LoadFull"_s);
        m_prefix.open();
        EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, u"docfile"_s), ERROR_SUCCESS);
        m_window.setPrefix(&m_prefix.store());
        m_window.Form_Load();
    }

    void chooseRestore()
    {
        QAction* entry = m_window.findChild<QAction*>(u"mnuFileRestore"_s);
        ASSERT_NE(entry, nullptr);
        entry->trigger();
    }

    TestSettings m_settings;
    TestPrefix m_prefix{KestrowFixture::sampleSections()};
    ScriptedUi m_ui;
    frmMain m_window;
};

TEST_F(RestoreWindow, ListsTheBackupAndRestoringItBringsBackTheRemovedType)
{
    ASSERT_EQ(m_window.tree()->GetNodeFromKey(u"ft__.docfile"_s), nullptr);
    QStringList shown;
    m_ui.onModal = [&](QDialog& dialog) {
        auto* list = dialog.findChild<QTreeWidget*>(u"lstBackups"_s);
        auto* restore = dialog.findChild<QPushButton*>(u"btnRestore"_s);
        auto* label = dialog.findChild<QLabel*>(u"lblBackups"_s);
        shown << dialog.windowTitle() << restore->text() << dialog.findChild<QPushButton*>(u"btnCancel"_s)->text();
        QTreeWidgetItem* header = list->headerItem();
        for (int column = 0; column < header->columnCount(); ++column)
            shown << header->text(column);
        EXPECT_EQ(label->buddy(), list);
        // The comparison runs while the window is open.
        EXPECT_TRUE(QTest::qWaitFor([&] { return list->topLevelItem(0)->text(3) != u"Comparing..."_s; }));
        for (int column = 0; column < 4; ++column)
            shown << list->topLevelItem(0)->text(column);
        EXPECT_TRUE(restore->isEnabled());
        m_ui.answer(vbNo);
        restore->click(); // declined: nothing happens
        EXPECT_FALSE(m_prefix.readFile(u"system.reg"_s).contains("[Software\\\\Classes\\\\docfile]"));
        m_ui.answer(vbYes);
        restore->click();
        return dialog.result();
    };
    chooseRestore();

    ASSERT_EQ(shown.size(), 11);
    EXPECT_TRUE(shown[7].startsWith(QDate::currentDate().toString(u"yyyy-MM-dd "_s))) << shown[7].toStdString();
    shown.removeAt(9); // the size, as the locale writes it
    shown.removeAt(7);
    EXPECT_EQ(shown, (QStringList{u"Restore from Backup"_s, u"Restore"_s, u"Cancel"_s, u"Date"_s, u"File"_s,
                                  u"Size"_s, u"Differences"_s, u"system.reg"_s,
                                  u"0 added, 7 removed, 0 changed"_s}));
    ASSERT_EQ(m_ui.boxes().size(), 2u);
    EXPECT_EQ(m_ui.boxes()[1].title, u"Restore from Backup"_s);
    EXPECT_EQ(m_ui.boxes()[1].buttons(), vbYesNo);
    EXPECT_NE(m_window.tree()->GetNodeFromKey(u"ft__.docfile"_s), nullptr);
    EXPECT_TRUE(m_prefix.readFile(u"system.reg"_s).contains("[Software\\\\Classes\\\\docfile]"));
}

TEST_F(RestoreWindow, CancelAndARefusalKeepTheTreeAndTheFile)
{
    m_prefix.store().setServerProbe([](const QString&) { return WineServerProbe::Status{true, 99, {}}; });
    const QByteArray before = m_prefix.readFile(u"system.reg"_s);
    for (const bool refused : {true, false}) {
        m_ui.onModal = [&](QDialog& dialog) {
            if (refused)
                dialog.findChild<QPushButton*>(u"btnRestore"_s)->click();
            dialog.findChild<QPushButton*>(u"btnCancel"_s)->click();
            return dialog.result();
        };
        chooseRestore();
    }
    ASSERT_EQ(m_ui.boxes().size(), 1u);
    EXPECT_TRUE(m_ui.boxes()[0].text.startsWith(u"Wine is running for the prefix"_s)) << m_ui.boxes()[0].text.toStdString();
    EXPECT_EQ(m_prefix.readFile(u"system.reg"_s), before);
    EXPECT_EQ(m_window.tree()->GetNodeFromKey(u"ft__.docfile"_s), nullptr);
}

} // namespace
