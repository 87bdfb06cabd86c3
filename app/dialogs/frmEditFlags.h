#pragma once

#include "app/dialogs/FlagsSelection.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

// Composes a file type's EditFlags number from the names of the "flags" table. Ends with 1002
// (OK) or 1001 (Cancel, Escape, the close box).
class frmEditFlags : public QDialog {
    Q_OBJECT

public:
    explicit frmEditFlags(QWidget* parent = nullptr);

    // Fills the list from the "flags" table and preselects the flags `flags` holds.
    void Initialize(quint32 flags);
    // The masks of the selected entries with the bits of the number no preselected entry covered.
    quint32 ReturnSelectedFlags() const;

    void done(int result) override;

private:
    void btnOK_Click();
    void btnCancel_Click();

    FlagsSelection m_selection;

    QLabel* lblMesg = nullptr;
    QListWidget* lstFlags = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* picHelp = nullptr;
};
