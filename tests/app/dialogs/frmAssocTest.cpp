#include "app/dialogs/frmAssoc.h"

#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "tests/support/KestrowFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

class AssocChooser : public KestrowFixture {
protected:
    AssocChooser()
        : KestrowFixture(sampleSections())
    {
    }
    void SetUp() override { ASSERT_EQ(load(), 0); }

    static QTreeWidget* list(frmAssoc& chooser) { return chooser.findChild<QTreeWidget*>(u"lstTypes"_s); }
    static QString prompt(frmAssoc& chooser) { return chooser.findChild<QLabel*>(u"lblMesg"_s)->text(); }
};

TEST_F(AssocChooser, ListsTheOrdinaryTypesAndPromptsByKind)
{
    frmAssoc chooser(control.core());
    EXPECT_EQ(chooser.windowTitle(), u"Select File Type..."_s);
    QStringList rows;
    for (int i = 0; i < list(chooser)->topLevelItemCount(); ++i)
        rows << list(chooser)->topLevelItem(i)->text(0) + u'/' + list(chooser)->topLevelItem(i)->text(1);
    EXPECT_EQ(rows, (QStringList{u"Doc File/docfile"_s, u"Text Document/txtfile"_s})) << "Folder is special";

    EXPECT_EQ(prompt(chooser), u"Select the file type you want to associate this file extension with:"_s);
    chooser.SetMessage(ITEM_ACTION);
    EXPECT_EQ(prompt(chooser), u"Select the file type you want to add this action to:"_s);
    chooser.SetMessage(9);
    EXPECT_EQ(prompt(chooser), u"Select the file type you want to add this action to:"_s) << "unknown kinds keep it";
    chooser.SetMessage(ITEM_SHELLEXTENSION);
    EXPECT_EQ(prompt(chooser), u"Select the file type you want to add this shell extension to:"_s);
}

TEST_F(AssocChooser, AcceptsOnlyAChosenTypeAndEveryOtherEndIsACancel)
{
    const auto press = [](const char* button) {
        return [button](frmAssoc& c) { c.findChild<QPushButton*>(QLatin1String(button))->click(); };
    };
    struct {
        const char* label;
        bool choose;
        std::function<void(frmAssoc&)> end;
        int result;
    } const cases[] = {
        {"OK without a choice", false, press("btnOK"), 0},
        {"OK", true, press("btnOK"), int(kResultAccepted)},
        {"Enter", true, [](frmAssoc& c) { QTest::keyClick(list(c), Qt::Key_Return); }, int(kResultAccepted)},
        {"Cancel", true, press("btnCancel"), int(kResultCancelled)},
        {"Escape", true, [](frmAssoc& c) { QTest::keyClick(&c, Qt::Key_Escape); }, int(kResultCancelled)},
        {"close box", true, [](frmAssoc& c) { c.close(); }, int(kResultCancelled)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        frmAssoc chooser(control.core());
        chooser.show();
        if (c.choose)
            list(chooser)->setCurrentItem(list(chooser)->topLevelItem(1));
        c.end(chooser);
        EXPECT_EQ(chooser.result(), c.result);
        EXPECT_EQ(chooser.GetSelectedTypeKey(), c.choose ? u"ft__.txtfile"_s : QString());
    }
}

TEST_F(AssocChooser, AsksFirstWhenTold)
{
    frmAssoc chooser(control.core());
    chooser.SetMessage(ITEM_ACTION);
    chooser.ShowConfirmation(true);
    list(chooser)->setCurrentItem(list(chooser)->topLevelItem(0));
    ui.answer(vbNo);
    chooser.findChild<QPushButton*>(u"btnOK"_s)->click();
    EXPECT_EQ(chooser.result(), int(kResultCancelled));
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text,
              u"Are you sure you want to do this?\r\n\r\nAny existing action with the same internal name will be overwritten."_s);
}

} // namespace
