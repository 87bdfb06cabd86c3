#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The small modeless window that shows how far a long operation has come, with a Cancel button,
// or a single waiting message instead. The caller sets its caption, shows it and closes it; the
// user cannot close it. Cancel only records the request: the running operation looks at
// cancelCode() after it has let pending events through, and stops.
class ProgressBox : public QWidget {
    Q_OBJECT

public:
    // What Cancel records: the number every operation returns when the user cancelled it.
    static constexpr int CancelledByUser = 1001;
    // Window heights of the two layouts; the shorter one cuts off the Cancel button.
    static constexpr int ProgressLayoutHeight = 140;
    static constexpr int MessageLayoutHeight = 107;

    // Opens in the progress layout: range 0 to 1 at 0, "Loading...".
    explicit ProgressBox(QWidget* parent = nullptr);

    void HideCancelButton();
    void ShowCancelButton();
    void setMin(int MinItem);
    void setMax(int MaxItem);
    // Moves the bar to `Current` and writes the percentage of the bar's maximum and the counter.
    void Update(int Current);
    void DisplayMessage(const QString& Message);
    void HideMessage();

    // CancelledByUser once Cancel was pressed, else 0. Every show() by the caller starts afresh.
    int cancelCode() const { return m_cancelCode; }
    bool cancelRequested() const { return m_cancelCode != 0; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void btnCancel_Click();
    void setProgressWidgetsVisible(bool visible);

    int m_MinItem = 0;
    int m_MaxItem = 0;
    int m_cancelCode = 0;

    QProgressBar* barProgress = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* lblPercent = nullptr;
    QLabel* lblBigMesg = nullptr;
    QLabel* lblProgress = nullptr;
    QLabel* lblProgressMesg = nullptr;
    QLabel* lblMesg = nullptr;
};
