#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/tree/IconList.h"
#include "control/tree/ProgressBox.h"
#include "platform/registry/RegistryApi.h"
#include "tests/control/tree/KestrowFixture.h"

#include <QPushButton>
#include <QTimer>

#include <vector>

namespace {

// Special types of the default table: "*" without an icon of its own, Folder with one that cannot
// be drawn, Directory with one that can, Drive without one (its table row gets a real location),
// Printers with a name of its own; the other rows name keys that do not exist here.
const QByteArray kSpecialSections = R"(
[Software\\Classes\\*] 1

[Software\\Classes\\Directory] 1

[Software\\Classes\\Directory\\DefaultIcon] 1
@="C:\\icons\\red.ico"

[Software\\Classes\\Drive] 1
@="Disk"

[Software\\Classes\\Folder] 1

[Software\\Classes\\Folder\\DefaultIcon] 1
@="C:\\icons\\missing.ico,0"

[Software\\Classes\\Printers] 1
@="My Printers"
)";

class SpecialTypes : public KestrowFixture {
protected:
    SpecialTypes()
        : KestrowFixture(kSpecialSections)
    {
        writeIcon(QStringLiteral("icons\\red.ico"), kRed);
        // A table row may name a real icon location instead of the stand-in text.
        settings.set(QStringLiteral("special"), QStringLiteral("2_DefaultIcon"), QStringLiteral("SHELL32.DLL,3"));
    }
};

TEST_F(SpecialTypes, AreLoadedFromTheTableWithTheirNamesAndIcons)
{
    ASSERT_EQ(load(), 0);
    struct Row {
        QString key;
        QString name;
        QString parent;
        QString iconPath; // after the load
        QIcon image; // null: the red icon of its DefaultIcon
    };
    const std::vector<Row> rows{
        {"ft__.*", " All Files", "", "", control.imlIcons().Image(QStringLiteral("favfolder.closed"))},
        // A location of the registry is the user's data: kept, though it cannot be drawn.
        {"ft__.Folder", "Folder", "sp__.SpecialTypeFolder", "C:\\icons\\missing.ico,0",
         control.imlIcons().Image(QStringLiteral("folder.closed"))},
        {"ft__.Directory", "Directory", "sp__.SpecialTypeFolder", "C:\\icons\\red.ico", QIcon()},
        {"ft__.Drive", "Disk", "sp__.SpecialTypeFolder", "SHELL32.DLL,3",
         QIcon(GetIcon(QStringLiteral("SHELL32.DLL,3"), ICON_SMALL))},
        {"ft__.Printers", "My Printers", "sp__.SpecialTypeFolder", "",
         control.imlIcons().Image(QStringLiteral("printer.default"))},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key.toStdString());
        const auto type = control.FileTypeCollection().value(row.key);
        ASSERT_TRUE(type);
        EXPECT_TRUE(type->Special);
        EXPECT_EQ(type->Name, row.name);
        EXPECT_EQ(type->IconPath, row.iconPath);
        ASSERT_TRUE(node(row.key));
        EXPECT_EQ(node(row.key)->parent() ? node(row.key)->parent()->key() : QString(), row.parent);
        if (row.image.isNull()) {
            EXPECT_EQ(imageColour(row.key), kRed);
        } else {
            EXPECT_TRUE(sameImage(control.imlIcons().Image(row.key), row.image));
        }
    }
    // Rows whose keys do not exist here are left out without a word.
    EXPECT_EQ(control.Count(), static_cast<long>(rows.size()));
    EXPECT_TRUE(ui.boxes().empty());
    // The all-files type is selected, and the tree closed.
    ASSERT_TRUE(control.SelectedNode());
    EXPECT_EQ(control.SelectedNode()->key(), QStringLiteral("ft__.*"));
}

// One file type named by three extensions (the first names it in other letters), with an action;
// the last extension has a handler of its own.
const QByteArray kSharedSections = R"(
[Software\\Classes\\.aaa] 1
@="MultiFile"

[Software\\Classes\\.bbb] 1
@="multifile"

[Software\\Classes\\.ccc] 1
@="multifile"

[Software\\Classes\\.ccc\\shellex\\{77777777-0000-0000-0000-000000000001}] 1
@="{77777777-0000-0000-0000-000000000001}"

[Software\\Classes\\CLSID\\{77777777-0000-0000-0000-000000000001}] 1
@="Peeker"

[Software\\Classes\\multifile\\shell\\open\\command] 1
@="multi.exe %1"
)";

class SharedType : public KestrowFixture {
protected:
    SharedType()
        : KestrowFixture(kSharedSections)
    {
    }
};

TEST_F(SharedType, IsOneRecordHoldingEveryExtensionThatNamesIt)
{
    ASSERT_EQ(load(true), 0);
    ASSERT_EQ(control.Count(), 1);
    const auto type = control.FileTypeCollection().first();
    EXPECT_EQ(type->Loaded(), LOAD_FULL);
    // The name comes from the first extension: it was loaded when that one was read.
    EXPECT_EQ(type->Name, QStringLiteral("AAA File Type"));
    QStringList keys;
    for (const auto& entry : type->FileExtensions) {
        keys << entry.key;
        EXPECT_EQ(entry.item->HostTypeKey.compare(type->Key(), Qt::CaseInsensitive), 0);
    }
    EXPECT_EQ(keys, (QStringList{"fe__..aaa", "fe__..bbb", "fe__..ccc"}));
    EXPECT_EQ(type->Actions.count(), 1);
    // Extensions read after their type still come with their own handlers.
    EXPECT_EQ(type->FileExtensions.value(QStringLiteral("fe__..ccc"))->ShellExtensions.count(), 1);
    EXPECT_EQ(childKeys(ExtensionsFolderKey(type->Key())), keys);
    // Without "*" there is nothing to select, and nothing to complain about.
    EXPECT_FALSE(control.SelectedNode());
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(SharedType, WithoutLoadFullOnlyTheRecordsOwnValuesAreRead)
{
    ASSERT_EQ(load(false), 0);
    const auto type = control.FileTypeCollection().first();
    ASSERT_TRUE(type);
    EXPECT_EQ(type->Loaded(), LOAD_VALUES);
    EXPECT_EQ(type->FileExtensions.count(), 3);
    EXPECT_TRUE(type->Actions.isEmpty());
    EXPECT_TRUE(type->FileExtensions.value(QStringLiteral("fe__..ccc"))->ShellExtensions.isEmpty());
    EXPECT_FALSE(node(ActionsFolderKey(type->Key())));
    EXPECT_FALSE(node(QStringLiteral("fesf.fe__..ccc")));
}

TEST_F(SharedType, ALoadAfterACancelledOneIsNotCancelledAgain)
{
    QTimer::singleShot(0, [this] {
        control.progressBox().findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    });
    bool progress = true;
    bool splash = false;
    ASSERT_EQ(control.LoadCollection(progress, splash, true), kResultCancelled);
    EXPECT_EQ(control.tree().count(), 0);

    progress = true;
    EXPECT_EQ(control.LoadCollection(progress, splash, true), 0);
    EXPECT_EQ(control.Count(), 1);
    EXPECT_TRUE(node(QStringLiteral("fe__..bbb")));
    EXPECT_FALSE(control.progressBox().isVisible());
}

class OnlyOrphans : public KestrowFixture {
protected:
    OnlyOrphans()
        : KestrowFixture(R"(
[Software\\Classes\\.abc] 1
@="abcfile"

[Software\\Classes\\.old] 1
@="oldfile"
)")
    {
    }
};

TEST_F(OnlyOrphans, AReloadShowsTheRegistryAsItIsNow)
{
    ASSERT_EQ(load(), 0);
    ASSERT_EQ(control.Count(), 0);
    ASSERT_EQ(control.OrphanedExtensions().count(), 2);

    // Meanwhile .abc got its type, and .old went.
    auto abc = std::make_shared<FileTypeObject>();
    abc->InternalName = QStringLiteral("abcfile");
    abc->Name = QStringLiteral("ABC Document");
    ASSERT_EQ(control.WriteItem(ITEM_FILETYPE, abc), 0);
    ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, QStringLiteral(".old")), ERROR_SUCCESS);

    ASSERT_EQ(load(), 0);
    EXPECT_EQ(control.Count(), 1);
    EXPECT_TRUE(control.OrphanedExtensions().isEmpty());
    EXPECT_TRUE(childKeys(QStringLiteral("sp__.OrphanedExtFolder")).isEmpty());
    ASSERT_TRUE(node(QStringLiteral("fe__..abc")));
    EXPECT_EQ(node(QStringLiteral("fe__..abc"))->parent()->key(), QStringLiteral("ftef.ft__.abcfile"));
    EXPECT_FALSE(node(QStringLiteral("fe__..old")));
}

} // namespace
