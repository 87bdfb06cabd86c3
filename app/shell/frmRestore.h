#pragma once

#include "app/shell/BackupRestore.h"

#include <QDialog>

#include <cstddef>

class QLabel;
class QPushButton;
class QTreeWidget;

// The Restore from Backup window: the backups of the open prefix's registry files, newest first,
// with what differs from the current files, counted one backup after the other while the window is
// open. Restore puts the chosen backup back and accepts; Cancel changes nothing.
class frmRestore : public QDialog {
    Q_OBJECT

public:
    explicit frmRestore(PrefixStore& store, QWidget* parent = nullptr);

private:
    void fillList();
    void compareNext();
    void updateActions();
    void btnRestore_Click();
    void tell(const QString& message);

    BackupRestore m_restore;
    std::size_t m_nextCompare = 0;

    QLabel* lblBackups = nullptr;
    QTreeWidget* lstBackups = nullptr;
    QPushButton* btnRestore = nullptr;
    QPushButton* btnCancel = nullptr;
};
