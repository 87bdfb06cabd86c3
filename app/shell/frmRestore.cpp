#include "app/shell/frmRestore.h"

#include "common/MessageBoxes.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Restore from Backup");

enum Column { ColumnDate, ColumnFile, ColumnSize, ColumnDifferences };

} // namespace

frmRestore::frmRestore(PrefixStore& store, QWidget* parent)
    : QDialog(parent)
    , m_restore(store)
{
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(kCaption);

    auto* layout = new QVBoxLayout(this);
    lblBackups = new QLabel(this);
    lblBackups->setObjectName(QStringLiteral("lblBackups"));
    lblBackups->setWordWrap(true);
    lstBackups = new QTreeWidget(this);
    lstBackups->setObjectName(QStringLiteral("lstBackups"));
    lstBackups->setHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("File"), QStringLiteral("Size"), QStringLiteral("Differences")});
    lstBackups->setRootIsDecorated(false);
    lstBackups->setAllColumnsShowFocus(true);
    lstBackups->setMinimumWidth(fontMetrics().averageCharWidth() * 80);
    lstBackups->header()->setStretchLastSection(true);
    lblBackups->setBuddy(lstBackups); // the list's accessible name, and Alt+B reaches it
    layout->addWidget(lblBackups);
    layout->addWidget(lstBackups);

    auto* buttons = new QDialogButtonBox(this);
    btnRestore = buttons->addButton(QStringLiteral("Restore"), QDialogButtonBox::AcceptRole);
    btnRestore->setObjectName(QStringLiteral("btnRestore"));
    btnRestore->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    layout->addWidget(buttons);

    connect(btnRestore, &QPushButton::clicked, this, &frmRestore::btnRestore_Click);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstBackups, &QTreeWidget::itemSelectionChanged, this, &frmRestore::updateActions);
    connect(lstBackups, &QTreeWidget::itemActivated, this, [this] { btnRestore->click(); });

    fillList();
    // Reading large files takes a while: one backup per turn of the event loop, so the window
    // shows and answers meanwhile.
    QTimer::singleShot(0, this, &frmRestore::compareNext);
}

void frmRestore::fillList()
{
    const auto& entries = m_restore.entries();
    lblBackups->setText(entries.empty()
                            ? QStringLiteral("There are no backups of the registry of %1 yet. Varnook makes one "
                                             "before it first saves a change.")
                                  .arg(m_restore.prefixDir())
                            : QStringLiteral("&Backups of the registry of %1, newest first. Differences are the keys "
                                             "added, removed and changed since the backup was made.")
                                  .arg(m_restore.prefixDir()));
    for (const BackupRestore::Entry& entry : entries) {
        auto* item = new QTreeWidgetItem(lstBackups);
        item->setText(ColumnDate, BackupRestore::dateText(entry));
        item->setText(ColumnFile, entry.backup.fileName);
        item->setText(ColumnSize, BackupRestore::sizeText(entry));
        item->setTextAlignment(ColumnSize, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(ColumnDifferences, BackupRestore::differencesText(entry));
    }
    for (int column = ColumnDate; column < ColumnDifferences; ++column)
        lstBackups->resizeColumnToContents(column);
    if (lstBackups->topLevelItemCount() > 0)
        lstBackups->setCurrentItem(lstBackups->topLevelItem(0));
    updateActions();
}

void frmRestore::compareNext()
{
    if (m_nextCompare >= m_restore.entries().size())
        return;
    const std::size_t index = m_nextCompare++;
    m_restore.compare(index);
    const BackupRestore::Entry& entry = m_restore.entries()[index];
    QTreeWidgetItem* item = lstBackups->topLevelItem(int(index));
    item->setText(ColumnDifferences, BackupRestore::differencesText(entry));
    if (entry.state == BackupRestore::Entry::State::Unreadable) {
        item->setToolTip(ColumnDifferences, entry.problem);
        item->setForeground(ColumnDifferences, palette().brush(QPalette::Disabled, QPalette::Text));
    }
    updateActions();
    QTimer::singleShot(0, this, &frmRestore::compareNext);
}

void frmRestore::updateActions()
{
    const int row = lstBackups->indexOfTopLevelItem(lstBackups->currentItem());
    btnRestore->setEnabled(row >= 0 && m_restore.entries()[std::size_t(row)].state !=
                                           BackupRestore::Entry::State::Unreadable);
}

void frmRestore::btnRestore_Click()
{
    const int row = lstBackups->indexOfTopLevelItem(lstBackups->currentItem());
    if (row < 0)
        return;
    const auto index = std::size_t(row);
    if (const QString refusal = m_restore.refusal(index); !refusal.isEmpty()) {
        tell(refusal);
        return;
    }
    if (AskQuestion(m_restore.question(index), vbYesNo | vbDefaultButton2, kCaption) != vbYes)
        return;
    QString error;
    if (!m_restore.restore(index, error)) {
        tell(error);
        return;
    }
    accept();
}

void frmRestore::tell(const QString& message)
{
    UiSeams::messageBox({kCaption, message, vbOKOnly | vbExclamation, this});
}
