#include "tests/interop/MainWindowFixture.h"

#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

TEST_F(MainWindowInterop, ATypeRemovedWithVarnookIsBackForWineAfterTheRestore)
{
    QTemporaryDir backups;
    store->setBackupDir(backups.path());
    click(u"fe__..one"_s);
    ui.answer(vbYes);
    child<QPushButton>("btnRemove")->click();
    // Asking Wine now would start a wineserver, and Varnook does not write while one runs.
    ASSERT_EQ(window->tree()->GetNodeFromKey(u"ft__.onefile"_s), nullptr);
    ASSERT_FALSE(readFile(wine.filePath(u"system.reg"_s)).contains("onefile"));

    ui.onModal = [this](QDialog& dialog) {
        ui.answer(vbYes);
        dialog.findChild<QPushButton*>(u"btnRestore"_s)->click();
        return dialog.result();
    };
    child<QAction>("mnuFileRestore")->trigger();

    EXPECT_NE(window->tree()->GetNodeFromKey(u"ft__.onefile"_s), nullptr);
    EXPECT_EQ(wine.query(u"HKCR\\onefile"_s), QStringList{u"(Default)|REG_SZ|One File"_s});
    EXPECT_TRUE(assoc(u".one"_s).contains(u"onefile"_s));
}

} // namespace
