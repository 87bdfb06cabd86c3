#pragma once

#include "app/shell/FilePropertiesInfo.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// The properties of one file, as a Windows property sheet shows them: a modeless window of its
// own that belongs to the window that asked (and goes with it), and deletes itself when closed.
// Every value is a read-only text field, so that it can be selected and copied; "General" holds
// paths, type, size, dates and permissions, "Version" the version resource of programs and
// libraries.
class frmProperties : public QDialog {
    Q_OBJECT

public:
    frmProperties(const FilePropertiesInfo& info, QWidget* owner);

    // Shows the properties of `linuxPath`, owned by `owner`: brings the window already open for
    // the file to the front, else opens a new one. False, and no window, when the file does not
    // exist.
    static bool ShowFor(const QString& linuxPath, QWidget* owner);

    const QString& linuxPath() const { return m_linuxPath; }

private:
    void addHeader(QVBoxLayout* layout, const FilePropertiesInfo& info);
    QGroupBox* addGroup(QVBoxLayout* layout, const char* name, const QString& title,
                        const QList<FilePropertiesInfo::Field>& fields);
    QLineEdit* addField(const QString& name, const QString& accessibleName, const QString& text);
    void btnShowInFileManager_Click();

    QString m_linuxPath;
    QLabel* picIcon = nullptr;
    QLineEdit* txtName = nullptr;
    QGroupBox* frameGeneral = nullptr;
    QGroupBox* frameVersion = nullptr;
    QPushButton* btnShowInFileManager = nullptr;
    QPushButton* btnClose = nullptr;
};
