#include "app/shell/frmMain.h"
#include "control/tree/Kestrow.h"
#include "platform/registry/Registry.h"
#include "tests/app/shell/ShellTestSupport.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"
#include "tests/support/TreeClicks.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The main window on the control's sample classes, loaded in full.
class MainWindowExport : public ::testing::Test {
protected:
    MainWindowExport()
    {
        setFlags(u"LoadOnStartup LoadFull"_s);
        m_prefix.open();
        m_window.setPrefix(&m_prefix.store());
        m_window.Form_Load();
        m_export = m_window.findChild<QAction*>(u"mnuKestrowExport"_s);
    }

    void select(const QString& key) { ClickNode(*m_window.tree(), key); }

    // The text of an exported file, without its byte-order mark.
    static QString fileText(const QString& path)
    {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            return QString();
        const QByteArray bytes = in.readAll().mid(2);
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    }

    TestSettings m_settings;
    TestPrefix m_prefix{KestrowFixture::sampleSections()};
    ScriptedUi m_ui;
    frmMain m_window;
    QAction* m_export = nullptr;
    QTemporaryDir m_dir;
};

TEST_F(MainWindowExport, SitsRightAfterEditInTheActionsMenu)
{
    ASSERT_NE(m_export, nullptr);
    const QMenu* actions = m_window.findChild<QMenu*>(u"mnuKestrow"_s);
    ASSERT_NE(actions, nullptr);
    const QList<QAction*> entries = actions->actions();
    const qsizetype edit = entries.indexOf(m_window.findChild<QAction*>(u"mnuKestrowEdit"_s));
    ASSERT_GE(edit, 0);
    ASSERT_LT(edit + 1, entries.size());
    EXPECT_EQ(entries[edit + 1], m_export);
    EXPECT_EQ(m_export->text(), u"Export..."_s);
}

TEST_F(MainWindowExport, IsEnabledForItemsOfEveryKindOnlyEvenWhenReadOnly)
{
    ASSERT_NE(m_export, nullptr);
    const struct {
        QString key;
        bool enabled;
    } cases[] = {
        {u"ft__.txtfile"_s, true},
        {u"fe__..txt"_s, true},
        {u"ac__.open.txtfile"_s, true},
        {KestrowFixture::kMenu1, true},
        {KestrowFixture::kTxtHandler, true},
        {u"ftaf.ft__.txtfile"_s, false},
        {u"ftef.ft__.txtfile"_s, false},
    };
    for (const auto& c : cases) {
        select(c.key);
        EXPECT_EQ(m_export->isEnabled(), c.enabled) << c.key.toStdString();
    }

    Registry& registry = m_prefix.store().registry();
    registry.mountMachine(registry.machineHive(), true);
    select(u"ac__.print.txtfile"_s);
    EXPECT_TRUE(m_export->isEnabled()) << "exporting only reads";
}

TEST_F(MainWindowExport, WritesTheSelectedItemToTheChosenFile)
{
    ASSERT_NE(m_export, nullptr);
    select(u"fe__..txt"_s);
    const QString path = m_dir.filePath(u"chosen.reg"_s);
    m_ui.chooseFile(path);
    m_export->trigger();

    ASSERT_EQ(m_ui.saveRequests().size(), 1u);
    const FileSaveRequest& request = m_ui.saveRequests()[0];
    EXPECT_EQ(request.title, u"Export"_s);
    EXPECT_EQ(request.filter, u"Registration Files (*.reg)"_s);
    EXPECT_EQ(request.suggestedPath, QDir::home().filePath(u"txt.reg"_s));
    EXPECT_EQ(request.defaultSuffix, u"reg"_s);
    EXPECT_EQ(request.owner, &m_window);
    EXPECT_TRUE(m_ui.boxes().empty()) << "success says nothing";
    const QString text = fileText(path);
    EXPECT_TRUE(text.startsWith(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\.txt]\r\n@=\"txtfile\"\r\n"_s))
        << text.toStdString();
    EXPECT_TRUE(text.contains(u"[HKEY_CLASSES_ROOT\\CLSID\\{33333333-0000-0000-0000-000000000001}]\r\n"_s))
        << "the class of the extension's handler comes along";
}

TEST_F(MainWindowExport, CancelWritesNothingAndAFailureIsShown)
{
    ASSERT_NE(m_export, nullptr);
    select(u"ft__.txtfile"_s);
    m_export->trigger(); // no file chosen: cancelled
    EXPECT_EQ(m_ui.saveRequests().size(), 1u);
    EXPECT_TRUE(m_ui.boxes().empty());
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());

    const QString unwritable = m_dir.filePath(u"no such folder/txtfile.reg"_s);
    m_ui.chooseFile(unwritable);
    m_export->trigger();
    ASSERT_EQ(m_ui.boxes().size(), 1u);
    EXPECT_EQ(m_ui.boxes()[0].icon(), vbExclamation);
    EXPECT_TRUE(m_ui.boxes()[0].text.contains(unwritable)) << m_ui.boxes()[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(unwritable));
}

} // namespace
