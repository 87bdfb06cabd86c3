#include "app/dialogs/frmAssoc.h"

#include "common/MessageBoxes.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/tree/KestrowCore.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

frmAssoc::frmAssoc(const KestrowCore& control, QWidget* parent)
    : QDialog(parent)
    , m_control(control)
{
    setObjectName(QStringLiteral("frmAssoc"));
    setWindowTitle(QStringLiteral("Select File Type..."));

    lblMesg = new QLabel(QStringLiteral("Select the file type you want to associate this file extension with:"), this);
    lblMesg->setObjectName(QStringLiteral("lblMesg"));
    lblMesg->setWordWrap(true);
    lstTypes = new QTreeWidget(this);
    lstTypes->setObjectName(QStringLiteral("lstTypes"));
    lstTypes->setHeaderLabels({QStringLiteral("File Type"), QStringLiteral("Internal Name")});
    lstTypes->setRootIsDecorated(false);
    lstTypes->setUniformRowHeights(true);
    lstTypes->setAllColumnsShowFocus(true);
    lstTypes->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstTypes->setAccessibleName(QStringLiteral("File types"));
    lblMesg->setBuddy(lstTypes);
    const int charWidth = fontMetrics().averageCharWidth();
    lstTypes->setMinimumSize(charWidth * 64, fontMetrics().height() * 18);
    lstTypes->header()->resizeSection(1, charWidth * 22);

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOK->setDefault(true);
    btnCancel->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMesg);
    layout->addWidget(lstTypes, 1);
    layout->addWidget(buttons);

    connect(btnOK, &QPushButton::clicked, this, &frmAssoc::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmAssoc::btnCancel_Click);
    connect(lstTypes, &QTreeWidget::itemSelectionChanged, this, &frmAssoc::updateButtons);
    connect(lstTypes, &QTreeWidget::itemActivated, this, &frmAssoc::btnOK_Click);

    LoadTypes();
}

void frmAssoc::SetMessage(qint16 msgType)
{
    m_msgType = msgType;
    switch (msgType) {
    case ITEM_FILEEXTENSION:
        lblMesg->setText(QStringLiteral("Select the file type you want to associate this file extension with:"));
        break;
    case ITEM_SHELLEXTENSION:
        lblMesg->setText(QStringLiteral("Select the file type you want to add this shell extension to:"));
        break;
    case ITEM_ACTION:
        lblMesg->setText(QStringLiteral("Select the file type you want to add this action to:"));
        break;
    default:
        break;
    }
}

void frmAssoc::LoadTypes()
{
    lstTypes->clear();
    QList<QTreeWidgetItem*> entries;
    for (const auto& entry : m_control.FileTypeCollection()) {
        const auto& type = *entry.item;
        if (type.Special)
            continue;
        auto* row = new QTreeWidgetItem({type.Name, type.InternalName});
        row->setData(0, Qt::UserRole, type.Key());
        entries << row;
    }
    lstTypes->addTopLevelItems(entries);
    updateButtons();
}

QString frmAssoc::GetSelectedTypeKey() const
{
    const QTreeWidgetItem* row = lstTypes->currentItem();
    return row && row->isSelected() ? row->data(0, Qt::UserRole).toString() : QString();
}

QString frmAssoc::GetSelectedTypeName() const
{
    const QTreeWidgetItem* row = lstTypes->currentItem();
    return row && row->isSelected() ? row->text(0) : QString();
}

void frmAssoc::updateButtons()
{
    // Without a chosen type there is nothing to accept.
    btnOK->setEnabled(!GetSelectedTypeKey().isEmpty());
}

void frmAssoc::btnOK_Click()
{
    if (GetSelectedTypeKey().isEmpty())
        return;
    if (m_confirm) {
        QString question = QStringLiteral("Are you sure you want to do this?");
        if (m_msgType == ITEM_SHELLEXTENSION)
            question += QStringLiteral("\r\n\r\nAny existing shell extension with the same internal name will be "
                                       "overwritten.");
        else if (m_msgType == ITEM_ACTION)
            question += QStringLiteral("\r\n\r\nAny existing action with the same internal name will be overwritten.");
        if (m_msgType >= ITEM_FILEEXTENSION && m_msgType <= ITEM_ACTION && AskQuestion(question, vbYesNo) != vbYes) {
            done(int(kResultCancelled));
            return;
        }
    }
    done(int(kResultAccepted));
}

void frmAssoc::btnCancel_Click()
{
    done(int(kResultCancelled));
}

void frmAssoc::done(int result)
{
    // Escape and the close box reject with 0: for the caller that is a Cancel.
    QDialog::done(result == int(kResultAccepted) ? result : int(kResultCancelled));
}
