#include "control/tools/frmMimeTypes.h"

#include "control/tools/MimeDatabase.h"

#include "tests/support/RegistryProbe.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kWindowDatabase = u"MIME\\Database\\Content Type"_s;

const QByteArray kWindowRegistry = R"(
[Software\\Classes\\MIME\\Database\\Content Type] 1
[Software\\Classes\\MIME\\Database\\Content Type\\text/plain] 1
"Extension"=".txt"
[Software\\Classes\\MIME\\Database\\Content Type\\image/gif] 1
"CLSID"="{25336920-03f9-11cf-8fd0-00aa00686f13}"
"Extension"=".gif"
"Image Filter CLSID"="{607fd4e8-0a03-11d1-ab1d-00c04fc9b304}"
[Software\\Classes\\MIME\\Database\\Content Type\\image/gif\\Bits] 1
"0"=hex:04,00,00,00,ff,ff,ff,ff,47,49,46,38
)";

class MimeTypesWindow : public ::testing::Test {
protected:
    MimeTypesWindow()
        : prefix(kWindowRegistry)
    {
        prefix.open();
        window = new frmMimeTypes;
        window->ShowMimeTypes();
    }
    ~MimeTypesWindow() override { delete window.data(); }

    template <typename T>
    T* child(const QString& name) const
    {
        T* found = window->findChild<T*>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    QTreeWidget* list() const { return child<QTreeWidget>(u"lstMimeTypes"_s); }
    QLineEdit* box(const QString& name) const { return child<QLineEdit>(name); }
    void press(const QString& name) const { child<QPushButton>(name)->click(); }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = list()->topLevelItem(i);
            texts << row->text(0) + u'|' + row->text(1) + u'|' + row->text(2) + u'|' + row->text(3);
        }
        return texts;
    }
    void select(const QString& type) const
    {
        const auto found = list()->findItems(type, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list()->setCurrentItem(found.first());
    }
    QByteArray systemReg() const { return prefix.readFile(u"system.reg"_s); }
    void fillIn(const QString& type, const QString& extension, const QString& clsid, const QString& imageClsid) const
    {
        box(u"txtType"_s)->setText(type);
        box(u"txtExtension"_s)->setText(extension);
        box(u"txtCLSID"_s)->setText(clsid);
        box(u"txtImgCLSID"_s)->setText(imageClsid);
    }

    TestPrefix prefix;
    ScriptedUi ui;
    QPointer<frmMimeTypes> window;
};

TEST_F(MimeTypesWindow, ShowsTheDatabaseWithItsTexts)
{
    EXPECT_EQ(window->windowTitle(), u"MIME Content Types"_s);
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    const QTreeWidgetItem* header = list()->headerItem();
    EXPECT_EQ((QStringList{header->text(0), header->text(1), header->text(2), header->text(3)}),
              (QStringList{u"MIME Content Type"_s, u"Extension"_s, u"CLSID"_s, u"Image Filter CLSID"_s}));
    EXPECT_EQ(rows(), (QStringList{u"image/gif|.gif|{25336920-03f9-11cf-8fd0-00aa00686f13}|"
                                   u"{607fd4e8-0a03-11d1-ab1d-00c04fc9b304}"_s,
                                   u"text/plain|.txt||"_s}));
    EXPECT_EQ(child<QGroupBox>(u"frameAdd"_s)->title(), u"Add MIME Content Type..."_s);

    const struct {
        const char* label;
        const char* box;
        const char* text;
    } fields[] = {{"lblType", "txtType", "Content Type:"},
                  {"lblExtension", "txtExtension", "Extension:"},
                  {"lblCLSID", "txtCLSID", "CLSID:"},
                  {"lblImgCLSID", "txtImgCLSID", "Image Viewer CLSID:"}};
    for (const auto& f : fields) {
        const QLabel* label = child<QLabel>(QString::fromLatin1(f.label));
        EXPECT_EQ(label->text(), QString::fromLatin1(f.text));
        EXPECT_EQ(label->buddy(), box(QString::fromLatin1(f.box)));
        EXPECT_FALSE(box(QString::fromLatin1(f.box))->accessibleName().isEmpty());
    }

    const struct {
        const char* name;
        const char* text;
        const char* tip;
    } buttons[] = {
        {"btnAdd", "Add...", "Add a new Content Type using the information entered."},
        {"btnRemove", "Remove...", "Remove the currently selected Content Type."},
        {"btnQuery", "Query...",
         "Open the 'Query CLSID' window using the CLSID of the currently selected Content Type."},
        {"btnClose", "Close", "Close this window."},
    };
    for (const auto& b : buttons) {
        const QPushButton* button = child<QPushButton>(QString::fromLatin1(b.name));
        EXPECT_EQ(button->text(), QString::fromLatin1(b.text));
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(b.tip));
    }

    const QMenu* menu = child<QMenu>(u"mnuPopup"_s);
    EXPECT_EQ(menu->title(), u"PopUp"_s);
    QStringList items;
    for (const QAction* action : menu->actions())
        items << (action->isSeparator() ? u"-"_s : action->objectName() + u'=' + action->text());
    EXPECT_EQ(items, (QStringList{u"mnuPopupAdd=Add..."_s, u"mnuPopupRemove=Remove..."_s, u"-"_s,
                                  u"mnuPopupRefresh=Refresh"_s, u"-"_s, u"mnuPopupQuery=Query CLSID..."_s}));
}

TEST_F(MimeTypesWindow, RemoveAndQueryNeedASelectedRow)
{
    const auto available = [&] {
        return QStringList{QString::number(child<QPushButton>(u"btnRemove"_s)->isEnabled()),
                           QString::number(child<QPushButton>(u"btnQuery"_s)->isEnabled()),
                           QString::number(child<QAction>(u"mnuPopupRemove"_s)->isEnabled()),
                           QString::number(child<QAction>(u"mnuPopupQuery"_s)->isEnabled())};
    };
    EXPECT_EQ(available(), (QStringList{u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
    select(u"text/plain"_s);
    EXPECT_EQ(available(), (QStringList{u"1"_s, u"1"_s, u"1"_s, u"1"_s}));
    list()->clearSelection();

    // A right press on empty space leaves no row to act on; on a row it selects that row.
    const QRect gifRow = list()->visualItemRect(list()->findItems(u"image/gif"_s, Qt::MatchExactly).value(0));
    emit list()->customContextMenuRequested(QPoint(5, list()->viewport()->height() - 2));
    EXPECT_EQ(available(), (QStringList{u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
    EXPECT_TRUE(child<QMenu>(u"mnuPopup"_s)->isVisible());
    child<QMenu>(u"mnuPopup"_s)->hide();
    emit list()->customContextMenuRequested(gifRow.center());
    EXPECT_EQ(list()->selectedItems().value(0)->text(0), u"image/gif"_s);
    EXPECT_EQ(available(), (QStringList{u"1"_s, u"1"_s, u"1"_s, u"1"_s}));
    child<QMenu>(u"mnuPopup"_s)->hide();

    // Refresh refills the list and keeps no selection.
    child<QAction>(u"mnuPopupRefresh"_s)->trigger();
    EXPECT_TRUE(list()->selectedItems().isEmpty());
    EXPECT_EQ(available(), (QStringList{u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
    EXPECT_EQ(window->windowTitle(), u"MIME Content Types"_s);

    // Without a selection nothing is asked and nothing removed.
    child<QAction>(u"mnuPopupRemove"_s)->trigger();
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(rows().size(), 2);
}

TEST_F(MimeTypesWindow, ImageFilterBoxFollowsTheTypeText)
{
    QLineEdit* imageBox = box(u"txtImgCLSID"_s);
    EXPECT_FALSE(imageBox->isEnabled());
    for (const auto& [text, enabled] :
         {std::pair{u"image/x"_s, true}, {u"text/plain"_s, false}, {u"image"_s, true}, {u"Image/png"_s, false}}) {
        box(u"txtType"_s)->setText(text);
        EXPECT_EQ(imageBox->isEnabled(), enabled) << text.toStdString();
    }
}

TEST_F(MimeTypesWindow, AddAsksWritesReportsAndShowsTheNewRow)
{
    const QByteArray before = systemReg();
    // No content type: refused before anything is asked.
    fillIn({}, u".vnk"_s, {}, {});
    press(u"btnAdd"_s);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text, u"Please fill in all the required information."_s);
    EXPECT_EQ(ui.boxes()[0].title, u"Kestrow2"_s);
    EXPECT_EQ(ui.boxes()[0].icon(), vbInformation);

    // No to the question: nothing changes.
    ui.clear();
    fillIn(u"image/x-varnook"_s, u".vnk"_s, u"{22222222-0000-0000-0000-000000000002}"_s,
           u"{607fd4e8-0a03-11d1-ab1d-00c04fc9b304}"_s);
    ui.answer(vbNo);
    press(u"btnAdd"_s);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text,
              u"Are you sure you want to add a new MIME Content Type with the specified information to the registry?"_s);
    EXPECT_EQ(ui.boxes()[0].buttons(), vbYesNo);
    EXPECT_EQ(ui.boxes()[0].icon(), vbQuestion);
    EXPECT_TRUE(systemReg() == before);

    // The type is no image type any more, though the disabled box still holds a filter: it is not written.
    ui.clear();
    box(u"txtType"_s)->setText(u"application/x-varnook"_s);
    ASSERT_FALSE(box(u"txtImgCLSID"_s)->isEnabled());
    ui.answer(vbYes);
    ui.answer(vbOK);
    press(u"btnAdd"_s);
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[1].text, u"Successfully added MIME Content Type to the registry."_s);
    EXPECT_EQ(ui.boxes()[1].title, u"Kestrow2"_s);
    EXPECT_EQ(rows().first(), u"application/x-varnook|.vnk|{22222222-0000-0000-0000-000000000002}|"_s);
    prefix.reopen();
    EXPECT_EQ(probe::text(kWindowDatabase + u"\\application/x-varnook"_s, u"Extension"_s), u".vnk"_s);
    EXPECT_FALSE(probe::text(kWindowDatabase + u"\\application/x-varnook"_s, u"Image Filter CLSID"_s).has_value());
}

TEST_F(MimeTypesWindow, RemoveAsksAndTakesTheSelectedTypeWithItsSubkeys)
{
    const QByteArray before = systemReg();
    select(u"image/gif"_s);
    ui.answer(vbNo);
    press(u"btnRemove"_s);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text, u"Are you sure you want to remove this MIME Content Type from the registry?"_s);
    EXPECT_TRUE(systemReg() == before);
    EXPECT_EQ(rows().size(), 2);

    ui.clear();
    ui.answer(vbYes);
    ui.answer(vbOK);
    press(u"btnRemove"_s);
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[1].text, u"Successfully removed MIME Content Type from the registry."_s);
    EXPECT_EQ(rows(), (QStringList{u"text/plain|.txt||"_s}));
    prefix.reopen();
    EXPECT_EQ(probe::subkeys(kWindowDatabase), (QStringList{u"text/plain"_s}));
}

TEST_F(MimeTypesWindow, FailuresShowTheRegistryCodeAndNoSuccess)
{
    // Another program removed the type after the list was read.
    select(u"image/gif"_s);
    ASSERT_EQ(MimeDatabase::regRemoveMimeType(u"image/gif"_s), 0);

    ui.answer(vbYes);
    ui.answer(vbOK);
    press(u"btnRemove"_s);
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[1].text, u"Error removing MIME Content Type from the registry."_s);
    EXPECT_EQ(ui.boxes()[1].title, u"Error - 2"_s);
    EXPECT_EQ(ui.boxes()[1].icon(), vbExclamation);

    ui.clear();
    fillIn(u"text\\plain"_s, u".x"_s, {}, {});
    ui.answer(vbYes);
    ui.answer(vbOK);
    press(u"btnAdd"_s);
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[1].text, u"Error adding MIME Content Type to the registry."_s);
    EXPECT_EQ(ui.boxes()[1].title, u"Error - 87"_s);
    EXPECT_EQ(probe::subkeys(kWindowDatabase), (QStringList{u"text/plain"_s}));
}

TEST_F(MimeTypesWindow, QueryHandsOnTheSelectedClsidAndCloseEndsTheWindow)
{
    QSignalSpy queried(window.data(), &frmMimeTypes::QueryClsid);
    select(u"image/gif"_s);
    child<QPushButton>(u"btnQuery"_s)->click();
    child<QAction>(u"mnuPopupQuery"_s)->trigger();
    ASSERT_EQ(queried.size(), 2);
    EXPECT_EQ(queried[0][0].toString(), u"{25336920-03f9-11cf-8fd0-00aa00686f13}"_s);
    EXPECT_EQ(queried[1][0].toString(), u"{25336920-03f9-11cf-8fd0-00aa00686f13}"_s);

    // Showing again raises the window without reading the list anew.
    list()->takeTopLevelItem(0);
    window->ShowMimeTypes();
    EXPECT_EQ(list()->topLevelItemCount(), 1);

    press(u"btnClose"_s);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

} // namespace
