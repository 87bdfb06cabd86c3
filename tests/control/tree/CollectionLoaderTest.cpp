#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/tree/IconList.h"
#include "control/tree/ProgressBox.h"
#include "control/tree/frmSplash.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/KestrowFixture.h"

#include <QPushButton>
#include <QTimer>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// .log names txtfile in capitals and comes first; .none has no default value; .zzz and
// "unreferenced" lead nowhere and nothing leads to them.
const QByteArray kSections = KestrowFixture::classes({
    {R"(*\shell\open\command)", "viewer.exe %1"},
    {".log", "TXTFILE"},
    {".none"},
    {".txt", "txtfile"},
    {".zzz", "ghostfile"},
    {R"(CLSID\{11111111-0000-0000-0000-000000000001})", "Menu Handler"},
    {"Folder", "Folder"},
    {"unreferenced", "Nobody points here"},
    {"txtfile", "Text Document"},
    {R"(txtfile\DefaultIcon)", "SHELL32.DLL,1"},
    {R"(txtfile\shell\open\command)", "notepad.exe %1"},
    {R"(txtfile\shellex\ContextMenuHandlers\Menu)", "{11111111-0000-0000-0000-000000000001}"},
});

class KestrowLoad : public KestrowFixture {
protected:
    KestrowLoad()
        : KestrowFixture(kSections)
    {
    }
};

TEST_F(KestrowLoad, LoadsExtensionFirstAndBindsTheTree)
{
    ASSERT_EQ(load(), 0);
    // Orphans: no default value, or a type that does not exist; no "ft__." record stays behind.
    for (const char* key : {"fe__..none", "fe__..zzz"}) {
        auto orphan = control.OrphanedExtensions().value(QString::fromLatin1(key));
        ASSERT_TRUE(orphan) << key;
        EXPECT_EQ(orphan->InternalName, u"<not defined>"_s);
        EXPECT_EQ(orphan->HostTypeKey, u"<not defined>"_s);
    }
    for (const char* key : {"ft__.", "ft__.ghostfile", "ft__.unreferenced", "ft__.Drive"})
        EXPECT_FALSE(control.FileTypeCollection().contains(QString::fromLatin1(key))) << key;
    // txtfile, and the special types of the table that exist here.
    EXPECT_EQ(control.Count(), 3);
    EXPECT_TRUE(control.FileTypeCollection().contains(u"ft__.Folder"_s));
    EXPECT_TRUE(control.FileTypeCollection().contains(u"ft__.*"_s));
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);

    // " All Files" and the two folders begin with a blank, so they come first. The type's key is
    // spelled as the first extension that names it (.log) spells it.
    EXPECT_EQ(childKeys(), (QStringList{"ft__.*", "sp__.OrphanedExtFolder", "sp__.SpecialTypeFolder", "ft__.TXTFILE"}));
    EXPECT_EQ(childKeys(u"ft__.txtfile"_s),
              (QStringList{"ftaf.ft__.TXTFILE", "ftef.ft__.TXTFILE", "ftsf.ft__.TXTFILE"}));
    EXPECT_EQ(childKeys(u"ftef.ft__.txtfile"_s), (QStringList{"fe__..log", "fe__..txt"}));
    EXPECT_EQ(childKeys(u"ftsf.ft__.txtfile"_s), QStringList{"ftss.ft__.TXTFILE.1"});
    EXPECT_EQ(node(u"fe__..log"_s)->image(), u"ft__.TXTFILE"_s);
}

TEST_F(KestrowLoad, ReloadClearsFirstAndKeepsTheImages)
{
    ASSERT_EQ(load(), 0);
    const int images = control.imlIcons().Count();
    ASSERT_EQ(load(), 0);
    EXPECT_EQ(control.imlIcons().Count(), images);
    EXPECT_EQ(control.Count(), 3);
    EXPECT_EQ(control.progressBox().windowTitle(), u"Varnook"_s); // the clearing message was shown
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

TEST_F(KestrowLoad, CancelEmptiesTheControlAndTheNextLoadIsNotCancelledAgain)
{
    // Press Cancel as soon as the box shows, while the loader lets events through.
    QTimer::singleShot(0, [this] { control.progressBox().findChild<QPushButton*>(u"btnCancel"_s)->click(); });
    ASSERT_EQ(load(true, true), kResultCancelled);
    EXPECT_EQ(control.Count(), 0);
    EXPECT_TRUE(control.OrphanedExtensions().isEmpty());
    EXPECT_EQ(control.tree().count(), 0);
    EXPECT_FALSE(control.progressBox().isVisible());

    EXPECT_EQ(load(true, true), 0);
    EXPECT_EQ(control.Count(), 3);
    EXPECT_TRUE(node(u"fe__..log"_s));
    EXPECT_FALSE(control.progressBox().isVisible());
}

TEST_F(KestrowLoad, AMissingClassesRootIsFatal)
{
    rewrite("\n[Software\\\\Other] 1\n");
    EXPECT_EQ(load(), kErrInvalidHive);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, u"Error - 2002"_s);
    EXPECT_EQ(ui.boxes()[0].text, u"Fatal Error: invalid registry hive (default hive = -2147483648)"_s);
    EXPECT_EQ(control.Count(), 0);
}

// Special types of the default table: "*" without an icon of its own, Folder with one that cannot
// be drawn, Directory with one that can, Drive without one (its table row gets a real location),
// Printers with a name of its own; the other rows name keys that do not exist here.
const QByteArray kSpecialSections = KestrowFixture::classes({
    {"*"},
    {"Directory"},
    {R"(Directory\DefaultIcon)", R"(C:\icons\red.ico)"},
    {"Drive", "Disk"},
    {"Folder"},
    {R"(Folder\DefaultIcon)", R"(C:\icons\missing.ico,0)"},
    {"Printers", "My Printers"},
});

TEST_F(KestrowLoad, SpecialTypesComeFromTheTableWithTheirNamesAndIcons)
{
    rewrite(kSpecialSections);
    writeIcon(u"icons\\red.ico"_s, kRed);
    // A table row may name a real icon location instead of the stand-in text.
    settings.set(u"special"_s, u"2_DefaultIcon"_s, u"SHELL32.DLL,3"_s);
    ASSERT_EQ(load(), 0);
    const auto predefined = [this](const QString& key) { return control.imlIcons().Image(key); };
    struct Row {
        QString key, name, parent, iconPath; // the path after the load
        QIcon image; // null: the red icon of its DefaultIcon
    };
    const std::vector<Row> rows{
        {"ft__.*", " All Files", "", "", predefined(u"favfolder.closed"_s)},
        // A location of the registry is the user's data: kept, though it cannot be drawn.
        {"ft__.Folder", "Folder", "sp__.SpecialTypeFolder", "C:\\icons\\missing.ico,0", predefined(u"folder.closed"_s)},
        {"ft__.Directory", "Directory", "sp__.SpecialTypeFolder", "C:\\icons\\red.ico", QIcon()},
        {"ft__.Drive", "Disk", "sp__.SpecialTypeFolder", "SHELL32.DLL,3",
         QIcon(GetIcon(u"SHELL32.DLL,3"_s, ICON_SMALL))},
        {"ft__.Printers", "My Printers", "sp__.SpecialTypeFolder", "", predefined(u"printer.default"_s)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key.toStdString());
        const auto type = control.FileTypeCollection().value(row.key);
        ASSERT_TRUE(type);
        EXPECT_TRUE(type->Special);
        EXPECT_EQ(type->Name, row.name);
        EXPECT_EQ(type->IconPath, row.iconPath);
        ASSERT_TRUE(node(row.key));
        EXPECT_EQ(parentKey(row.key), row.parent);
        if (row.image.isNull()) {
            EXPECT_EQ(imageColour(row.key), kRed);
        } else {
            EXPECT_TRUE(sameImage(control.imlIcons().Image(row.key), row.image));
        }
    }
    // Rows whose keys do not exist here are left out without a word.
    EXPECT_EQ(control.Count(), static_cast<long>(rows.size()));
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(selectedKey(), u"ft__.*"_s);
}

// One file type named by three extensions (the first names it in other letters), with an action;
// the last extension has a handler of its own.
const QByteArray kSharedSections = KestrowFixture::classes({
    {".aaa", "MultiFile"},
    {".bbb", "multifile"},
    {".ccc", "multifile"},
    {R"(.ccc\shellex\{77777777-0000-0000-0000-000000000001})", "{77777777-0000-0000-0000-000000000001}"},
    {R"(CLSID\{77777777-0000-0000-0000-000000000001})", "Peeker"},
    {R"(multifile\shell\open\command)", "multi.exe %1"},
});

TEST_F(KestrowLoad, ATypeSharedByExtensionsIsOneRecordHoldingThemAll)
{
    rewrite(kSharedSections);
    // Without LoadFull only the records' own values are read.
    ASSERT_EQ(load(false), 0);
    ASSERT_EQ(control.Count(), 1);
    auto type = control.FileTypeCollection().first();
    EXPECT_EQ(type->Loaded(), LOAD_VALUES);
    EXPECT_EQ(type->FileExtensions.count(), 3);
    EXPECT_TRUE(type->Actions.isEmpty());
    EXPECT_TRUE(type->FileExtensions.value(u"fe__..ccc"_s)->ShellExtensions.isEmpty());
    EXPECT_FALSE(node(ActionsFolderKey(type->Key())));
    EXPECT_FALSE(node(u"fesf.fe__..ccc"_s));

    ASSERT_EQ(load(true), 0);
    ASSERT_EQ(control.Count(), 1);
    type = control.FileTypeCollection().first();
    EXPECT_EQ(type->Loaded(), LOAD_FULL);
    // The name comes from the first extension: it was loaded when that one was read.
    EXPECT_EQ(type->Name, u"AAA File Type"_s);
    QStringList keys;
    for (const auto& entry : type->FileExtensions) {
        keys << entry.key;
        EXPECT_EQ(entry.item->HostTypeKey.compare(type->Key(), Qt::CaseInsensitive), 0);
    }
    EXPECT_EQ(keys, (QStringList{"fe__..aaa", "fe__..bbb", "fe__..ccc"}));
    EXPECT_EQ(type->Actions.count(), 1);
    // Extensions read after their type still come with their own handlers.
    EXPECT_EQ(type->FileExtensions.value(u"fe__..ccc"_s)->ShellExtensions.count(), 1);
    EXPECT_EQ(childKeys(ExtensionsFolderKey(type->Key())), keys);
    // Without "*" there is nothing to select, and nothing to complain about.
    EXPECT_FALSE(control.SelectedNode());
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(KestrowLoad, AReloadShowsTheRegistryAsItIsNow)
{
    rewrite(classes({{".abc", "abcfile"}, {".old", "oldfile"}}));
    ASSERT_EQ(load(), 0);
    ASSERT_EQ(control.Count(), 0);
    ASSERT_EQ(control.OrphanedExtensions().count(), 2);

    // Meanwhile .abc got its type, and .old went.
    auto abc = std::make_shared<FileTypeObject>();
    abc->InternalName = u"abcfile"_s;
    abc->Name = u"ABC Document"_s;
    ASSERT_EQ(control.WriteItem(ITEM_FILETYPE, abc), 0);
    ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, u".old"_s), ERROR_SUCCESS);

    ASSERT_EQ(load(), 0);
    EXPECT_EQ(control.Count(), 1);
    EXPECT_TRUE(control.OrphanedExtensions().isEmpty());
    // The orphan folder stays, though empty; the special folder comes only with a grouped type.
    EXPECT_EQ(childKeys(), (QStringList{"sp__.OrphanedExtFolder", "ft__.abcfile"}));
    EXPECT_TRUE(childKeys(u"sp__.OrphanedExtFolder"_s).isEmpty());
    EXPECT_EQ(parentKey(u"fe__..abc"_s), u"ftef.ft__.abcfile"_s);
    EXPECT_FALSE(node(u"fe__..old"_s));
}

} // namespace
