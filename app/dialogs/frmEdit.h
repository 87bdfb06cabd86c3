#pragma once

#include "app/dialogs/ItemEditor.h"

#include <QDialog>

#include <memory>

class ItemObject;
class ItemPanels;
class Kestrow;
class QLabel;
class QPushButton;

// The edit window: one existing file type, file extension, action or shell extension at a time,
// in the panel of its kind. Modeless, and one instance: editing another item switches it there.
// What the fields mean to the record is ItemEditor's business; the window shows and hands over.
class frmEdit : public QDialog {
    Q_OBJECT

public:
    frmEdit(Kestrow& control, QWidget* parent = nullptr);

    // Shows the record of kind `itemType` (1 to 4) and raises the window; a record another window
    // has locked is refused with a message. Any other kind, or no record, does nothing.
    void EditItem(qint16 itemType, const std::shared_ptr<ItemObject>& item);
    // Lets go of the record shown (and of its lock) and shows no panel.
    void Reset();
    // The record shown; null when none is.
    std::shared_ptr<ItemObject> item() const { return m_item; }
    // For the main window after a record was removed or the model loaded anew: when the control
    // no longer holds the record shown, the window lets go of it and hides, so that it never
    // writes a record the model has lost.
    void releaseIfGone();

    // Closing the window, by any way, lets go of its record.
    void done(int result) override;

signals:
    // After a successful Apply (or OK): the record as written, for the main window to show.
    void applied(const std::shared_ptr<ItemObject>& item);

private:
    // Applies the fields to the record; the outcome of ItemEditor::apply.
    long btnApply_Click();
    void btnOK_Click();
    void btnCancel_Click();
    // Fills the panel of the current kind from the record.
    void showRecord();

    Kestrow& m_control;
    ItemEditor m_editor;
    qint16 m_kind = 0;
    std::shared_ptr<ItemObject> m_item;

    ItemPanels* panels = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnApply = nullptr;
    QLabel* picHelp = nullptr;
};
