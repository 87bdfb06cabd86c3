#pragma once

#include "app/dialogs/ItemAdder.h"

#include <QDialog>

class ItemPanels;
class Kestrow;
class QComboBox;
class QLabel;
class QPushButton;

// The add window: a kind chooser over the four item panels. OK adds the item of the panel shown
// and closes the window with 1002; a refusal, a declined question or a failure leaves it open
// with the input. Cancel, Escape and the close box end it with 1001.
//
// The caller selects the kind, then runs it modal:
//     frmAdd form(control, this);
//     form.setHost(selectedTypeKey);                 // optional
//     if (form.AddItem(kind) && UiSeams::execModal(form) == kResultAccepted)
//         select(form.AddedKey());
class frmAdd : public QDialog {
    Q_OBJECT

public:
    frmAdd(Kestrow& control, QWidget* parent = nullptr);

    // Shows the panel of a kind: 1 file type, 2 file extension, 3 shell extension, 4 action.
    // Any other value changes nothing and returns false: the window is then not to be shown.
    bool AddItem(qint16 itemType);
    // Presets "Associated With:" of the extension, action and shell extension panels with the
    // file type `typeKey` (the main window's selection). A key of no loaded file type is ignored;
    // a special type is preset for actions and shell extensions only.
    void setHost(const QString& typeKey);
    // The item key of what the last OK added; empty before.
    QString AddedKey() const { return m_adder.addedKey(); }

    void done(int result) override;

signals:
    // After OK added an item, with its key.
    void itemAdded(const QString& key);

private:
    void cboItems_Click();
    void btnOK_Click();
    void btnCancel_Click();

    Kestrow& m_control;
    ItemAdder m_adder;

    QComboBox* cboItems = nullptr;
    ItemPanels* panels = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* picHelp = nullptr;
};
