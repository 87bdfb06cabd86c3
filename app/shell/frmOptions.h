#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;
class QVBoxLayout;

// The Options dialog ("Preferences"): the start-up options as check boxes. OK sets the flags and
// stores them; Cancel changes nothing. Opened modally by the main window, created anew each time
// so that it always shows the current flags.
class frmOptions : public QDialog {
    Q_OBJECT

public:
    explicit frmOptions(QWidget* parent = nullptr);

private:
    QCheckBox* addOption(QVBoxLayout* layout, const char* name, const QString& caption, const QString& explanation);
    void addRule(QVBoxLayout* layout);
    void loadFlags();
    void btnOK_Click();
    void btnCancel_Click();

    QCheckBox* chkLoadOnStartup = nullptr;
    QCheckBox* chkLoadFull = nullptr;
    QCheckBox* chkRefreshOnSelect = nullptr;
    QCheckBox* chkShowSplash = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
