#pragma once

#include <QWidget>

class QAction;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPoint;
class QPushButton;
class QTreeWidget;

// The approved shell extensions window: lists the approved list with each class's 32-bit server,
// adds an entry, removes the selected one, and hands its CLSID to the CLSID tool. A top-level
// window that deletes itself when closed; what it reads and writes is ApprovedList's work.
class frmApprovedMngr : public QWidget {
    Q_OBJECT

public:
    explicit frmApprovedMngr(QWidget* parent = nullptr);

    // Shows the window and fills its list.
    void ShowApprovedManager();
    // Fills the list anew. Asked for while a load runs, the running load reads the list once more
    // when it is done, so that what changed meanwhile is shown.
    void Load();
    bool isLoading() const { return m_loading; }

signals:
    // The user asked to query the selected entry's CLSID in the CLSID tool.
    void QueryClsid(const QString& clsid);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QGroupBox* makeAddFrame();
    QAction* addMenuItem(const char* name, const QString& text);
    // The selected row's CLSID; empty without a selection.
    QString selectedClsid() const;
    void updateActions();

    void btnAdd_Click();
    void btnRemove_Click();
    void btnQuery_Click();
    void mnuPopupRefresh_Click();
    void lstExtensions_ContextMenu(const QPoint& position);

    QTreeWidget* lstExtensions = nullptr;
    QPushButton* btnRemove = nullptr;
    QPushButton* btnQuery = nullptr;
    QGroupBox* frameAdd = nullptr;
    QLabel* lblCLSID = nullptr;
    QLineEdit* txtCLSID = nullptr;
    QLabel* lblAdd = nullptr;
    QLineEdit* txtName = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnClose = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuPopupAdd = nullptr;
    QAction* mnuPopupRemove = nullptr;
    QAction* mnuPopupRefresh = nullptr;
    QAction* mnuPopupQuery = nullptr;

    bool m_loading = false;
    bool m_loadAgain = false;
    bool m_closeAfterLoad = false;
};
