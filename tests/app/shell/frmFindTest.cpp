#include "app/shell/frmFind.h"
#include "control/records/Definitions.h"
#include "control/tree/Kestrow.h"
#include "tests/control/tree/NewRecords.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kNothingFound = u"Nothing found.\r\n\r\nTo continue searching from the top click 'Find Next'."_s;

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
        control.resize(300, 400);
        control.show();
        QObject::connect(&dialog, &frmFind::itemFound, [this](KestrowNode* node) { found << node->key(); });
        dialog.show();
    }

    template <typename T>
    T* child(const char* name, const frmFind& window) const
    {
        T* widget = window.findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    QCheckBox* box(const char* name, const frmFind& window) const { return child<QCheckBox>(name, window); }
    QCheckBox* box(const char* name) const { return box(name, dialog); }
    void tick(std::initializer_list<const char*> names, const frmFind& window)
    {
        for (const char* name : names)
            box(name, window)->click();
    }
    void tick(std::initializer_list<const char*> names) { tick(names, dialog); }
    void search(const QString& text, const frmFind& window) { child<QLineEdit>("txtFind", window)->setText(text); }
    void findNext(const frmFind& window) { child<QPushButton>("btnFind", window)->click(); }
    void findNext() { findNext(dialog); }
    // A key pressed and released on a widget, as the keyboard would.
    static void pressKey(QWidget* widget, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(widget, &release);
    }
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

TEST_F(frmFindTest, StartsEmptyWithItsCaptionsAndOnlyTheItemBoxesEnabled)
{
    EXPECT_EQ(dialog.windowTitle(), u"Find..."_s);
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    EXPECT_FALSE(dialog.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_TRUE(child<QLineEdit>("txtFind", dialog)->text().isEmpty());
    const std::pair<const char*, QString> boxes[] = {
        {"chkType", u"File Types"_s},         {"chkExt", u"File Extensions"_s},
        {"chkAction", u"Actions"_s},          {"chkShellExt", u"Shell Extensions"_s},
        {"chkCritName", u"Name"_s},           {"chkCritInternalName", u"Internal Name"_s},
        {"chkCritExt", u"Extension"_s},       {"chkCritCLSID", u"CLSID"_s},
        {"chkCritCommand", u"Command"_s},     {"chkCritInproc32", u"Inproc32 Server"_s}};
    for (const auto& [name, caption] : boxes) {
        EXPECT_EQ(box(name)->text(), caption) << name;
        EXPECT_EQ(box(name)->checkState(), Qt::Unchecked) << name;
        EXPECT_EQ(box(name)->isEnabled(), QByteArray(name).startsWith("chkCrit") ? false : true) << name;
        EXPECT_FALSE(box(name)->accessibleName().isEmpty()) << name;
    }
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    for (const QString& text : {u"Find What:"_s, u"Items:"_s, u"Criteria:"_s,
                                u"Note that this does not search in alphabetical order, but in the order in which the "
                                "items were loaded from the registry."_s})
        EXPECT_TRUE(labels.contains(text)) << text.toStdString();
    EXPECT_FALSE(child<QLineEdit>("txtFind", dialog)->accessibleName().isEmpty());
    EXPECT_EQ(child<QPushButton>("btnFind", dialog)->text(), u"Find Next"_s);
    EXPECT_TRUE(child<QPushButton>("btnFind", dialog)->isDefault());
    EXPECT_EQ(child<QPushButton>("btnCancel", dialog)->text(), u"Cancel"_s);
    EXPECT_EQ(child<QLabel>("picHelp", dialog)->toolTip(), u"Click here for help!"_s);
}

TEST_F(frmFindTest, BoxesStandInTwoColumnsAndTabFollowsTheScreen)
{
    auto at = [this](const char* name) { return box(name)->geometry(); };
    for (auto [left, right] : {std::pair{"chkType", "chkExt"}, {"chkAction", "chkShellExt"},
                               {"chkCritName", "chkCritInternalName"}, {"chkCritExt", "chkCritCLSID"},
                               {"chkCritCommand", "chkCritInproc32"}}) {
        EXPECT_EQ(at(left).top(), at(right).top()) << left;
        EXPECT_LT(at(left).right(), at(right).left()) << left;
    }
    EXPECT_LT(at("chkType").bottom(), at("chkAction").top());
    EXPECT_LT(at("chkShellExt").bottom(), at("chkCritName").top());

    QStringList order;
    QWidget* widget = child<QLineEdit>("txtFind", dialog);
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != child<QLineEdit>("txtFind", dialog));
    EXPECT_EQ(order, (QStringList{u"txtFind"_s, u"chkType"_s, u"chkExt"_s, u"chkAction"_s, u"chkShellExt"_s,
                                  u"chkCritName"_s, u"chkCritInternalName"_s, u"chkCritExt"_s, u"chkCritCLSID"_s,
                                  u"chkCritCommand"_s, u"chkCritInproc32"_s, u"btnFind"_s, u"btnCancel"_s,
                                  u"picHelp"_s}));
}

// ---- which criteria are offered

TEST_F(frmFindTest, CriteriaFollowTheTickedItemsAndKeepTheirTicks)
{
    auto enabled = [this] {
        QStringList names;
        for (const char* name : {"chkCritName", "chkCritInternalName", "chkCritExt", "chkCritCLSID", "chkCritCommand",
                                 "chkCritInproc32"})
            if (box(name)->isEnabled())
                names << QLatin1String(name).mid(7);
        return names.join(u' ');
    };
    tick({"chkType"});
    EXPECT_EQ(enabled(), u"Name InternalName CLSID"_s);
    tick({"chkCritInternalName", "chkCritCLSID", "chkShellExt"});
    EXPECT_EQ(enabled(), u"Name InternalName CLSID Inproc32"_s);
    tick({"chkType"}); // unticked: the shell extensions still have both
    EXPECT_EQ(enabled(), u"Name InternalName CLSID Inproc32"_s);
    tick({"chkShellExt", "chkExt"});
    EXPECT_EQ(enabled(), u"Ext"_s);
    EXPECT_EQ(box("chkCritInternalName")->checkState(), Qt::Checked);
    EXPECT_EQ(box("chkCritCLSID")->checkState(), Qt::Checked);
    tick({"chkAction"});
    EXPECT_EQ(enabled(), u"Name Ext Command"_s);
}

// ---- Find Next

TEST_F(frmFindTest, MissingChoicesAreToldAndNothingIsSelected)
{
    findNext();
    tick({"chkType"});
    findNext();
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
    search(u"Folder"_s, dialog);
    tick({"chkType", "chkCritName"});
    findNext();
    EXPECT_EQ(selectedKey(), FileTypeKey(u"zipfolder"_s));
    EXPECT_EQ(control.window()->focusWidget(), control.tvwData());
    findNext();
    EXPECT_EQ(selectedKey(), FileTypeKey(u"Folder"_s));
    EXPECT_TRUE(ui.boxes().empty());
    findNext();
    EXPECT_EQ(boxTexts(), QStringList{kNothingFound});
    EXPECT_EQ(selectedKey(), FileTypeKey(u"Folder"_s));
    findNext();
    EXPECT_EQ(found, (QStringList{FileTypeKey(u"zipfolder"_s), FileTypeKey(u"Folder"_s), FileTypeKey(u"zipfolder"_s)}));
}

TEST_F(frmFindTest, ATickOnADisabledCriterionStillCounts)
{
    tick({"chkType", "chkCritInternalName", "chkType", "chkExt"});
    ASSERT_FALSE(box("chkCritInternalName")->isEnabled());
    findNext();
    EXPECT_EQ(boxTexts(), QStringList{kNothingFound});
}

TEST_F(frmFindTest, EnterFindsAndEscapeCloses)
{
    tick({"chkExt", "chkCritExt"});
    pressKey(child<QLineEdit>("txtFind", dialog), Qt::Key_Return);
    EXPECT_EQ(found, QStringList{FileExtensionKey(u".zip"_s)});
    pressKey(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

// ---- closing and opening again

TEST_F(frmFindTest, CancelHidesAndEmptiesTheDialogButTheSearchGoesOnBehindTheLastMatch)
{
    search(u"Folder"_s, dialog);
    tick({"chkType", "chkCritName", "chkShellExt", "chkCritInproc32"});
    findNext();
    ASSERT_EQ(selectedKey(), FileTypeKey(u"zipfolder"_s));
    child<QPushButton>("btnCancel", dialog)->click();
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    EXPECT_TRUE(child<QLineEdit>("txtFind", dialog)->text().isEmpty());
    for (QCheckBox* checkBox : dialog.findChildren<QCheckBox*>())
        EXPECT_EQ(checkBox->checkState(), Qt::Unchecked) << checkBox->objectName().toStdString();
    EXPECT_FALSE(box("chkCritInproc32")->isEnabled());

    // The main window makes a new dialog each time; the finder it keeps remembers the place.
    dialog.close();
    frmFind reopened(control, finder);
    reopened.show();
    search(u"Folder"_s, reopened);
    tick({"chkType", "chkCritName"}, reopened);
    findNext(reopened);
    EXPECT_EQ(selectedKey(), FileTypeKey(u"Folder"_s));
}

TEST_F(frmFindTest, HelpPictureOpensTheFindPage)
{
    QLabel* picHelp = child<QLabel>("picHelp", dialog);
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
