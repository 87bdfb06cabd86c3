#include "control/tools/frmApprovedMngr.h"
#include "tests/interop/InteropSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

const QString kWineList = u"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved"_s;
const QString kMshtml = u"{25336920-03F9-11CF-8FD0-00AA00686F13}"_s;

// The approved list window on a real Wine prefix; what it wrote is read back with Wine's own reg.
class ApprovedInterop : public WineRegistryTest {
protected:
    void SetUp() override
    {
        WineRegistryTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        open();
    }
    void TearDown() override { delete window.data(); }

    void open()
    {
        delete window.data();
        window = new frmApprovedMngr;
        window->ShowApprovedManager();
    }
    QTreeWidget* list() const { return window->findChild<QTreeWidget*>(u"lstExtensions"_s); }
    void add(const QString& clsid, const QString& name) const
    {
        window->findChild<QLineEdit*>(u"txtCLSID"_s)->setText(clsid);
        window->findChild<QLineEdit*>(u"txtName"_s)->setText(name);
        window->findChild<QPushButton*>(u"btnAdd"_s)->click();
    }
    // The rows of one CLSID: name and server.
    QStringList rowsOf(const QString& clsid) const
    {
        QStringList rows;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = list()->topLevelItem(i);
            if (row->text(1) == clsid)
                rows << row->text(0) + u'|' + row->text(2);
        }
        return rows;
    }
    QByteArray systemReg() const { return readFile(wine.filePath(u"system.reg"_s)); }

    QPointer<frmApprovedMngr> window;
};

TEST_F(ApprovedInterop, AddedEntriesAreWhatWineReads)
{
    // Opening, refreshing and a question answered No leave Wine's file as it was.
    const QByteArray before = systemReg();
    window->findChild<QAction*>(u"mnuPopupRefresh"_s)->trigger();
    EXPECT_EQ(systemReg(), before);

    add(kMshtml, u"Varnook Test"_s);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes().front().text, u"Successfully added shell extension to the approved list."_s);
    EXPECT_EQ(rowsOf(kMshtml), QStringList(u"Varnook Test|C:\\windows\\system32\\mshtml.dll"_s));

    add(kMshtml, u"Varnook Test Again"_s);
    EXPECT_EQ(rowsOf(kMshtml), QStringList(u"Varnook Test Again|C:\\windows\\system32\\mshtml.dll"_s));

    const QByteArray afterAdds = systemReg();
    list()->setCurrentItem(list()->findItems(kMshtml, Qt::MatchExactly, 1).value(0));
    ui.answer(vbNo);
    window->findChild<QPushButton*>(u"btnRemove"_s)->click();
    open();
    EXPECT_EQ(systemReg(), afterAdds);

    const QStringList values = wine.query(kWineList);
    EXPECT_EQ(values.filter(kMshtml, Qt::CaseInsensitive),
              QStringList(kMshtml + u"|REG_SZ|Varnook Test Again"_s));
}

TEST_F(ApprovedInterop, WhileWineRunsAddIsRefused)
{
    wine.startServer();
    store = std::make_unique<PrefixStore>(wine.path());
    QString error;
    ASSERT_TRUE(store->open(error)) << error.toStdString();
    ASSERT_TRUE(store->isReadOnly());
    Registry::setCurrent(&store->registry());
    open();
    add(kMshtml, u"Varnook Test"_s);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes().front().title, u"Error - 5"_s);
    EXPECT_EQ(ui.boxes().front().text, u"Error adding shell extension to the approved list."_s);
    EXPECT_TRUE(rowsOf(kMshtml).isEmpty());
    wine.stopServer();
    EXPECT_TRUE(wine.query(kWineList).filter(kMshtml, Qt::CaseInsensitive).isEmpty());
}

} // namespace
