#include "control/tools/frmApprovedMngr.h"

#include "control/tools/ApprovedList.h"

#include "platform/registry/PrefixStore.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestNames.h"
#include "tests/support/TestPrefix.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kManagerList = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved"_s;
const QString kFirst = u"{00000000-0000-0000-0000-00000000000A}"_s;
const QString kSecond = u"{00000000-0000-0000-0000-00000000000B}"_s;
const QString kNew = u"{00000000-0000-0000-0000-00000000000C}"_s;
const QString kQuestion = u"Are you sure you want to remove this shell extension?\r\n\r\n"
                          "Many Windows system components are implemented as shell extensions.\r\n"
                          "Removing such a shell extension can have unintended consequences."_s;

const QByteArray kManagerRegistry = R"(
[Software\\Classes\\CLSID\\{00000000-0000-0000-0000-00000000000A}\\InprocServer32] 1
@="C:\\windows\\system32\\first.dll"
[Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved] 1
@="default"
"{00000000-0000-0000-0000-00000000000A}"="First"
"{00000000-0000-0000-0000-00000000000B}"="Second"
)";

// The window on a two-entry list, shown and loaded, with scripted message boxes.
class ApprovedMngrWindowTest : public ::testing::Test {
protected:
    ApprovedMngrWindowTest()
        : prefix(kManagerRegistry)
    {
        prefix.open();
        window = new frmApprovedMngr;
        window->ShowApprovedManager();
        systemReg = prefix.readFile(u"system.reg"_s);
    }
    ~ApprovedMngrWindowTest() override { delete window.data(); }

    template <typename T>
    T* child(const char* name) const
    {
        T* widget = window->findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    QTreeWidget* list() const { return child<QTreeWidget>("lstExtensions"); }
    // Each row's three columns, joined by '|'.
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = list()->topLevelItem(i);
            texts << row->text(0) + u'|' + row->text(1) + u'|' + row->text(2);
        }
        return texts;
    }
    void select(int row) const { list()->setCurrentItem(list()->topLevelItem(row)); }
    void add(const QString& clsid, const QString& name) const
    {
        child<QLineEdit>("txtCLSID")->setText(clsid);
        child<QLineEdit>("txtName")->setText(name);
        child<QPushButton>("btnAdd")->click();
    }
    QStringList boxTexts() const
    {
        QStringList texts;
        for (const MessageBoxRequest& box : ui.boxes())
            texts << box.title + u": "_s + box.text;
        return texts;
    }

    TestPrefix prefix;
    ScriptedUi ui;
    QPointer<frmApprovedMngr> window;
    QByteArray systemReg;
};

const QStringList kStartRows = {u"First|{00000000-0000-0000-0000-00000000000A}|C:\\windows\\system32\\first.dll"_s,
                                u"Second|{00000000-0000-0000-0000-00000000000B}|"_s};

TEST_F(ApprovedMngrWindowTest, ShowsItsTextsAndTheList)
{
    EXPECT_EQ(window->windowTitle(), u"Approved Shell Extensions"_s);
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    const QTreeWidgetItem* header = list()->headerItem();
    EXPECT_EQ(QStringList({header->text(0), header->text(1), header->text(2)}),
              QStringList({u"Name"_s, u"CLSID"_s, u"Inprocess Server (32-bit)"_s}));
    EXPECT_FALSE(list()->rootIsDecorated());
    EXPECT_EQ(rows(), kStartRows);
    EXPECT_EQ(child<QGroupBox>("frameAdd")->title(), u"Add Shell Extension to Approved List..."_s);
    EXPECT_EQ(child<QLabel>("lblCLSID")->text(), u"CLSID:"_s);
    EXPECT_EQ(child<QLabel>("lblAdd")->text(), u"Name:"_s);

    struct Control {
        const char* name;
        QString text;
        QString toolTip;
    };
    const Control buttons[] = {
        {"btnAdd", u"Add..."_s, u"Add new Shell Extension to Approved List according to information entered."_s},
        {"btnRemove", u"Remove..."_s, u"Remove currently selected Shell Extension from Approved List."_s},
        {"btnQuery", u"Query..."_s,
         u"Open the 'Query CLSID' window using the CLSID of the currently selected Shell Extension."_s},
        {"btnClose", u"Close"_s, u"Close this window."_s},
    };
    for (const Control& button : buttons) {
        EXPECT_EQ(child<QPushButton>(button.name)->text(), button.text) << button.name;
        EXPECT_EQ(child<QPushButton>(button.name)->toolTip(), button.toolTip) << button.name;
    }
    const Control boxes[] = {{"txtCLSID", u"CLSID"_s, u"CLSID of the Shell Extension to add"_s},
                             {"txtName", u"Name"_s, u"Name of the Shell Extension to add"_s}};
    for (const Control& box : boxes) {
        EXPECT_EQ(child<QLineEdit>(box.name)->accessibleName(), box.text) << box.name;
        EXPECT_EQ(child<QLineEdit>(box.name)->toolTip(), box.toolTip) << box.name;
    }
    EXPECT_FALSE(list()->accessibleName().isEmpty());

    QStringList menu;
    for (const QAction* action : child<QMenu>("mnuPopup")->actions())
        menu << (action->isSeparator() ? u"-"_s : action->objectName() + u' ' + action->text());
    EXPECT_EQ(menu, QStringList({u"mnuPopupAdd Add..."_s, u"mnuPopupRemove Remove..."_s, u"-"_s,
                                 u"mnuPopupRefresh Refresh"_s, u"-"_s, u"mnuPopupQuery Query CLSID..."_s}));
    // Looking changed nothing.
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), systemReg);
}

TEST_F(ApprovedMngrWindowTest, RemoveAndQueryNeedASelectedRow)
{
    const char* const buttons[] = {"btnRemove", "btnQuery"};
    const char* const items[] = {"mnuPopupRemove", "mnuPopupQuery"};
    for (const char* name : buttons)
        EXPECT_FALSE(child<QPushButton>(name)->isEnabled()) << name;
    for (const char* name : items)
        EXPECT_FALSE(child<QAction>(name)->isEnabled()) << name;
    // Even when the command arrives, nothing is asked and the key's default value stays.
    child<QAction>("mnuPopupRemove")->setEnabled(true);
    child<QAction>("mnuPopupRemove")->trigger();
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(probe::text(kManagerList, QString(), HKEY_LOCAL_MACHINE), u"default"_s);

    select(1);
    for (const char* name : buttons)
        EXPECT_TRUE(child<QPushButton>(name)->isEnabled()) << name;
    for (const char* name : items)
        EXPECT_TRUE(child<QAction>(name)->isEnabled()) << name;
}

TEST_F(ApprovedMngrWindowTest, AddWithAnEmptyFieldOnlyAsksForIt)
{
    const std::pair<QString, QString> inputs[] = {{QString(), u"Name"_s}, {kNew, QString()}, {QString(), QString()}};
    for (const auto& [clsid, name] : inputs) {
        ui.clear();
        add(clsid, name);
        EXPECT_EQ(boxTexts(), QStringList(u"Kestrow2: Please fill in all the required information."_s));
    }
    EXPECT_EQ(rows(), kStartRows);
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), systemReg);
}

TEST_F(ApprovedMngrWindowTest, AddWritesTheEntryAndShowsIt)
{
    add(kNew, u"Varnook Test"_s);
    EXPECT_EQ(boxTexts(), QStringList(u"Kestrow2: Successfully added shell extension to the approved list."_s));
    EXPECT_EQ(rows(), kStartRows + QStringList(u"Varnook Test|{00000000-0000-0000-0000-00000000000C}|"_s));
    prefix.reopen();
    EXPECT_EQ(probe::text(kManagerList, kNew, HKEY_LOCAL_MACHINE), u"Varnook Test"_s);
}

TEST_F(ApprovedMngrWindowTest, AddOnAReadOnlyRegistryShowsTheRefusalOnly)
{
    PrefixStore store(prefix.path());
    store.setReadOnlyRequested(true);
    store.setServerProbe([](const QString&) { return WineServerProbe::Status{}; });
    QString error;
    ASSERT_TRUE(store.open(error)) << error.toStdString();
    Registry::setCurrent(&store.registry());
    add(kNew, u"Varnook Test"_s);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes().front().title, u"Error - 5"_s);
    EXPECT_EQ(ui.boxes().front().text, u"Error adding shell extension to the approved list."_s);
    EXPECT_EQ(ui.boxes().front().icon(), vbExclamation);
    EXPECT_EQ(rows(), kStartRows);
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), systemReg);
}

TEST_F(ApprovedMngrWindowTest, RemoveAsksFirstAndTakesOutOnlyTheSelectedEntry)
{
    select(0);
    ui.answer(vbNo);
    child<QPushButton>("btnRemove")->click();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes().front().title, u"Kestrow2"_s);
    EXPECT_EQ(ui.boxes().front().text, kQuestion);
    EXPECT_EQ(ui.boxes().front().buttons(), vbYesNo);
    EXPECT_EQ(ui.boxes().front().icon(), vbQuestion);
    EXPECT_EQ(rows(), kStartRows);
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), systemReg);

    ui.clear();
    ui.answer(vbYes);
    child<QPushButton>("btnRemove")->click();
    EXPECT_EQ(boxTexts(), QStringList({u"Kestrow2: "_s + kQuestion,
                                       u"Kestrow2: Successfully removed shell extension from the approved list."_s}));
    EXPECT_EQ(rows(), kStartRows.mid(1));
    prefix.reopen();
    EXPECT_FALSE(probe::text(kManagerList, kFirst, HKEY_LOCAL_MACHINE));
    EXPECT_EQ(probe::text(kManagerList, kSecond, HKEY_LOCAL_MACHINE), u"Second"_s);
    EXPECT_EQ(probe::text(kManagerList, QString(), HKEY_LOCAL_MACHINE), u"default"_s);
}

TEST_F(ApprovedMngrWindowTest, RemovingAnEntryGoneMeanwhileShowsTheCode)
{
    select(1);
    // Another command took it out after the list was read.
    ASSERT_EQ(ApprovedList::Remove(kSecond), 0);
    ui.answer(vbYes);
    child<QPushButton>("btnRemove")->click();
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes().back().title, u"Error - 2"_s);
    EXPECT_EQ(ui.boxes().back().text, u"Error removing shell extension from the approved list."_s);
    EXPECT_EQ(rows(), kStartRows);
}

TEST_F(ApprovedMngrWindowTest, QueryHandsOnTheSelectedClsid)
{
    QStringList queried;
    QObject::connect(window, &frmApprovedMngr::QueryClsid, [&](const QString& clsid) { queried << clsid; });
    select(1);
    child<QPushButton>("btnQuery")->click();
    child<QAction>("mnuPopupQuery")->trigger();
    EXPECT_EQ(queried, QStringList({kSecond, kSecond}));
}

TEST_F(ApprovedMngrWindowTest, TheContextMenuWorksOnTheRowUnderThePointer)
{
    QTreeWidget* lst = list();
    const QPoint onSecond = lst->visualItemRect(lst->topLevelItem(1)).center();
    emit lst->customContextMenuRequested(onSecond);
    auto* menu = child<QMenu>("mnuPopup");
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(lst->selectedItems().value(0), lst->topLevelItem(1));
    EXPECT_TRUE(child<QAction>("mnuPopupRemove")->isEnabled());
    menu->hide();
}

TEST_F(ApprovedMngrWindowTest, RefreshReadsTheListAgain)
{
    QStringList titles;
    QTimer::singleShot(0, window, [&] { titles << window->windowTitle(); });
    ASSERT_EQ(ApprovedList::Add(kNew, u"New"_s), 0);
    child<QAction>("mnuPopupRefresh")->trigger();
    EXPECT_EQ(titles, QStringList(u"Approved Shell Extensions - Refreshing..."_s));
    EXPECT_EQ(window->windowTitle(), u"Approved Shell Extensions"_s);
    EXPECT_EQ(rows().size(), 3);
}

// ---- commands that arrive while the list loads

// Runs `command` while the window loads its list, when the walk lets events through for the
// last time: both entries are read, the end is not found yet.
void duringLoad(frmApprovedMngr* window, const std::function<void()>& command)
{
    auto* timer = new QTimer(window);
    timer->setInterval(0);
    int pumps = 0;
    QObject::connect(timer, &QTimer::timeout, window, [&pumps, timer, command] {
        if (++pumps < 3)
            return;
        timer->stop();
        command();
    });
    timer->start();
    window->Load();
    EXPECT_EQ(pumps, 3);
    delete timer;
}

TEST_F(ApprovedMngrWindowTest, RefreshDuringALoadDoesNotDoubleTheRows)
{
    duringLoad(window, [&] {
        EXPECT_TRUE(window->isLoading());
        child<QAction>("mnuPopupRefresh")->trigger();
    });
    EXPECT_FALSE(window->isLoading());
    EXPECT_EQ(rows(), kStartRows);
}

TEST_F(ApprovedMngrWindowTest, AddDuringALoadShowsTheAddedEntry)
{
    // It comes first in the registry's order, before the entries the walk has read.
    duringLoad(window, [&] { add(u"{00000000-0000-0000-0000-000000000001}"_s, u"Varnook Test"_s); });
    EXPECT_EQ(rows(), QStringList(u"Varnook Test|{00000000-0000-0000-0000-000000000001}|"_s) + kStartRows);
}

TEST_F(ApprovedMngrWindowTest, CloseDuringALoadWaitsForItsEnd)
{
    bool closedDuringLoad = true;
    duringLoad(window, [&] {
        window->close();
        closedDuringLoad = !window->isVisible();
    });
    EXPECT_FALSE(closedDuringLoad);
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
}

} // namespace
