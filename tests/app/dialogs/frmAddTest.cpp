#include "app/dialogs/frmAdd.h"

#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/RegistryProbe.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class frmAddTest : public KestrowFixture {
protected:
    frmAddTest()
        : KestrowFixture(sampleSections())
    {
    }
    void SetUp() override { ASSERT_EQ(load(), 0); }

    template <typename T>
    T* child(const char* name) const
    {
        T* widget = form->findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    // The frame of the panel shown.
    QString shownPanel() const
    {
        for (const char* name : {"frameType", "frameExt", "frameAction", "frameShellEx"})
            if (child<QFrame>(name)->isVisibleTo(form.get()))
                return QLatin1String(name);
        return QString();
    }
    void click(const char* button) const { child<QPushButton>(button)->click(); }

    std::unique_ptr<frmAdd> form = std::make_unique<frmAdd>(control);
};

TEST_F(frmAddTest, AddItemAndTheChooserSelectThePanel)
{
    const struct {
        qint16 kind;
        int position;
        const char* panel;
    } kinds[] = {{ITEM_FILETYPE, 0, "frameType"},
                 {ITEM_FILEEXTENSION, 1, "frameExt"},
                 {ITEM_SHELLEXTENSION, 3, "frameShellEx"},
                 {ITEM_ACTION, 2, "frameAction"}};
    for (const auto& k : kinds) {
        EXPECT_TRUE(form->AddItem(k.kind));
        EXPECT_EQ(child<QComboBox>("cboItems")->currentIndex(), k.position);
        EXPECT_EQ(shownPanel(), QLatin1String(k.panel));
    }
    EXPECT_FALSE(form->AddItem(0));
    EXPECT_FALSE(form->AddItem(5));
    EXPECT_EQ(shownPanel(), u"frameAction"_s) << "other kinds change nothing";
    child<QComboBox>("cboItems")->setCurrentIndex(1);
    EXPECT_EQ(shownPanel(), u"frameExt"_s);

    // Tab runs from the chooser through the shown panel's fields to the buttons.
    QStringList order;
    for (QWidget* w = child<QComboBox>("cboItems"); order.isEmpty() || w != child<QComboBox>("cboItems");
         w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(form.get()))
            order << w->objectName();
    EXPECT_EQ(order.join(u' '),
              u"cboItems txtExt txtExtAssoc btnExtAssoc txtExtContentType txtExtInfoTip btnOK btnCancel picHelp"_s);
}

TEST_F(frmAddTest, OkAddsAndClosesButStaysOpenWithTheInputOnARefusal)
{
    QSignalSpy added(form.get(), &frmAdd::itemAdded);
    ASSERT_TRUE(form->AddItem(ITEM_FILETYPE));
    form->show();
    child<QLineEdit>("txtTypeName")->setText(u"Varnook File"_s);
    child<QLineEdit>("txtTypeExtension")->setText(u"vnk"_s);
    click("btnOK");
    EXPECT_EQ(ui.boxes().size(), 1u);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(child<QLineEdit>("txtTypeName")->text(), u"Varnook File"_s);

    child<QLineEdit>("txtTypeInternalName")->setText(u"vnkfile"_s);
    click("btnOK");
    EXPECT_EQ(form->result(), int(kResultAccepted));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(child<QLineEdit>("txtTypeExtension")->text(), u".vnk"_s);
    ASSERT_EQ(added.count(), 1);
    EXPECT_EQ(added[0][0].toString(), u"ft__.vnkfile"_s);
    EXPECT_EQ(probe::text(u".vnk"_s), u"vnkfile"_s);
}

TEST_F(frmAddTest, TheHostPresetsWhereActionsGo)
{
    form->setHost(u"ft__.docfile"_s);
    ASSERT_TRUE(form->AddItem(ITEM_ACTION));
    EXPECT_EQ(child<QLineEdit>("txtShellExAssoc")->text(), u"Doc File"_s);
    child<QComboBox>("cboActionName")->setCurrentText(u"Print"_s);
    child<QLineEdit>("txtActionCommand")->setText(u"writer.exe /p %1"_s);
    click("btnOK");
    EXPECT_EQ(form->result(), int(kResultAccepted));
    EXPECT_EQ(probe::text(u"docfile\\shell\\print\\command"_s), u"writer.exe /p %1"_s);

    frmAdd special(control);
    special.setHost(u"ft__.Folder"_s);
    EXPECT_TRUE(special.findChild<QLineEdit*>(u"txtExtAssoc"_s)->text().isEmpty()) << "no extension for a special type";
}

TEST_F(frmAddTest, EveryOtherEndIsACancel)
{
    const std::function<void(frmAdd&)> ends[] = {
        [](frmAdd& f) { f.findChild<QPushButton*>(u"btnCancel"_s)->click(); },
        [](frmAdd& f) { QTest::keyClick(&f, Qt::Key_Escape); },
        [](frmAdd& f) { f.close(); },
    };
    for (const auto& end : ends) {
        frmAdd window(control);
        window.show();
        end(window);
        EXPECT_EQ(window.result(), int(kResultCancelled));
    }
}

} // namespace
