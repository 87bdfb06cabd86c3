#pragma once

#include "control/tree/ImageList.h"

#include <QWidget>

struct ClsidQueryResult;
class LinkLook;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The CLSID tool: generates new class identifiers, and shows in a tree what HKEY_CLASSES_ROOT
// holds for a given one. It only reads the registry. A top-level window that deletes itself when
// closed.
class frmClsidTool : public QWidget {
    Q_OBJECT

public:
    explicit frmClsidTool(QWidget* parent = nullptr);

    // Switches to query mode, queries `clsid` and shows the window (modeless).
    void StartWithQuery(const QString& clsid);
    // Fills the query tree for `clsid`.
    void QueryCLSID(const QString& clsid);

    // The node of the query tree under `key` (compared without regard to case); null when none.
    QTreeWidgetItem* nodeFromKey(const QString& key) const;
    const ImageList& imlIcons() const { return m_imlIcons; }

private:
    QWidget* makeGenerateFrame();
    QWidget* makeQueryFrame();
    void showFrame();
    void btnGenerate_Click();
    void fillTree(const ClsidQueryResult& result);
    void addQueryIcon(const QString& location, const QString& key);

    ImageList m_imlIcons;
    LinkLook* m_links = nullptr;

    QRadioButton* optGenerate = nullptr;
    QRadioButton* optQuery = nullptr;
    QStackedWidget* m_frames = nullptr;
    QWidget* frameGenerate = nullptr;
    QPushButton* btnGenerate = nullptr;
    QLabel* lblClsidNumber = nullptr;
    QLineEdit* txtClsidNumber = nullptr;
    QLabel* lblClsidString = nullptr;
    QLineEdit* txtClsidString = nullptr;
    QLabel* lblClsidInfo = nullptr;
    QWidget* frameQuery = nullptr;
    QLabel* lblClsidQuery = nullptr;
    QLineEdit* txtClsid = nullptr;
    QPushButton* btnQuery = nullptr;
    QTreeWidget* tvwQuery = nullptr;
    QLabel* picHelp = nullptr;
    QPushButton* btnClose = nullptr;
};
