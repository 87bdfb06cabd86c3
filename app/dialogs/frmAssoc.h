#pragma once

#include <QDialog>

class KestrowCore;
class QLabel;
class QPushButton;
class QTreeWidget;

// The chooser of the file type that an extension, action or shell extension is to belong to: it
// lists the ordinary file types of the control and ends with 1002 when one was chosen, else 1001
// (Cancel, Escape, the close box).
class frmAssoc : public QDialog {
    Q_OBJECT

public:
    explicit frmAssoc(const KestrowCore& control, QWidget* parent = nullptr);

    // 2 extension, 3 shell extension, 4 action: sets the prompt; other values keep it.
    void SetMessage(qint16 msgType);
    void ShowConfirmation(bool value) { m_confirm = value; }
    void LoadTypes();
    QString GetSelectedTypeKey() const;
    QString GetSelectedTypeName() const;

    void done(int result) override;

private:
    void btnOK_Click();
    void btnCancel_Click();
    void updateButtons();

    const KestrowCore& m_control;
    qint16 m_msgType = 0;
    bool m_confirm = false;

    QLabel* lblMesg = nullptr;
    QTreeWidget* lstTypes = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
