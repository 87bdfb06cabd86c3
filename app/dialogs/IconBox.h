#pragma once

#include "control/tree/ImageList.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Chooses an icon by picture among every icon of one file and returns it as an icon location
// ("<file>,<index>"). Ends with 1002 (OK, or a double click on an icon) or 1001 (Cancel, Escape,
// the close box).
class IconBox : public QDialog {
    Q_OBJECT

public:
    explicit IconBox(QWidget* parent = nullptr);

    // Shows the icons of the file of `iconPath` (an icon location, quoted or not) and selects the
    // icon it names; an empty location asks for a file first, as Browse does.
    void Initialize(const QString& iconPath = QString());
    // Shows the icons of the file `iconPath` (a Windows path of the prefix) in `iconSize`. Does
    // nothing while a listing is running.
    void LoadIcons(const QString& iconPath, qint16 iconSize);
    // "<file>,<index>" of the selected icon, the file being the one whose icons are shown; empty
    // when no icon is selected.
    QString GetSelectedIconPath() const;

    void done(int result) override;

private:
    void btnBrowse_Click();
    void btnOK_Click();
    void btnCancel_Click();
    void fldFile_ReturnPressed();
    void updateButtons();

    ImageList imlIcons;
    QString m_listedFile; // the file whose icons lstIcons shows
    bool m_changed = false; // fldFile was edited since its file was listed
    bool m_listing = false; // ListIcons pumps events: no second listing inside the first

    QLabel* lblFile = nullptr;
    QLineEdit* fldFile = nullptr;
    QPushButton* btnBrowse = nullptr;
    QLabel* lblIcons = nullptr;
    QListWidget* lstIcons = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
