#include "control/tools/frmApprovedMngr.h"

#include "common/MessageBoxes.h"
#include "control/tools/ApprovedList.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Approved Shell Extensions");

// The row's CLSID: the key of the entry it shows.
constexpr int kKeyRole = Qt::UserRole;

enum Column { NameColumn, ClsidColumn, ServerColumn };

} // namespace

frmApprovedMngr::frmApprovedMngr(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmApprovedMngr"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);

    // Widgets are made in on-screen order, which is the order Tab visits them.
    lstExtensions = new QTreeWidget(this);
    lstExtensions->setObjectName(QStringLiteral("lstExtensions"));
    lstExtensions->setAccessibleName(kCaption);
    lstExtensions->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("CLSID"), QStringLiteral("Inprocess Server (32-bit)")});
    lstExtensions->setRootIsDecorated(false);
    lstExtensions->setUniformRowHeights(true);
    lstExtensions->setAllColumnsShowFocus(true);
    lstExtensions->setSelectionMode(QAbstractItemView::SingleSelection);
    lstExtensions->setContextMenuPolicy(Qt::CustomContextMenu);
    // Wide enough for a name and a whole CLSID; the server takes the rest.
    lstExtensions->setColumnWidth(NameColumn, fontMetrics().horizontalAdvance(QLatin1Char('x')) * 28);
    lstExtensions->setColumnWidth(ClsidColumn,
                                  fontMetrics().horizontalAdvance(QStringLiteral("{00000000-0000-0000-0000-000000000000}")) +
                                      fontMetrics().averageCharWidth() * 3);

    btnRemove = new QPushButton(QStringLiteral("Remove..."), this);
    btnRemove->setObjectName(QStringLiteral("btnRemove"));
    btnRemove->setToolTip(QStringLiteral("Remove currently selected Shell Extension from Approved List."));
    btnQuery = new QPushButton(QStringLiteral("Query..."), this);
    btnQuery->setObjectName(QStringLiteral("btnQuery"));
    btnQuery->setToolTip(
        QStringLiteral("Open the 'Query CLSID' window using the CLSID of the currently selected Shell Extension."));

    frameAdd = makeAddFrame();

    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setToolTip(QStringLiteral("Close this window."));

    mnuPopup = new QMenu(QStringLiteral("PopUp"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuPopupAdd = addMenuItem("mnuPopupAdd", QStringLiteral("Add..."));
    mnuPopupRemove = addMenuItem("mnuPopupRemove", QStringLiteral("Remove..."));
    mnuPopup->addSeparator();
    mnuPopupRefresh = addMenuItem("mnuPopupRefresh", QStringLiteral("Refresh"));
    mnuPopup->addSeparator();
    mnuPopupQuery = addMenuItem("mnuPopupQuery", QStringLiteral("Query CLSID..."));

    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(btnRemove);
    listButtons->addWidget(btnQuery);
    listButtons->addStretch(1);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeRow->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstExtensions, 1);
    layout->addLayout(listButtons);
    layout->addWidget(frameAdd);
    layout->addLayout(closeRow);

    connect(lstExtensions, &QTreeWidget::itemSelectionChanged, this, &frmApprovedMngr::updateActions);
    connect(lstExtensions, &QWidget::customContextMenuRequested, this, &frmApprovedMngr::lstExtensions_ContextMenu);
    connect(btnRemove, &QPushButton::clicked, this, &frmApprovedMngr::btnRemove_Click);
    connect(btnQuery, &QPushButton::clicked, this, &frmApprovedMngr::btnQuery_Click);
    connect(btnAdd, &QPushButton::clicked, this, &frmApprovedMngr::btnAdd_Click);
    connect(txtCLSID, &QLineEdit::returnPressed, this, &frmApprovedMngr::btnAdd_Click);
    connect(txtName, &QLineEdit::returnPressed, this, &frmApprovedMngr::btnAdd_Click);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(mnuPopupAdd, &QAction::triggered, this, &frmApprovedMngr::btnAdd_Click);
    connect(mnuPopupRemove, &QAction::triggered, this, &frmApprovedMngr::btnRemove_Click);
    connect(mnuPopupRefresh, &QAction::triggered, this, &frmApprovedMngr::mnuPopupRefresh_Click);
    connect(mnuPopupQuery, &QAction::triggered, this, &frmApprovedMngr::btnQuery_Click);

    resize(760, 460);
    updateActions();
}

QGroupBox* frmApprovedMngr::makeAddFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Add Shell Extension to Approved List..."), this);
    frame->setObjectName(QStringLiteral("frameAdd"));
    lblCLSID = new QLabel(QStringLiteral("CLSID:"), frame);
    lblCLSID->setObjectName(QStringLiteral("lblCLSID"));
    txtCLSID = new QLineEdit(frame);
    txtCLSID->setObjectName(QStringLiteral("txtCLSID"));
    txtCLSID->setToolTip(QStringLiteral("CLSID of the Shell Extension to add"));
    txtCLSID->setAccessibleName(QStringLiteral("CLSID"));
    lblCLSID->setBuddy(txtCLSID);
    lblAdd = new QLabel(QStringLiteral("Name:"), frame);
    lblAdd->setObjectName(QStringLiteral("lblAdd"));
    txtName = new QLineEdit(frame);
    txtName->setObjectName(QStringLiteral("txtName"));
    txtName->setToolTip(QStringLiteral("Name of the Shell Extension to add"));
    txtName->setAccessibleName(QStringLiteral("Name"));
    lblAdd->setBuddy(txtName);
    btnAdd = new QPushButton(QStringLiteral("Add..."), frame);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnAdd->setToolTip(QStringLiteral("Add new Shell Extension to Approved List according to information entered."));

    auto* grid = new QGridLayout(frame);
    grid->addWidget(lblCLSID, 0, 0);
    grid->addWidget(txtCLSID, 0, 1);
    grid->addWidget(lblAdd, 1, 0);
    grid->addWidget(txtName, 1, 1);
    grid->addWidget(btnAdd, 1, 2);
    grid->setColumnStretch(1, 1);
    return frame;
}

QAction* frmApprovedMngr::addMenuItem(const char* name, const QString& text)
{
    QAction* action = mnuPopup->addAction(text);
    action->setObjectName(QLatin1String(name));
    return action;
}

void frmApprovedMngr::ShowApprovedManager()
{
    show();
    raise();
    activateWindow();
    Load();
}

void frmApprovedMngr::Load()
{
    if (m_loading) {
        m_loadAgain = true;
        return;
    }
    m_loading = true;
    // The walk lets events through; user input waits, so no command reaches a half-built list.
    // The window may still go away meanwhile (its owner closing): then nothing of it is touched.
    const QPointer<frmApprovedMngr> alive(this);
    do {
        m_loadAgain = false;
        lstExtensions->clear();
        const std::vector<ApprovedEntry> entries = ApprovedList::regEnumApproved(
            [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
        if (!alive)
            return;
        QList<QTreeWidgetItem*> rows;
        rows.reserve(static_cast<qsizetype>(entries.size()));
        for (const ApprovedEntry& entry : entries) {
            auto* row = new QTreeWidgetItem({entry.Name, entry.CLSID, entry.InprocServer32});
            row->setData(NameColumn, kKeyRole, entry.CLSID);
            rows.append(row);
        }
        lstExtensions->addTopLevelItems(rows);
    } while (m_loadAgain);
    m_loading = false;
    updateActions();
    if (m_closeAfterLoad)
        close();
}

void frmApprovedMngr::closeEvent(QCloseEvent* event)
{
    // Closing in the middle of a load would delete the window under the walk: close when it ends.
    if (m_loading) {
        m_closeAfterLoad = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

QString frmApprovedMngr::selectedClsid() const
{
    const QList<QTreeWidgetItem*> selected = lstExtensions->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(NameColumn, kKeyRole).toString();
}

void frmApprovedMngr::updateActions()
{
    const bool selected = !m_loading && !selectedClsid().isEmpty();
    btnRemove->setEnabled(selected);
    mnuPopupRemove->setEnabled(selected);
    btnQuery->setEnabled(selected);
    mnuPopupQuery->setEnabled(selected);
}

void frmApprovedMngr::btnAdd_Click()
{
    const QString clsid = txtCLSID->text();
    const QString name = txtName->text();
    if (clsid.isEmpty() || name.isEmpty()) {
        ShowInfo(QStringLiteral("Please fill in all the required information."));
        return;
    }
    if (const long rc = ApprovedList::Add(clsid, name); rc != 0) {
        ShowError(QStringLiteral("Error adding shell extension to the approved list."), rc);
        return;
    }
    Load();
    ShowInfo(QStringLiteral("Successfully added shell extension to the approved list."));
}

void frmApprovedMngr::btnRemove_Click()
{
    const QString clsid = selectedClsid();
    if (clsid.isEmpty() || m_loading)
        return;
    const QString question = QStringLiteral("Are you sure you want to remove this shell extension?\r\n\r\n"
                                            "Many Windows system components are implemented as shell extensions.\r\n"
                                            "Removing such a shell extension can have unintended consequences.");
    if (AskQuestion(question, vbYesNo) != vbYes)
        return;
    if (const long rc = ApprovedList::Remove(clsid); rc != 0) {
        ShowError(QStringLiteral("Error removing shell extension from the approved list."), rc);
        return;
    }
    // The row is found again by its key: the list may have been refilled while the question was open.
    for (int i = lstExtensions->topLevelItemCount() - 1; i >= 0; --i) {
        if (lstExtensions->topLevelItem(i)->data(NameColumn, kKeyRole).toString().compare(clsid, Qt::CaseInsensitive) == 0)
            delete lstExtensions->takeTopLevelItem(i);
    }
    ShowInfo(QStringLiteral("Successfully removed shell extension from the approved list."));
}

void frmApprovedMngr::btnQuery_Click()
{
    if (const QString clsid = selectedClsid(); !clsid.isEmpty())
        emit QueryClsid(clsid);
}

void frmApprovedMngr::mnuPopupRefresh_Click()
{
    setWindowTitle(kCaption + QStringLiteral(" - Refreshing..."));
    Load();
    setWindowTitle(kCaption);
}

void frmApprovedMngr::lstExtensions_ContextMenu(const QPoint& position)
{
    // The row under the pointer is the one the menu's commands work on.
    if (QTreeWidgetItem* row = lstExtensions->itemAt(position))
        lstExtensions->setCurrentItem(row);
    updateActions();
    mnuPopup->popup(lstExtensions->viewport()->mapToGlobal(position));
}
