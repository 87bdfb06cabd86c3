#pragma once

#include "app/shell/ItemFinder.h"
#include "app/shell/SelectionView.h"
#include "common/LinkLook.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <utility>

class Kestrow;
class KestrowNode;
class frmEdit;
class frmFind;
class PrefixStore;
class QAction;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

// The main window: the file type tree (in frameTypes), the information panel on the selected
// node, four buttons and the menu bar. Closing it ends the program.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Shows in the status bar which prefix's registry is open.
    void setPrefixStatus(const QString& prefixDir, bool readOnly);
    // The registry the window edits: named in the status bar, and asked before the window closes
    // whether every change reached the disk.
    void setPrefix(PrefixStore* store);

    // The opening: shows the window and, when the options say so, loads the file types.
    void Form_Load();
    // Loads (or reloads) every file type with the window disabled meanwhile; a failure other than
    // the user's Cancel is reported.
    void LoadFileTypes();

    // Derives the panel, the buttons and the menus from the node actually selected: after every
    // click, load, command and Find match.
    void updateActions();

    Kestrow* tree() const { return kestrowMain; }
    // Whether the window has closed, which ends the program.
    bool isUnloaded() const { return m_unloaded; }

signals:
    // The window is closing: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenus();
    QGroupBox* createTypesFrame();
    QGroupBox* createInfoFrame();
    QHBoxLayout* createButtons();

    void mnuFileLoad_Click();
    void mnuFileRestore_Click();
    void mnuFileClose_Click();
    void mnuToolsOptions_Click();
    void mnuHelpContents_Click();
    void mnuKestrowFind_Click();
    void mnuHelpAbout_Click();
    void mnuKestrowRefresh_Click();
    void mnuKestrowAssociateExt_Click();
    void mnuKestrowAddTo_Click();
    void mnuKestrowExport_Click();
    void btnAdd_Click();
    void btnEdit_Click();
    void btnRemove_Click();
    void btnClose_Click();
    void kestrowMain_NodeClick(KestrowNode* node);
    void kestrowMain_MouseDown(qint16 button, qint16 shift, float x, float y);

    // Shows the panel of a selection: its description, or its three rows with their looks.
    void showPanel(const SelectionView& view);
    void showCommands(const SelectionView& view);
    // Runs the chooser of a file type for an item of `kind`; empty when cancelled.
    QString chooseFileType(qint16 kind);
    // Acts on a click on a row caption that is a link.
    void ClickExecLabel(QLabel* label);
    // The three information rows: caption and value box.
    std::array<std::pair<QLabel*, QLineEdit*>, 3> infoRows() const
    {
        return {{{lblInfo1, txtInfo1}, {lblInfo2, txtInfo2}, {lblInfo3, txtInfo3}}};
    }

    QGroupBox* frameTypes = nullptr;
    Kestrow* kestrowMain = nullptr;
    QGroupBox* frameInfo = nullptr;
    QPlainTextEdit* txtInfo0 = nullptr;
    QLabel* lblInfo1 = nullptr;
    QLabel* lblInfo2 = nullptr;
    QLabel* lblInfo3 = nullptr;
    QLineEdit* txtInfo1 = nullptr;
    QLineEdit* txtInfo2 = nullptr;
    QLineEdit* txtInfo3 = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnRemove = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnClose = nullptr;
    QLabel* lblPrefix = nullptr;

    LinkLook m_links;
    // The find dialog has no owner window, so that the user can work on beside it; this window
    // owns the object, and the place of the last match, which outlives the dialog's closing.
    ItemFinder m_finder;
    std::unique_ptr<frmFind> m_find;
    // The edit window, one for the window's life, made on first use.
    frmEdit* m_edit = nullptr;
    PrefixStore* m_prefix = nullptr;
    bool m_closeAfterLoad = false;
    bool m_unloaded = false;

    QMenu* mnuFile = nullptr;
    QAction* mnuFileLoad = nullptr;
    QAction* mnuFileRestore = nullptr;
    QAction* mnuFileSep1 = nullptr;
    QAction* mnuFileClose = nullptr;
    QMenu* mnuTools = nullptr;
    QAction* mnuToolsApprovedManager = nullptr;
    QAction* mnuToolsMimeTypes = nullptr;
    QAction* mnuToolsClsidTool = nullptr;
    QAction* mnuToolsSep1 = nullptr;
    QAction* mnuToolsOptions = nullptr;
    QMenu* mnuKestrow = nullptr;
    QAction* mnuKestrowFind = nullptr;
    QAction* mnuKestrowSep1 = nullptr;
    QAction* mnuKestrowRefresh = nullptr;
    QAction* mnuKestrowSep2 = nullptr;
    QAction* mnuKestrowAdd = nullptr;
    QAction* mnuKestrowRemove = nullptr;
    QAction* mnuKestrowEdit = nullptr;
    QAction* mnuKestrowExport = nullptr;
    QAction* mnuKestrowSep3 = nullptr;
    QAction* mnuKestrowAssociateExt = nullptr;
    QAction* mnuKestrowAddTo = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpContents = nullptr;
    QAction* mnuHelpAbout = nullptr;
};
