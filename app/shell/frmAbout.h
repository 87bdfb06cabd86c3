#pragma once

#include <QDialog>

class Kestrow;
class LinkLook;
class QLabel;
class QPushButton;

// The About box: the artwork, the program's name and version, the artist and the web site as
// links, and two links that show the licence and the versions of the program and of the control.
// Shown modally by the main window, which passes its control for the control's version.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    frmAbout(Kestrow& control, QWidget* parent);

private:
    QLabel* addLink(const char* name, const QString& text, const QString& toolTip, const QString& accessibleName);
    void link_Click(QLabel* label);
    void lblVersion_Click();
    void lblLicense_Click();

    Kestrow& m_control;
    LinkLook* m_links = nullptr;
    QLabel* picArtwork = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersionNumber = nullptr;
    QLabel* lblArtworkBy = nullptr;
    QLabel* lblArtist = nullptr;
    QLabel* lblWebSite = nullptr;
    QLabel* lblLicense = nullptr;
    QLabel* lblVersion = nullptr;
    QPushButton* cmdOK = nullptr;
};
