#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/tree/IconList.h"
#include "control/tree/Kestrow.h"
#include "control/tree/ProgressBox.h"
#include "control/tree/frmSplash.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QByteArray kSections = R"(
[Software\\Classes\\*\\shell\\open\\command] 1
@="viewer.exe %1"

[Software\\Classes\\.log] 1
@="TXTFILE"

[Software\\Classes\\.none] 1

[Software\\Classes\\.txt] 1
@="txtfile"

[Software\\Classes\\.zzz] 1
@="ghostfile"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}] 1
@="Menu Handler"

[Software\\Classes\\Folder] 1
@="Folder"

[Software\\Classes\\unreferenced] 1
@="Nobody points here"

[Software\\Classes\\txtfile] 1
@="Text Document"

[Software\\Classes\\txtfile\\DefaultIcon] 1
@="SHELL32.DLL,1"

[Software\\Classes\\txtfile\\shell\\open\\command] 1
@="notepad.exe %1"

[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\Menu] 1
@="{11111111-0000-0000-0000-000000000001}"
)";

class KestrowLoad : public ::testing::Test {
protected:
    KestrowLoad()
        : prefix(kSections)
    {
        prefix.open();
        SetIconPrefix(prefix.path());
    }

    long load(bool progress = false, bool splash = false, bool full = true)
    {
        return control.LoadCollection(progress, splash, full);
    }

    QStringList childKeys(const QString& key) const
    {
        QStringList keys;
        const KestrowNode* n = control.GetNodeFromKey(key);
        if (n)
            for (const auto& child : n->children())
                keys << child->key();
        return keys;
    }

    TestSettings settings;
    TestPrefix prefix;
    ScriptedUi ui;
    Kestrow control;
};

TEST_F(KestrowLoad, BuildsTheModelExtensionFirst)
{
    ASSERT_EQ(load(), 0);
    // Two extensions naming one type in different letter case share one record.
    auto txt = control.FileTypeCollection().value(QStringLiteral("ft__.txtfile"));
    ASSERT_TRUE(txt);
    EXPECT_EQ(txt->FileExtensions.count(), 2);
    EXPECT_EQ(txt->Loaded(), LOAD_FULL);
    // Orphans: no default value, or a type that does not exist; no "ft__." record stays behind.
    for (const char* key : {"fe__..none", "fe__..zzz"}) {
        auto orphan = control.OrphanedExtensions().value(QString::fromLatin1(key));
        ASSERT_TRUE(orphan) << key;
        EXPECT_EQ(orphan->InternalName, QStringLiteral("<not defined>"));
        EXPECT_EQ(orphan->HostTypeKey, QStringLiteral("<not defined>"));
    }
    EXPECT_FALSE(control.FileTypeCollection().contains(QStringLiteral("ft__.")));
    EXPECT_FALSE(control.FileTypeCollection().contains(QStringLiteral("ft__.ghostfile")));
    EXPECT_FALSE(control.FileTypeCollection().contains(QStringLiteral("ft__.unreferenced")));
    // Special types of the table that exist here.
    EXPECT_TRUE(control.FileTypeCollection().contains(QStringLiteral("ft__.Folder")));
    EXPECT_TRUE(control.FileTypeCollection().contains(QStringLiteral("ft__.*")));
    EXPECT_FALSE(control.FileTypeCollection().contains(QStringLiteral("ft__.Drive")));
    EXPECT_EQ(control.Count(), 3);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);
}

TEST_F(KestrowLoad, BindsTheTreeShape)
{
    ASSERT_EQ(load(), 0);
    QStringList top;
    for (const auto& n : control.tree().topLevel())
        top << n->key();
    // Sorted by text: the two folders whose texts begin with a blank come first.
    // " All Files" and the two folders begin with a blank, so they come first. The type's key is
    // spelled as the first extension that names it (.log) spells it.
    EXPECT_EQ(top, (QStringList{"ft__.*", "sp__.OrphanedExtFolder", "sp__.SpecialTypeFolder", "ft__.TXTFILE"}));
    EXPECT_EQ(childKeys(QStringLiteral("sp__.SpecialTypeFolder")), QStringList{"ft__.Folder"});
    EXPECT_EQ(childKeys(QStringLiteral("ft__.txtfile")),
              (QStringList{"ftaf.ft__.TXTFILE", "ftef.ft__.TXTFILE", "ftsf.ft__.TXTFILE"}));
    EXPECT_EQ(childKeys(QStringLiteral("ftsf.ft__.txtfile")), QStringList{"ftss.ft__.TXTFILE.1"});
    EXPECT_EQ(control.GetNodeFromKey(QStringLiteral("ftss.ft__.txtfile.1"))->text(), QStringLiteral("Context Menu Handlers"));
    EXPECT_EQ(control.GetNodeFromKey(QStringLiteral("fe__..log"))->image(), QStringLiteral("ft__.TXTFILE"));
    EXPECT_EQ(control.GetNodeFromKey(QStringLiteral("fe__..zzz"))->image(), QStringLiteral("orphaned.default"));
    // The all-files type is selected after a load.
    ASSERT_TRUE(control.SelectedNode());
    EXPECT_EQ(control.SelectedNode()->key(), QStringLiteral("ft__.*"));
    // Every type has its icon; the special type without one shows its table image.
    EXPECT_TRUE(control.imlIcons().Contains(QStringLiteral("ft__.txtfile")));
    EXPECT_TRUE(control.imlIcons().Contains(QStringLiteral("ft__.*")));
    EXPECT_EQ(control.FileTypeCollection().value(QStringLiteral("ft__.*"))->IconPath, QString());
}

TEST_F(KestrowLoad, ReloadClearsFirstAndKeepsTheImages)
{
    ASSERT_EQ(load(), 0);
    const int images = control.imlIcons().Count();
    ASSERT_EQ(load(), 0);
    EXPECT_EQ(control.imlIcons().Count(), images);
    EXPECT_EQ(control.Count(), 3);
    EXPECT_EQ(control.progressBox().windowTitle(), QStringLiteral("Varnook")); // the clearing message was shown
    EXPECT_FALSE(control.progressBox().isVisible());
}

TEST_F(KestrowLoad, SplashWinsOverTheProgressBox)
{
    bool progress = true;
    bool splash = true;
    ASSERT_EQ(control.LoadCollection(progress, splash, true), 0);
    EXPECT_FALSE(progress);
    EXPECT_FALSE(control.progressBox().isVisible());
    EXPECT_FALSE(control.splash().isVisible());
}

TEST_F(KestrowLoad, CancelInTheProgressBoxEmptiesTheControl)
{
    // Press Cancel as soon as the box shows, while the loader lets events through.
    QTimer::singleShot(0, [this] {
        control.progressBox().findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    });
    EXPECT_EQ(load(true), kResultCancelled);
    EXPECT_EQ(control.Count(), 0);
    EXPECT_TRUE(control.OrphanedExtensions().isEmpty());
    EXPECT_EQ(control.tree().count(), 0);
    EXPECT_FALSE(control.progressBox().isVisible());
}

TEST_F(KestrowLoad, AMissingClassesRootIsFatal)
{
    prefix.writeFile(QStringLiteral("system.reg"), TestPrefix::systemHeader() + "\n[Software\\\\Other] 1\n");
    prefix.reopen();
    EXPECT_EQ(load(), kErrInvalidHive);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, QStringLiteral("Error - 2002"));
    EXPECT_EQ(ui.boxes()[0].text, QStringLiteral("Fatal Error: invalid registry hive (default hive = -2147483648)"));
    EXPECT_EQ(control.Count(), 0);
}

} // namespace
