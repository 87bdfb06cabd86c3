#include "control/tools/frmMimeTypes.h"

#include "common/MessageBoxes.h"
#include "control/tools/MimeDatabase.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("MIME Content Types");

enum Column { ColumnType, ColumnExtension, ColumnClsid, ColumnImageClsid };

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, const QString& tip)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

QAction* makeAction(QMenu* menu, const QString& name, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    return action;
}

} // namespace

frmMimeTypes::frmMimeTypes(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMimeTypes"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    const int charWidth = fontMetrics().averageCharWidth();

    lstMimeTypes = new QTreeWidget(this);
    lstMimeTypes->setObjectName(QStringLiteral("lstMimeTypes"));
    lstMimeTypes->setAccessibleName(kCaption);
    lstMimeTypes->setHeaderLabels({QStringLiteral("MIME Content Type"), QStringLiteral("Extension"),
                                   QStringLiteral("CLSID"), QStringLiteral("Image Filter CLSID")});
    lstMimeTypes->setRootIsDecorated(false);
    lstMimeTypes->setUniformRowHeights(true);
    lstMimeTypes->setAllColumnsShowFocus(true);
    lstMimeTypes->setSelectionMode(QAbstractItemView::SingleSelection);
    lstMimeTypes->setContextMenuPolicy(Qt::CustomContextMenu);
    // Wide enough for long content types and whole CLSIDs.
    const auto columnWidth = [&](const QString& sample) { return fontMetrics().horizontalAdvance(sample) + charWidth * 3; };
    const int widths[] = {columnWidth(QStringLiteral("application/x-zip-compressed")),
                          columnWidth(QStringLiteral("Extension")),
                          columnWidth(QStringLiteral("{00000000-0000-0000-0000-000000000000}")),
                          columnWidth(QStringLiteral("{00000000-0000-0000-0000-000000000000}"))};
    int listWidth = 0;
    for (int column = ColumnType; column <= ColumnImageClsid; ++column) {
        lstMimeTypes->header()->resizeSection(column, widths[column]);
        listWidth += widths[column];
    }
    lstMimeTypes->setMinimumSize(listWidth + charWidth * 4, fontMetrics().height() * 16);

    btnRemove = makeButton(this, QStringLiteral("btnRemove"), QStringLiteral("Remove..."),
                           QStringLiteral("Remove the currently selected Content Type."));
    btnQuery = makeButton(this, QStringLiteral("btnQuery"), QStringLiteral("Query..."),
                          QStringLiteral("Open the 'Query CLSID' window using the CLSID of the currently selected "
                                         "Content Type."));
    btnClose = makeButton(this, QStringLiteral("btnClose"), QStringLiteral("Close"), QStringLiteral("Close this window."));

    frameAdd = new QGroupBox(QStringLiteral("Add MIME Content Type..."), this);
    frameAdd->setObjectName(QStringLiteral("frameAdd"));
    auto* fields = new QGridLayout(frameAdd);
    int row = 0;
    auto addField = [&](QLabel*& label, QLineEdit*& box, const QString& name, const QString& text) {
        label = new QLabel(text, frameAdd);
        label->setObjectName(QStringLiteral("lbl") + name);
        box = new QLineEdit(frameAdd);
        box->setObjectName(QStringLiteral("txt") + name);
        box->setAccessibleName(text.chopped(1));
        label->setBuddy(box);
        fields->addWidget(label, row, 0);
        fields->addWidget(box, row, 1);
        ++row;
    };
    addField(lblType, txtType, QStringLiteral("Type"), QStringLiteral("Content Type:"));
    addField(lblExtension, txtExtension, QStringLiteral("Extension"), QStringLiteral("Extension:"));
    addField(lblCLSID, txtCLSID, QStringLiteral("CLSID"), QStringLiteral("CLSID:"));
    addField(lblImgCLSID, txtImgCLSID, QStringLiteral("ImgCLSID"), QStringLiteral("Image Viewer CLSID:"));
    btnAdd = makeButton(frameAdd, QStringLiteral("btnAdd"), QStringLiteral("Add..."),
                        QStringLiteral("Add a new Content Type using the information entered."));
    fields->addWidget(btnAdd, row, 1, Qt::AlignRight);
    // Only image types take an image filter.
    txtImgCLSID->setEnabled(false);

    mnuPopup = new QMenu(QStringLiteral("PopUp"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuPopupAdd = makeAction(mnuPopup, QStringLiteral("mnuPopupAdd"), QStringLiteral("Add..."));
    mnuPopupRemove = makeAction(mnuPopup, QStringLiteral("mnuPopupRemove"), QStringLiteral("Remove..."));
    mnuPopup->addSeparator();
    mnuPopupRefresh = makeAction(mnuPopup, QStringLiteral("mnuPopupRefresh"), QStringLiteral("Refresh"));
    mnuPopup->addSeparator();
    mnuPopupQuery = makeAction(mnuPopup, QStringLiteral("mnuPopupQuery"), QStringLiteral("Query CLSID..."));

    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(btnRemove);
    listButtons->addWidget(btnQuery);
    listButtons->addStretch(1);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeRow->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstMimeTypes, 1);
    layout->addLayout(listButtons);
    layout->addWidget(frameAdd);
    layout->addLayout(closeRow);

    setTabOrder(lstMimeTypes, btnRemove);
    setTabOrder(btnRemove, btnQuery);
    setTabOrder(btnQuery, txtType);
    setTabOrder(txtType, txtExtension);
    setTabOrder(txtExtension, txtCLSID);
    setTabOrder(txtCLSID, txtImgCLSID);
    setTabOrder(txtImgCLSID, btnAdd);
    setTabOrder(btnAdd, btnClose);

    connect(btnAdd, &QPushButton::clicked, this, &frmMimeTypes::btnAdd_Click);
    connect(btnRemove, &QPushButton::clicked, this, &frmMimeTypes::btnRemove_Click);
    connect(btnQuery, &QPushButton::clicked, this, &frmMimeTypes::btnQuery_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmMimeTypes::btnClose_Click);
    connect(mnuPopupAdd, &QAction::triggered, this, &frmMimeTypes::btnAdd_Click);
    connect(mnuPopupRemove, &QAction::triggered, this, &frmMimeTypes::btnRemove_Click);
    connect(mnuPopupRefresh, &QAction::triggered, this, &frmMimeTypes::Refresh);
    connect(mnuPopupQuery, &QAction::triggered, this, &frmMimeTypes::btnQuery_Click);
    connect(txtType, &QLineEdit::textChanged, this, &frmMimeTypes::txtType_Change);
    connect(lstMimeTypes, &QTreeWidget::itemSelectionChanged, this, &frmMimeTypes::updateActions);
    connect(lstMimeTypes, &QWidget::customContextMenuRequested, this, &frmMimeTypes::lstMimeTypes_ContextMenu);

    updateActions();
}

void frmMimeTypes::ShowMimeTypes()
{
    if (!m_loaded)
        Load();
    show();
    raise();
    activateWindow();
}

void frmMimeTypes::Load()
{
    m_loaded = true;
    lstMimeTypes->clear();
    QList<QTreeWidgetItem*> rows;
    for (const MimeDatabase::Entry& entry : MimeDatabase::regEnumMimeTypes()) {
        auto* row = new QTreeWidgetItem({entry.ContentType, entry.Extension, entry.CLSID, entry.ImageFilterCLSID});
        row->setData(ColumnType, Qt::UserRole, entry.ContentType);
        rows << row;
    }
    lstMimeTypes->addTopLevelItems(rows);
    updateActions();
}

void frmMimeTypes::Refresh()
{
    setWindowTitle(kCaption + QStringLiteral(" - Refreshing..."));
    Load();
    setWindowTitle(kCaption);
}

void frmMimeTypes::btnAdd_Click()
{
    // An empty name would address the database key itself.
    if (txtType->text().isEmpty()) {
        ShowInfo(QStringLiteral("Please fill in all the required information."));
        return;
    }
    if (AskQuestion(QStringLiteral("Are you sure you want to add a new MIME Content Type with the specified "
                                   "information to the registry?"),
                    vbYesNo) != vbYes)
        return;
    // A disabled image filter box may still hold text from an earlier image type: it is not meant.
    const QString imageClsid = txtImgCLSID->isEnabled() ? txtImgCLSID->text() : QString();
    const long rc = MimeDatabase::regAddMimeType(txtType->text(), txtExtension->text(), txtCLSID->text(), imageClsid);
    if (rc != 0) {
        ShowError(QStringLiteral("Error adding MIME Content Type to the registry."), rc);
        return;
    }
    ShowInfo(QStringLiteral("Successfully added MIME Content Type to the registry."));
    Refresh();
}

void frmMimeTypes::btnRemove_Click()
{
    const QTreeWidgetItem* row = selectedRow();
    if (!row)
        return;
    const QString contentType = row->data(ColumnType, Qt::UserRole).toString();
    if (AskQuestion(QStringLiteral("Are you sure you want to remove this MIME Content Type from the registry?"),
                    vbYesNo) != vbYes)
        return;
    const long rc = MimeDatabase::regRemoveMimeType(contentType);
    if (rc != 0) {
        ShowError(QStringLiteral("Error removing MIME Content Type from the registry."), rc);
        return;
    }
    ShowInfo(QStringLiteral("Successfully removed MIME Content Type from the registry."));
    Refresh();
}

void frmMimeTypes::btnQuery_Click()
{
    if (const QTreeWidgetItem* row = selectedRow())
        emit QueryClsid(row->text(ColumnClsid));
}

void frmMimeTypes::btnClose_Click()
{
    close();
}

void frmMimeTypes::txtType_Change()
{
    txtImgCLSID->setEnabled(MimeDatabase::isImageType(txtType->text()));
}

void frmMimeTypes::lstMimeTypes_ContextMenu(const QPoint& position)
{
    // The menu acts on the row under the pointer.
    if (QTreeWidgetItem* row = lstMimeTypes->itemAt(position))
        lstMimeTypes->setCurrentItem(row);
    else
        lstMimeTypes->clearSelection();
    mnuPopup->popup(lstMimeTypes->viewport()->mapToGlobal(position));
}

void frmMimeTypes::updateActions()
{
    const bool selected = selectedRow() != nullptr;
    btnRemove->setEnabled(selected);
    btnQuery->setEnabled(selected);
    mnuPopupRemove->setEnabled(selected);
    mnuPopupQuery->setEnabled(selected);
}

QTreeWidgetItem* frmMimeTypes::selectedRow() const
{
    const QList<QTreeWidgetItem*> rows = lstMimeTypes->selectedItems();
    return rows.isEmpty() ? nullptr : rows.first();
}
