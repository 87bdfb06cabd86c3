#include "app/dialogs/frmEditFlags.h"

#include "app/dialogs/DialogButtonRow.h"
#include "control/records/ErrorNumbers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmEditFlags::frmEditFlags(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEditFlags"));
    setWindowTitle(QStringLiteral("Edit Flags..."));

    lblMesg = new QLabel(QStringLiteral("Select the flags you want to apply to this file type and press OK when you "
                                        "are done. Currently applied flags are preselected."),
                         this);
    lblMesg->setObjectName(QStringLiteral("lblMesg"));
    lblMesg->setWordWrap(true);
    lstFlags = new QListWidget(this);
    lstFlags->setObjectName(QStringLiteral("lstFlags"));
    // A click toggles one entry, so choosing one more flag keeps the preselected ones.
    lstFlags->setSelectionMode(QAbstractItemView::MultiSelection);
    lstFlags->setUniformItemSizes(true);
    lstFlags->setAccessibleName(QStringLiteral("Flags"));
    lstFlags->setAccessibleDescription(lblMesg->text());
    lblMesg->setBuddy(lstFlags);
    const int charWidth = fontMetrics().averageCharWidth();
    lblMesg->setMinimumWidth(charWidth * 50);
    lstFlags->setMinimumSize(charWidth * 50, fontMetrics().height() * 20);

    // No default button: Enter in the list must not close the window.
    auto* buttons = new DialogButtonRow(*this, QStringLiteral("other_flags.html"),
                                        {{"btnOK", QStringLiteral("OK")}, {"btnCancel", QStringLiteral("Cancel")}});
    btnOK = buttons->button(0);
    btnCancel = buttons->button(1);
    picHelp = buttons->helpPicture();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMesg);
    layout->addWidget(lstFlags, 1);
    layout->addLayout(buttons);

    setTabOrder(lstFlags, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, picHelp);

    connect(btnOK, &QPushButton::clicked, this, &frmEditFlags::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmEditFlags::btnCancel_Click);
}

void frmEditFlags::Initialize(quint32 flags)
{
    m_selection = FlagsSelection(flags, FlagDefinitions());
    lstFlags->clear();
    const QList<FlagDefinition>& table = m_selection.Table();
    for (qsizetype row = 0; row < table.size(); ++row) {
        auto* entry = new QListWidgetItem(table[row].name, lstFlags);
        entry->setData(Qt::UserRole, table[row].mask);
        entry->setSelected(m_selection.IsContained(row));
    }
    lstFlags->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

quint32 frmEditFlags::ReturnSelectedFlags() const
{
    QList<qsizetype> chosen;
    for (int row = 0; row < lstFlags->count(); ++row)
        if (lstFlags->item(row)->isSelected())
            chosen << row;
    return m_selection.Compose(chosen);
}

void frmEditFlags::btnOK_Click()
{
    done(int(kResultAccepted));
}

void frmEditFlags::btnCancel_Click()
{
    done(int(kResultCancelled));
}

void frmEditFlags::done(int result)
{
    // Escape and the close box reject with 0: for the caller that is a Cancel.
    QDialog::done(result == int(kResultAccepted) ? result : int(kResultCancelled));
}
