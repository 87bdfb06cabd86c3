#pragma once

#include "app/shell/ItemFinder.h"

#include <QDialog>

class Kestrow;
class KestrowNode;
class LinkLook;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// The find dialog: a search text, the kinds of items and the properties to search, and "Find
// Next", which selects the next matching item in the main window's tree. Modeless and without
// owner; the main window owns it and the finder, which keeps the place of the last match while
// the dialog is closed. Closing only hides the dialog and empties its text and ticks.
class frmFind : public QDialog {
    Q_OBJECT

public:
    frmFind(Kestrow& control, ItemFinder& finder);

    // Enables the criteria that apply to a ticked kind of item; a disabled box keeps its tick.
    void SetCriterias();

signals:
    // A match was selected in the tree.
    void itemFound(KestrowNode* node);

protected:
    void done(int result) override;

private:
    QGridLayout* addGroup(QVBoxLayout* form, const QString& caption);
    QCheckBox* addBox(QGridLayout* grid, const char* name, const QString& caption, const QString& group);
    FindRequest request() const;
    void btnFind_Click();
    void clearChoices();

    Kestrow& m_control;
    ItemFinder& m_finder;
    LinkLook* m_links = nullptr;

    QLineEdit* txtFind = nullptr;
    QCheckBox* chkType = nullptr;
    QCheckBox* chkExt = nullptr;
    QCheckBox* chkAction = nullptr;
    QCheckBox* chkShellExt = nullptr;
    QCheckBox* chkCritName = nullptr;
    QCheckBox* chkCritInternalName = nullptr;
    QCheckBox* chkCritExt = nullptr;
    QCheckBox* chkCritCLSID = nullptr;
    QCheckBox* chkCritCommand = nullptr;
    QCheckBox* chkCritInproc32 = nullptr;
    QPushButton* btnFind = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* picHelp = nullptr;
};
