#include "app/dialogs/frmEdit.h"

#include "app/dialogs/FieldRules.h"
#include "control/records/Definitions.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/RegistryProbe.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kOpen = u"ac__.open.txtfile"_s;

class frmEditTest : public KestrowFixture {
protected:
    frmEditTest()
        : KestrowFixture(sampleSections())
    {
    }
    void SetUp() override
    {
        ASSERT_EQ(load(), 0);
        QObject::connect(&window, &frmEdit::applied, [this](const std::shared_ptr<ItemObject>& item) { applied.push_back(item); });
    }

    template <typename T = QWidget>
    T* child(const char* name) const
    {
        T* found = window.findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    void click(const char* button) { child<QPushButton>(button)->click(); }
    void edit(const QString& key) { window.EditItem(control.GetItemFromKey(key)->ItemType(), control.GetItemFromKey(key)); }
    QString lastBoxText() const { return ui.boxes().empty() ? QString() : ui.boxes().back().text; }

    frmEdit window{control};
    std::vector<std::shared_ptr<ItemObject>> applied;
};

TEST_F(frmEditTest, ShowsThePanelAndCaptionOfEachKind)
{
    struct {
        QString key;
        const char* frame;
        const char* field;
        QString text;
        QString caption;
    } const cases[] = {
        {kTxt, "frameType", "txtTypeName", u"Text Document"_s, u"Edit File Type..."_s},
        {u"fe__..zzz"_s, "frameExt", "txtExtAssoc", u"<orphaned>"_s, u"Edit File Extension..."_s},
        {kOpen, "frameAction", "txtActionCommand", u"notepad.exe %1"_s, u"Edit Action..."_s},
        {kMenu1, "frameShellEx", "txtShellExName", u"Menu One"_s, u"Edit Shell Extension..."_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        edit(c.key);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.windowTitle(), c.caption);
        EXPECT_EQ(window.item(), control.GetItemFromKey(c.key));
        for (const char* frame : {"frameType", "frameExt", "frameAction", "frameShellEx"})
            EXPECT_EQ(child<QFrame>(frame)->isVisible(), qstrcmp(frame, c.frame) == 0) << frame;
        EXPECT_EQ(child<QLineEdit>(c.field)->text(), c.text);
    }
    window.Reset();
    EXPECT_EQ(window.item(), nullptr);
}

TEST_F(frmEditTest, ApplyStaysOpenOkClosesUnlessRefusedCancelWritesNothing)
{
    edit(kOpen);
    QTest::keyClick(child<QLineEdit>("txtActionCommand"), Qt::Key_Return);
    EXPECT_TRUE(applied.empty()) << "Enter in a text box presses no button";
    child<QLineEdit>("txtActionCommand")->setText(u"edit.exe %1"_s);
    click("btnApply");
    EXPECT_EQ(probe::text(u"txtfile\\shell\\open\\command"_s), u"edit.exe %1"_s);
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0], control.GetItemFromKey(kOpen));
    EXPECT_TRUE(window.isVisible());

    edit(kTxt);
    child<QLineEdit>("txtTypeFlags")->setText(u"lots"_s);
    child<QLineEdit>("txtTypeName")->setText(u"Plain Text"_s);
    click("btnOK");
    EXPECT_EQ(lastBoxText(), kInvalidFlagsMessage);
    EXPECT_TRUE(window.isVisible()) << "what was typed stays";
    EXPECT_EQ(child<QLineEdit>("txtTypeName")->text(), u"Plain Text"_s);
    EXPECT_EQ(probe::text(u"txtfile"_s), u"Text Document"_s);
    child<QLineEdit>("txtTypeFlags")->setText(u"0"_s);
    click("btnOK");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(applied.size(), 2u);
    EXPECT_EQ(window.item(), nullptr) << "a closed window holds no record";

    edit(kTxt);
    child<QLineEdit>("txtTypeName")->setText(u"Text"_s);
    click("btnCancel");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(item<FileTypeObject>(kTxt)->Name, u"Plain Text"_s);
    EXPECT_EQ(applied.size(), 2u);
}

TEST_F(frmEditTest, AMovedHandlerShowsWhereItWentAfterApply)
{
    edit(kMenu1);
    child<QComboBox>("lstShellExType")->setCurrentIndex(0); // Property Sheet Handler
    click("btnApply");
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(child<QLineEdit>("txtShellExInternalName")->text(), u"{11111111-0000-0000-0000-000000000001}"_s);
}

TEST_F(frmEditTest, ALockedRecordIsRefusedAndSwitchingReleasesTheLock)
{
    const auto open = control.GetItemFromKey(kOpen);
    open->Locked = true;
    edit(kOpen);
    EXPECT_TRUE(lastBoxText().contains(u"lock active"_s));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.item(), nullptr);

    open->Locked = false;
    edit(kOpen);
    open->Locked = true; // as another window would have it while this one shows it
    edit(kTxt);
    EXPECT_FALSE(open->Locked);
}

TEST_F(frmEditTest, LetsGoOfARecordTheModelLost)
{
    edit(kOpen);
    window.releaseIfGone();
    EXPECT_TRUE(window.isVisible()) << "still in the model";

    ASSERT_EQ(control.RemoveItem(ITEM_ACTION, control.GetItemFromKey(kOpen), true), 0);
    window.releaseIfGone();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.item(), nullptr);
    click("btnApply");
    EXPECT_FALSE(probe::keyExists(u"txtfile\\shell\\open"_s)) << "nothing written back";

    // A reload makes new records of the same keys.
    edit(kTxt);
    ASSERT_EQ(load(), 0);
    window.releaseIfGone();
    EXPECT_EQ(window.item(), nullptr);
}

TEST_F(frmEditTest, QueryAndHelpReachTheirTargets)
{
    edit(kMenu1);
    click("btnShellExCLSID");
    const auto* tool = control.findChild<QWidget*>(u"frmClsidTool"_s);
    ASSERT_TRUE(tool && tool->isVisible());

    QLabel* picHelp = child<QLabel>("picHelp");
    const QPointF middle = QRectF(picHelp->rect()).center();
    QMouseEvent release(QEvent::MouseButtonRelease, middle, picHelp->mapToGlobal(middle), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(picHelp, &release);
    // No help folder stands beside the test program: the page it looked for is named.
    EXPECT_TRUE(lastBoxText().contains(u"'editing.html'"_s)) << lastBoxText().toStdString();
}

} // namespace
