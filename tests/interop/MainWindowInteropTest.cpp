#include "app/dialogs/frmAssoc.h"
#include "app/shell/frmFind.h"
#include "app/shell/frmMain.h"
#include "app/shell/StartupFlags.h"
#include "control/records/ActionObject.h"
#include "control/records/FileTypeObject.h"
#include "control/tree/IconList.h"
#include "control/tree/Kestrow.h"
#include "tests/interop/MainWindowFixture.h"
#include "tests/support/TreeClicks.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

TEST_F(MainWindowInterop, ATypeShowsItsRowsAndItsCommandLeadsToTheProgramInThePrefix)
{
    click(u"ft__.txtfile"_s);
    EXPECT_EQ(child<QLabel>("lblInfo1")->text() + child<QLineEdit>("txtInfo1")->text(), u"Internal Name:txtfile"_s);
    EXPECT_EQ(child<QLabel>("lblInfo2")->text() + child<QLineEdit>("txtInfo2")->text(), u"CLSID:none"_s);
    EXPECT_FALSE(child<QLabel>("lblInfo2")->font().underline()) << "no class to query";
    EXPECT_EQ(child<QLabel>("lblInfo3")->text() + child<QLineEdit>("txtInfo3")->text(), u"Flags:none"_s);

    SetIconPrefix(wine.path()); // as the program does for the prefix it opens
    click(u"ac__.open.txtfile"_s);
    ASSERT_TRUE(child<QLabel>("lblInfo1")->font().underline());
    QTest::mouseClick(child<QLabel>("lblInfo1"), Qt::LeftButton);
    ASSERT_EQ(ui.propertiesRequests().size(), 1u) << (ui.boxes().empty() ? std::string() : ui.boxes()[0].text.toStdString());
    EXPECT_EQ(QFileInfo(ui.propertiesRequests()[0].linuxPath).canonicalFilePath(),
              QFileInfo(wine.filePath(u"drive_c/windows/system32/notepad.exe"_s)).canonicalFilePath());
}

TEST_F(MainWindowInterop, FindWalksTheMatchesInLoadOrderAndStartsAgain)
{
    child<QAction>("mnuKestrowFind")->trigger();
    frmFind* find = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* candidate = qobject_cast<frmFind*>(top))
            find = candidate;
    ASSERT_NE(find, nullptr);
    find->findChild<QCheckBox*>(u"chkType"_s)->setChecked(true);
    find->findChild<QCheckBox*>(u"chkCritName"_s)->setChecked(true);
    auto* text = find->findChild<QLineEdit*>(u"txtFind"_s);
    auto* next = find->findChild<QPushButton*>(u"btnFind"_s);

    // The types whose names hold "Document", in the order they were loaded.
    QStringList expected;
    for (const auto& entry : window->tree()->FileTypeCollection())
        if (entry.item->Name.contains(u"Document"_s) && window->tree()->GetNodeFromKey(entry.item->Key()))
            expected << entry.item->Key();
    ASSERT_FALSE(expected.isEmpty());

    text->setText(u"Document"_s);
    QStringList selected;
    for (int i = 0; i < expected.size(); ++i) {
        next->click();
        selected << window->tree()->SelectedNode()->key();
    }
    EXPECT_EQ(selected, expected);
    EXPECT_TRUE(ui.boxes().empty());
    next->click();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text, u"Nothing found.\r\n\r\nTo continue searching from the top click 'Find Next'."_s);
    next->click();
    EXPECT_EQ(window->tree()->SelectedNode()->key(), expected.front());

    ui.clear();
    text->setText(u"document"_s); // letter case counts
    next->click();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_TRUE(ui.boxes()[0].text.startsWith(u"Nothing found."_s));
}

TEST_F(MainWindowInterop, HelpWithoutItsFolderSaysWhichPageIsMissing)
{
    child<QAction>("mnuHelpContents")->trigger();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, u"Error - 2"_s);
    EXPECT_TRUE(ui.boxes()[0].text.contains(u"'index.html'"_s));
}

TEST_F(MainWindowInterop, RemovingAnActionIsWhatWineSeesAndNothingElse)
{
    // ftype shows the open command, which stays as it was.
    const auto open = std::dynamic_pointer_cast<ActionObject>(window->tree()->GetItemFromKey(u"ac__.open.txtfile"_s));
    ASSERT_TRUE(open);
    const QString ftypeBefore = u"txtfile="_s + open->Command;
    click(u"ac__.print.txtfile"_s);
    ui.answer(vbYes);
    child<QPushButton>("btnRemove")->click();
    EXPECT_FALSE(keyExists(u"HKCR\\txtfile\\shell\\print"_s));
    EXPECT_EQ(ftype(u"txtfile"_s), ftypeBefore);
    EXPECT_TRUE(ftypeBefore.contains(u"notepad"_s, Qt::CaseInsensitive)) << ftypeBefore.toStdString();
}

TEST_F(MainWindowInterop, RemovingTheOnlyExtensionTakesItsTypeAfterTheLongQuestion)
{
    click(u"fe__..one"_s);
    ui.answer(vbYes);
    child<QPushButton>("btnRemove")->click();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_TRUE(ui.boxes()[0].text.endsWith(u"Removing the last file extension will also cause the file type to be removed."_s));
    EXPECT_FALSE(keyExists(u"HKCR\\.one"_s));
    EXPECT_FALSE(keyExists(u"HKCR\\onefile"_s));
    EXPECT_FALSE(assoc(u".one"_s).contains(u"onefile"_s));
}

TEST_F(MainWindowInterop, AssociateWithMovesTheExtensionForWine)
{
    click(u"fe__..vnk"_s);
    chooseInChooser(u"Text Document"_s);
    child<QAction>("mnuKestrowAssociateExt")->trigger();
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(assoc(u".vnk"_s), u".vnk=txtfile"_s);
    EXPECT_EQ(assoc(u".vn2"_s), u".vn2=vnkfile"_s);
}

TEST_F(MainWindowInterop, AssociatingTheLastExtensionWithItsOwnTypeChangesNothing)
{
    const QByteArray before = readFile(wine.filePath(u"system.reg"_s));
    click(u"fe__..one"_s);
    chooseInChooser(u"One File"_s);
    child<QAction>("mnuKestrowAssociateExt")->trigger();
    EXPECT_TRUE(ui.boxes().empty()) << "nothing asked";
    EXPECT_EQ(readFile(wine.filePath(u"system.reg"_s)), before);
    EXPECT_EQ(assoc(u".one"_s), u".one=onefile"_s);
}

TEST_F(MainWindowInterop, AddToCopiesAnActionThatFtypeShows)
{
    click(u"ac__.open.txtfile"_s);
    chooseInChooser(u"One File"_s);
    child<QAction>("mnuKestrowAddTo")->trigger();
    EXPECT_TRUE(ui.boxes().empty());
    const QString copied = ftype(u"onefile"_s);
    EXPECT_TRUE(copied.startsWith(u"onefile="_s)) << copied.toStdString();
    EXPECT_TRUE(copied.contains(u"notepad"_s, Qt::CaseInsensitive)) << copied.toStdString();
}

TEST_F(MainWindowInterop, RemoveAfterAReloadNeverReachesTheAllFilesType)
{
    click(u"fe__..txt"_s);
    child<QAction>("mnuFileLoad")->trigger();
    child<QPushButton>("btnRemove")->click();
    child<QAction>("mnuKestrowRemove")->trigger();
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_TRUE(keyExists(u"HKCR\\*"_s));
    EXPECT_TRUE(keyExists(u"HKCR\\.txt"_s));
}

} // namespace
