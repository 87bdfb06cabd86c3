#pragma once

#include <QWidget>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPoint;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The MIME content types window: lists the content types of the MIME database, adds and removes
// one, and hands the CLSID of a listed type on to the CLSID tool (QueryClsid). A top-level window
// that deletes itself when closed.
class frmMimeTypes : public QWidget {
    Q_OBJECT

public:
    explicit frmMimeTypes(QWidget* parent = nullptr);

    // Shows the window modeless, raised and active; the first call fills the list, later ones
    // leave it as it is.
    void ShowMimeTypes();
    // Fills the list anew from the registry; no row stays selected.
    void Load();
    // Load, with the caption telling that the list is being refilled.
    void Refresh();

signals:
    // The user asked to query this CLSID (the selected content type's) in the CLSID tool.
    void QueryClsid(const QString& clsid);

private:
    void btnAdd_Click();
    void btnRemove_Click();
    void btnQuery_Click();
    void btnClose_Click();
    void txtType_Change();
    void lstMimeTypes_ContextMenu(const QPoint& position);
    void updateActions();
    QTreeWidgetItem* selectedRow() const;

    bool m_loaded = false;

    QTreeWidget* lstMimeTypes = nullptr;
    QGroupBox* frameAdd = nullptr;
    QLabel* lblType = nullptr;
    QLineEdit* txtType = nullptr;
    QLabel* lblExtension = nullptr;
    QLineEdit* txtExtension = nullptr;
    QLabel* lblCLSID = nullptr;
    QLineEdit* txtCLSID = nullptr;
    QLabel* lblImgCLSID = nullptr;
    QLineEdit* txtImgCLSID = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnRemove = nullptr;
    QPushButton* btnQuery = nullptr;
    QPushButton* btnClose = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuPopupAdd = nullptr;
    QAction* mnuPopupRemove = nullptr;
    QAction* mnuPopupRefresh = nullptr;
    QAction* mnuPopupQuery = nullptr;
};
