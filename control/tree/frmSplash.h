#pragma once

#include <QFrame>

class QLabel;
class QProgressBar;

// The start-up window: the product's artwork, a progress bar and two message lines, without a way
// to cancel. Modeless; the caller shows and closes it.
class frmSplash : public QFrame {
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    void setMax(int NewMax);
    void setMessage(const QString& Message);
    // Writes `Current` into lblCurrent; the bar follows only while `Current` is within its range.
    void Update(int Current);
    void setInfoMsg(const QString& Message);

private:
    QLabel* picLogo = nullptr;
    QProgressBar* pbar = nullptr;
    QLabel* lblMsg = nullptr;
    QLabel* lblInfoMsg = nullptr;
    QLabel* lblCurrent = nullptr;
    QLabel* lblMax = nullptr;
};
