#pragma once

#include "app/dialogs/HandlerTables.h"
#include "app/dialogs/ItemFields.h"

#include <QWidget>

class KestrowCore;
class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

// The four panels of the edit and add windows, one shown at a time: file type, file extension,
// action and shell extension. The panels move fields in and out and handle their own buttons:
// browsing for programs (as Windows paths), the icon picker, the flags dialog, a new CLSID, the
// file type chooser, the DDE box and the icon pictures. Nothing here writes to the registry.
class ItemPanels : public QWidget {
    Q_OBJECT

public:
    enum class Mode { Edit, Add };

    ItemPanels(Mode mode, KestrowCore& control, const HandlerTables& tables, QWidget* parent = nullptr);

    // ITEM_FILETYPE, ITEM_FILEEXTENSION, ITEM_SHELLEXTENSION or ITEM_ACTION shows that panel; any
    // other value hides all.
    void showKind(qint16 itemType);
    qint16 kind() const { return m_kind; }

    void setFileType(const FileTypeFields& fields);
    FileTypeFields fileType() const;
    void setFileExtension(const FileExtensionFields& fields);
    FileExtensionFields fileExtension() const;
    void setAction(const ActionFields& fields);
    ActionFields action() const;
    void setShellExtension(const ShellExtensionFields& fields);
    ShellExtensionFields shellExtension() const;

    // Puts the dotted form of an extension back into the box it was typed in (adding).
    void setExtensionText(const QString& dotted);

    // The first field of the shown panel, where the window starts its tab order.
    QWidget* firstField() const;

    // The fields, by the names the windows and their tests use. Those of one mode only are null in
    // the other.
    QFrame* frameType = nullptr;
    QLineEdit* txtTypeName = nullptr;
    QLineEdit* txtTypeInternalName = nullptr;
    QLineEdit* txtTypeExtension = nullptr; // adding
    QLineEdit* txtTypeDefaultIcon = nullptr;
    QPushButton* btnTypeDefaultIcon = nullptr;
    QLabel* picTypeIconLarge = nullptr;
    QLabel* picTypeIconSmall = nullptr;
    QLineEdit* txtTypeCLSID = nullptr;
    QPushButton* btnTypeCLSID = nullptr;
    QLineEdit* txtTypeFlags = nullptr;
    QPushButton* btnTypeFlags = nullptr;
    QCheckBox* chkTypeQuickView = nullptr;

    QFrame* frameExt = nullptr;
    QLineEdit* txtExt = nullptr;
    QLabel* picExtIconLarge = nullptr;
    QLabel* picExtIconSmall = nullptr;
    QLineEdit* txtExtAssoc = nullptr;
    QPushButton* btnExtAssoc = nullptr;
    QLineEdit* txtExtContentType = nullptr;
    QLineEdit* txtExtInfoTip = nullptr;

    QFrame* frameAction = nullptr;
    QLineEdit* txtActionName = nullptr;  // editing
    QComboBox* cboActionName = nullptr;  // adding
    QLineEdit* txtActionAssoc = nullptr; // adding
    QPushButton* btnActionAssoc = nullptr;
    QLineEdit* txtActionCommand = nullptr;
    QPushButton* btnActionCommand = nullptr;
    QCheckBox* chkActionDDE = nullptr;
    QFrame* frameActionDDE = nullptr;
    QLineEdit* txtActionDDEMesg = nullptr;
    QLineEdit* txtActionDDEApp = nullptr;
    QPushButton* btnActionDDEApp = nullptr;
    QLineEdit* txtActionDDEAppNoRun = nullptr;
    QPushButton* btnActionDDEAppNoRun = nullptr;
    QLineEdit* txtActionDDETopic = nullptr;

    QFrame* frameShellEx = nullptr;
    QLineEdit* txtShellExName = nullptr;
    QLineEdit* txtShellExInternalName = nullptr; // editing
    QLineEdit* txtShellExAssoc = nullptr;        // adding
    QPushButton* btnShellExAssoc = nullptr;
    QLineEdit* txtShellExCLSID = nullptr;
    QPushButton* btnShellExCLSID = nullptr;
    QLineEdit* txtShellExInproc32 = nullptr;
    QPushButton* btnShellExInproc32 = nullptr;
    QComboBox* lstShellExThread = nullptr;
    QComboBox* lstShellExType = nullptr;
    QCheckBox* chkShellExApproved = nullptr;

signals:
    // Editing: "Query..." beside the shell extension's CLSID.
    void clsidQueryRequested(const QString& clsid);

private:
    QFrame* createTypePanel();
    QFrame* createExtensionPanel();
    QFrame* createActionPanel();
    QFrame* createShellExPanel();

    QLineEdit* addTextRow(QGridLayout* grid, const char* name, const QString& label, bool readOnly = false);
    QPushButton* addButton(QGridLayout* grid, const char* name, const QString& caption);
    void addRow(QGridLayout* grid, const QString& label, QWidget* field);
    QComboBox* addListRow(QGridLayout* grid, const char* name, const QString& label);

    void btnTypeDefaultIcon_Click();
    void btnTypeFlags_Click();
    void btnTypeCLSID_Click();
    void btnShellExCLSID_Click();
    void chooseType(QLineEdit* box, qint16 msgType);
    void browse(QLineEdit* box, const QString& title, const QString& filter);
    void drawTypeIcons();
    void drawExtensionIcons();

    const Mode m_mode;
    KestrowCore& m_control;
    const HandlerTables& m_tables;
    qint16 m_kind = 0;
    QString m_loadedExtTypeKey; // the file type the edited extension belonged to when loaded

    QStackedWidget* m_stack = nullptr;
};
