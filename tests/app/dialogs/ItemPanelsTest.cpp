#include "app/dialogs/ItemPanels.h"

#include "app/dialogs/FieldRules.h"
#include "app/dialogs/frmEditFlags.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "tests/support/KestrowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

class ItemPanelsTest : public KestrowFixture {
protected:
    ItemPanelsTest()
        : KestrowFixture(sampleSections())
    {
    }
    void SetUp() override { ASSERT_EQ(load(), 0); }

    // Plays the file type chooser: picks the row named `name` and presses OK.
    void chooseType(const QString& name)
    {
        ui.onModal = [name](QDialog& dialog) {
            auto* list = dialog.findChild<QTreeWidget*>(u"lstTypes"_s);
            list->setCurrentItem(list->findItems(name, Qt::MatchExactly).value(0));
            dialog.findChild<QPushButton*>(u"btnOK"_s)->click();
            return dialog.result();
        };
    }

    HandlerTables tables = HandlerTables::Load();
};

TEST_F(ItemPanelsTest, EachModeShowsItsOwnFieldsNamedByTheirLabels)
{
    ItemPanels edit(ItemPanels::Mode::Edit, control.core(), tables);
    ItemPanels add(ItemPanels::Mode::Add, control.core(), tables);

    // What the edit window only shows, the add window lets the user type, and the other way round.
    for (QLineEdit* box : {edit.txtTypeInternalName, edit.txtExt, edit.txtExtAssoc, edit.txtShellExCLSID,
                           edit.txtShellExInternalName, add.txtExtAssoc, add.txtActionAssoc, add.txtShellExAssoc})
        EXPECT_TRUE(box->isReadOnly()) << box->objectName().toStdString();
    for (QLineEdit* box : {add.txtTypeInternalName, add.txtTypeExtension, add.txtExt, add.txtShellExCLSID})
        EXPECT_FALSE(box->isReadOnly()) << box->objectName().toStdString();
    EXPECT_EQ(edit.btnShellExCLSID->text(), u"Query..."_s);
    EXPECT_EQ(add.btnShellExCLSID->text(), u"Generate"_s);
    EXPECT_EQ(edit.cboActionName, nullptr);
    EXPECT_EQ(add.txtActionName, nullptr);

    EXPECT_EQ(add.txtActionDDEAppNoRun->accessibleName(), u"Application (Not Running)"_s);
    EXPECT_EQ(add.lstShellExType->accessibleName(), u"Extension Type"_s);
    for (ItemPanels* panels : {&edit, &add}) {
        // A check box is named by its own caption; the other fields by the label beside them.
        for (QWidget* field : panels->findChildren<QWidget*>()) {
            const auto* box = qobject_cast<QCheckBox*>(field);
            if ((qobject_cast<QLineEdit*>(field) || qobject_cast<QComboBox*>(field) || box) && !field->objectName().isEmpty()) {
                EXPECT_FALSE(field->accessibleName().isEmpty() && (!box || box->text().isEmpty()))
                    << field->objectName().toStdString();
            }
        }
        // Enter in a text box must not press a button of the panels.
        for (QPushButton* button : panels->findChildren<QPushButton*>())
            EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
    }
}

TEST_F(ItemPanelsTest, HandlerGroupsAreChosenByTheirNumberNotTheirPlace)
{
    TestSettings gaps(false);
    gaps.set(u"shellex"_s, u"7_Name"_s, u"Icon Handlers"_s);
    gaps.set(u"shellex"_s, u"7_Key"_s, u"IconHandler"_s);
    gaps.set(u"shellex"_s, u"7_Group"_s, u"False"_s);
    gaps.set(u"shellex"_s, u"2_Name"_s, u"Property Sheet Handlers"_s);
    gaps.set(u"shellex"_s, u"2_Key"_s, u"PropertySheetHandlers"_s);
    gaps.set(u"shellex"_s, u"2_Group"_s, u"True"_s);
    gaps.set(u"shellex_threadmodels"_s, u"Apartment"_s, u"Apartment"_s);
    const HandlerTables custom = HandlerTables::Load();
    ItemPanels panels(ItemPanels::Mode::Edit, control.core(), custom);

    ShellExtensionFields fields;
    fields.group = 7;
    fields.threadModel = 0;
    panels.setShellExtension(fields);
    EXPECT_EQ(panels.lstShellExType->currentText(), u"Icon Handler"_s);
    EXPECT_EQ(panels.shellExtension().group, 7);

    fields.group = 5; // no such group: nothing chosen, and nothing chosen is what comes back
    fields.threadModel = -1;
    fields.groupEditable = false;
    panels.setShellExtension(fields);
    EXPECT_EQ(panels.shellExtension().group, -1);
    EXPECT_EQ(panels.shellExtension().threadModel, -1);
    EXPECT_FALSE(panels.lstShellExType->isEnabled());
}

TEST_F(ItemPanelsTest, ChangingTheTypeOfALastExtensionAsksAtOnce)
{
    ItemPanels panels(ItemPanels::Mode::Edit, control.core(), tables);
    panels.showKind(ITEM_FILEEXTENSION);
    FileExtensionFields doc{u".doc"_s, u"ft__.docfile"_s, u"Doc File"_s, {}, {}};
    panels.setFileExtension(doc);

    chooseType(u"Text Document"_s);
    ui.answer(vbNo);
    panels.btnExtAssoc->click();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_TRUE(ui.boxes()[0].text.startsWith(u"Are you sure you want to associate this file extension"_s));
    EXPECT_EQ(panels.fileExtension().typeKey, u"ft__.docfile"_s) << "No keeps the type";

    ui.answer(vbYes);
    panels.btnExtAssoc->click();
    EXPECT_EQ(panels.fileExtension().typeKey, u"ft__.txtfile"_s);
    EXPECT_EQ(panels.txtExtAssoc->text(), u"Text Document"_s);

    // .log is not txtfile's last extension: nothing to ask.
    ui.clear();
    panels.setFileExtension({u".log"_s, u"ft__.txtfile"_s, u"Text Document"_s, {}, {}});
    chooseType(u"Doc File"_s);
    panels.btnExtAssoc->click();
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(panels.fileExtension().typeKey, u"ft__.docfile"_s);
}

TEST_F(ItemPanelsTest, FlagsTheBoxCannotHoldAreRefusedBeforeTheFlagsWindow)
{
    ItemPanels panels(ItemPanels::Mode::Add, control.core(), tables);
    panels.showKind(ITEM_FILETYPE);
    int windows = 0;
    ui.onModal = [&windows](QDialog& dialog) {
        ++windows;
        auto* flags = qobject_cast<frmEditFlags*>(&dialog);
        EXPECT_NE(flags, nullptr);
        EXPECT_EQ(flags ? flags->ReturnSelectedFlags() : 0u, 0x4004u);
        dialog.done(int(kResultAccepted));
        return dialog.result();
    };
    panels.txtTypeFlags->setText(u"4 0"_s);
    panels.btnTypeFlags->click();
    EXPECT_EQ(windows, 0);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text, kInvalidFlagsMessage);
    EXPECT_EQ(panels.txtTypeFlags->text(), u"4 0"_s);

    panels.txtTypeFlags->setText(u" 16388 "_s);
    panels.btnTypeFlags->click();
    EXPECT_EQ(windows, 1);
    EXPECT_EQ(panels.txtTypeFlags->text(), u"16388"_s);
}

} // namespace
