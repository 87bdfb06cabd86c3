#include "app/shell/frmFind.h"
#include "control/records/Definitions.h"
#include "control/tree/Kestrow.h"
#include "tests/control/tree/NewRecords.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kNothingFound = u"Nothing found.\r\n\r\nTo continue searching from the top click 'Find Next'."_s;
const char* const kCriteria[] = {"chkCritName",  "chkCritInternalName", "chkCritExt",
                                 "chkCritCLSID", "chkCritCommand",      "chkCritInproc32"};

void pressKey(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// A find dialog on a shown Kestrow control holding three file types: zipfolder ("Compressed
// Folder", extension .zip), txtfile ("Text Document", action open) and Folder ("File Folder").
class frmFindTest : public ::testing::Test {
protected:
    frmFindTest()
    {
        prefix.open();
        auto zip = newrecord::type(u"zipfolder"_s, u"Compressed Folder"_s);
        auto ext = newrecord::extension(u".zip"_s, u"zipfolder"_s);
        zip->FileExtensions.add(ext->Key(), ext);
        auto txt = newrecord::type(u"txtfile"_s, u"Text Document"_s);
        auto open = newrecord::action(u"open"_s, u"txtfile"_s, u"Open"_s);
        txt->Actions.add(open->Key(), open);
        for (const auto& type : {zip, txt, newrecord::type(u"Folder"_s, u"File Folder"_s)})
            EXPECT_EQ(control.AddItem(ITEM_FILETYPE, type), 0);
        control.show();
        QObject::connect(&dialog, &frmFind::itemFound, [this](KestrowNode* node) { found << node->key(); });
        dialog.show();
    }

    template <typename T = QCheckBox>
    static T* child(const frmFind& window, const char* name)
    {
        T* widget = window.findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    // Types the text and clicks the boxes named.
    static void choose(const frmFind& window, const QString& text, std::initializer_list<const char*> boxes)
    {
        child<QLineEdit>(window, "txtFind")->setText(text);
        for (const char* name : boxes)
            child(window, name)->click();
    }
    static void findNext(const frmFind& window) { child<QPushButton>(window, "btnFind")->click(); }
    QString selectedKey() const { return control.SelectedNode() ? control.SelectedNode()->key() : QString(); }
    QStringList boxTexts() const
    {
        QStringList texts;
        for (const MessageBoxRequest& box : ui.boxes())
            texts << box.text;
        return texts;
    }

    TestSettings settings;
    TestPrefix prefix;
    ScriptedUi ui;
    Kestrow control;
    ItemFinder finder;
    frmFind dialog{control, finder};
    QStringList found;
};

// ---- what the dialog shows

TEST_F(frmFindTest, StartsEmptyWithItsTextsAndOnlyTheItemBoxesEnabled)
{
    EXPECT_EQ(dialog.windowTitle(), u"Find..."_s);
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    EXPECT_TRUE(child<QLineEdit>(dialog, "txtFind")->text().isEmpty());
    EXPECT_FALSE(child<QLineEdit>(dialog, "txtFind")->accessibleName().isEmpty());
    QStringList captions;
    for (const QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
        captions << box->text();
        EXPECT_EQ(box->checkState(), Qt::Unchecked);
        EXPECT_EQ(box->isEnabled(), !box->objectName().startsWith(u"chkCrit"_s)) << box->text().toStdString();
        EXPECT_FALSE(box->accessibleName().isEmpty());
    }
    EXPECT_EQ(captions, (QStringList{u"File Types"_s, u"File Extensions"_s, u"Actions"_s, u"Shell Extensions"_s,
                                     u"Name"_s, u"Internal Name"_s, u"Extension"_s, u"CLSID"_s, u"Command"_s,
                                     u"Inproc32 Server"_s}));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, (QStringList{u"Find What:"_s, u"Items:"_s, u"Criteria:"_s,
                                   u"Note that this does not search in alphabetical order, but in the order in which "
                                   "the items were loaded from the registry."_s,
                                   QString()}));
    EXPECT_EQ(child<QPushButton>(dialog, "btnFind")->text(), u"Find Next"_s);
    EXPECT_TRUE(child<QPushButton>(dialog, "btnFind")->isDefault());
    EXPECT_EQ(child<QPushButton>(dialog, "btnCancel")->text(), u"Cancel"_s);
    EXPECT_EQ(child<QLabel>(dialog, "picHelp")->toolTip(), u"Click here for help!"_s);
}

TEST_F(frmFindTest, BoxesStandInTwoColumnsAndTabFollowsTheScreen)
{
    QStringList order;
    QWidget* first = child<QLineEdit>(dialog, "txtFind");
    for (QWidget* widget = first; order.isEmpty() || widget != first; widget = widget->nextInFocusChain())
        if (widget->focusPolicy() & Qt::TabFocus)
            order << widget->objectName();
    EXPECT_EQ(order.join(u' '), u"txtFind chkType chkExt chkAction chkShellExt chkCritName chkCritInternalName "
                                "chkCritExt chkCritCLSID chkCritCommand chkCritInproc32 btnFind btnCancel picHelp"_s);
    // Tab goes along the rows: every second box stands right of the one before, on its row.
    for (int i = 1; i + 1 < 11; i += 2) {
        const QRect left = dialog.findChild<QWidget*>(order[i])->geometry();
        const QRect right = dialog.findChild<QWidget*>(order[i + 1])->geometry();
        EXPECT_EQ(left.top(), right.top()) << order[i].toStdString();
        EXPECT_LT(left.right(), right.left()) << order[i].toStdString();
    }
}

TEST_F(frmFindTest, CriteriaFollowTheTickedItemsAndKeepTheirTicks)
{
    auto enabled = [this] {
        QStringList names;
        for (const char* name : kCriteria)
            if (child(dialog, name)->isEnabled())
                names << QLatin1String(name).mid(7);
        return names.join(u' ');
    };
    choose(dialog, QString(), {"chkType", "chkCritInternalName", "chkCritCLSID", "chkShellExt"});
    EXPECT_EQ(enabled(), u"Name InternalName CLSID Inproc32"_s);
    choose(dialog, QString(), {"chkType"}); // unticked: the shell extensions still have both
    EXPECT_EQ(enabled(), u"Name InternalName CLSID Inproc32"_s);
    choose(dialog, QString(), {"chkShellExt", "chkAction"});
    EXPECT_EQ(enabled(), u"Name Command"_s);
    EXPECT_EQ(child(dialog, "chkCritInternalName")->checkState(), Qt::Checked);
    EXPECT_EQ(child(dialog, "chkCritCLSID")->checkState(), Qt::Checked);
}

// ---- Find Next

TEST_F(frmFindTest, MissingChoicesAreToldAndNothingIsSelected)
{
    findNext(dialog);
    choose(dialog, QString(), {"chkType"});
    findNext(dialog);
    ASSERT_EQ(boxTexts(), (QStringList{u"You have to select at least one item to find."_s,
                                       u"You have to select at least one search criteria."_s}));
    for (const MessageBoxRequest& box : ui.boxes()) {
        EXPECT_EQ(box.title, u"Varnook"_s);
        EXPECT_EQ(box.icon(), vbInformation);
    }
    EXPECT_TRUE(found.isEmpty());
    EXPECT_TRUE(selectedKey().isEmpty());
}

TEST_F(frmFindTest, EachPressSelectsTheNextMatchThenSaysNothingFoundAndStartsAgain)
{
    choose(dialog, u"Folder"_s, {"chkType", "chkCritName"});
    findNext(dialog);
    EXPECT_EQ(selectedKey(), FileTypeKey(u"zipfolder"_s));
    EXPECT_EQ(control.window()->focusWidget(), control.tvwData());
    pressKey(child<QLineEdit>(dialog, "txtFind"), Qt::Key_Return); // the default button
    EXPECT_EQ(selectedKey(), FileTypeKey(u"Folder"_s));
    EXPECT_TRUE(ui.boxes().empty());
    findNext(dialog);
    EXPECT_EQ(boxTexts(), QStringList{kNothingFound});
    findNext(dialog);
    EXPECT_EQ(found, (QStringList{FileTypeKey(u"zipfolder"_s), FileTypeKey(u"Folder"_s), FileTypeKey(u"zipfolder"_s)}));
}

TEST_F(frmFindTest, ATickOnADisabledCriterionStillCounts)
{
    choose(dialog, QString(), {"chkType", "chkCritInternalName", "chkType", "chkExt"});
    ASSERT_FALSE(child(dialog, "chkCritInternalName")->isEnabled());
    findNext(dialog);
    EXPECT_EQ(boxTexts(), QStringList{kNothingFound});
}

// ---- closing and opening again

TEST_F(frmFindTest, CancelHidesAndEmptiesTheDialogButTheSearchGoesOnBehindTheLastMatch)
{
    choose(dialog, u"Folder"_s, {"chkType", "chkCritName", "chkShellExt", "chkCritInproc32"});
    findNext(dialog);
    child<QPushButton>(dialog, "btnCancel")->click();
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    EXPECT_TRUE(child<QLineEdit>(dialog, "txtFind")->text().isEmpty());
    for (const QCheckBox* box : dialog.findChildren<QCheckBox*>())
        EXPECT_EQ(box->checkState(), Qt::Unchecked) << box->objectName().toStdString();
    EXPECT_FALSE(child(dialog, "chkCritInproc32")->isEnabled());

    // A new dialog on the same finder goes on where the last one stopped.
    pressKey(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    frmFind reopened(control, finder);
    reopened.show();
    choose(reopened, u"Folder"_s, {"chkType", "chkCritName"});
    findNext(reopened);
    EXPECT_EQ(selectedKey(), FileTypeKey(u"Folder"_s));
}

TEST_F(frmFindTest, HelpPictureOpensTheFindPage)
{
    QLabel* picHelp = child<QLabel>(dialog, "picHelp");
    const QPointF middle = QRectF(picHelp->rect()).center();
    QMouseEvent release(QEvent::MouseButtonRelease, middle, picHelp->mapToGlobal(middle), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(picHelp, &release);
    // No help folder stands beside the test program.
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, u"Error - 2"_s);
    EXPECT_TRUE(ui.boxes()[0].text.contains(u"'other_find.html'"_s));
}

} // namespace
