#include "app/shell/frmMain.h"

#include "app/dialogs/frmAdd.h"
#include "app/dialogs/frmAssoc.h"
#include "app/dialogs/frmEdit.h"
#include "app/shell/FileProperties.h"
#include "app/shell/ItemCommands.h"
#include "app/shell/StartupFlags.h"
#include "app/shell/frmAbout.h"
#include "app/shell/frmFind.h"
#include "app/shell/UnsavedChanges.h"
#include "app/shell/frmOptions.h"
#include "app/shell/frmRestore.h"
#include "common/HelpTopic.h"
#include "common/MessageBoxes.h"
#include "common/ReadOnlyRegistry.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/tools/ItemExport.h"
#include "control/tree/ItemKinds.h"
#include "control/tree/Kestrow.h"
#include "platform/registry/PrefixStore.h"
#include "platform/shell/UiSeams.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QKeyEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace {

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QAction* addItem(QMenu* menu, const char* name, const QString& caption)
{
    return named(menu->addAction(caption), name);
}

QAction* addSeparator(QMenu* menu, const char* name)
{
    return named(menu->addSeparator(), name);
}

QPushButton* button(const char* name, const QString& caption, const QString& toolTip, QWidget* parent)
{
    auto* result = named(new QPushButton(caption, parent), name);
    result->setToolTip(toolTip);
    result->setAutoDefault(false);
    return result;
}

} // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Varnook 2"));

    createMenus();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* frames = new QHBoxLayout;
    frames->addWidget(createTypesFrame(), 3);
    frames->addWidget(createInfoFrame(), 2);
    layout->addLayout(frames);
    layout->addLayout(createButtons());
    setCentralWidget(central);
    lblPrefix = named(new QLabel(this), "lblPrefix");
    lblPrefix->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // a long path must not widen the window
    statusBar()->addWidget(lblPrefix, 1);
    statusBar()->setSizeGripEnabled(false);

    connect(mnuFileLoad, &QAction::triggered, this, &frmMain::mnuFileLoad_Click);
    connect(mnuFileRestore, &QAction::triggered, this, &frmMain::mnuFileRestore_Click);
    connect(mnuFileClose, &QAction::triggered, this, &frmMain::mnuFileClose_Click);
    connect(mnuToolsOptions, &QAction::triggered, this, &frmMain::mnuToolsOptions_Click);
    connect(mnuHelpContents, &QAction::triggered, this, &frmMain::mnuHelpContents_Click);
    connect(mnuKestrowFind, &QAction::triggered, this, &frmMain::mnuKestrowFind_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
    connect(mnuKestrowRefresh, &QAction::triggered, this, &frmMain::mnuKestrowRefresh_Click);
    connect(mnuKestrowRemove, &QAction::triggered, this, &frmMain::btnRemove_Click);
    connect(mnuKestrowAssociateExt, &QAction::triggered, this, &frmMain::mnuKestrowAssociateExt_Click);
    connect(mnuKestrowAddTo, &QAction::triggered, this, &frmMain::mnuKestrowAddTo_Click);
    connect(mnuToolsApprovedManager, &QAction::triggered, kestrowMain, &Kestrow::ShowApprovedManager);
    connect(mnuToolsMimeTypes, &QAction::triggered, kestrowMain, &Kestrow::ShowMimeTypes);
    connect(mnuToolsClsidTool, &QAction::triggered, kestrowMain, [this] { kestrowMain->ShowClsidTool(); });
    connect(btnRemove, &QPushButton::clicked, this, &frmMain::btnRemove_Click);
    connect(btnAdd, &QPushButton::clicked, this, &frmMain::btnAdd_Click);
    connect(mnuKestrowAdd, &QAction::triggered, this, &frmMain::btnAdd_Click);
    connect(btnEdit, &QPushButton::clicked, this, &frmMain::btnEdit_Click);
    connect(mnuKestrowEdit, &QAction::triggered, this, &frmMain::btnEdit_Click);
    connect(mnuKestrowExport, &QAction::triggered, this, &frmMain::mnuKestrowExport_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmMain::btnClose_Click);
    connect(kestrowMain, &Kestrow::NodeClick, this, &frmMain::kestrowMain_NodeClick);
    connect(kestrowMain, &Kestrow::MouseDown, this, &frmMain::kestrowMain_MouseDown);
    connect(&m_links, &LinkLook::clicked, this, &frmMain::ClickExecLabel);
    kestrowMain->tvwData()->viewport()->installEventFilter(this);

    QMainWindow::layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmMain::~frmMain() = default;

void frmMain::createMenus()
{
    mnuFile = named(menuBar()->addMenu(QStringLiteral("File")), "mnuFile");
    mnuFileLoad = addItem(mnuFile, "mnuFileLoad", QStringLiteral("Load File Types"));
    mnuFileRestore = addItem(mnuFile, "mnuFileRestore", QStringLiteral("Restore from Backup..."));
    mnuFileSep1 = addSeparator(mnuFile, "mnuFileSep1");
    mnuFileClose = addItem(mnuFile, "mnuFileClose", QStringLiteral("Close"));

    mnuTools = named(menuBar()->addMenu(QStringLiteral("Tools")), "mnuTools");
    mnuToolsApprovedManager = addItem(mnuTools, "mnuToolsApprovedManager", QStringLiteral("Approved Shell Extensions"));
    mnuToolsMimeTypes = addItem(mnuTools, "mnuToolsMimeTypes", QStringLiteral("MIME Content Types"));
    mnuToolsClsidTool = addItem(mnuTools, "mnuToolsClsidTool", QStringLiteral("CLSID Tool"));
    mnuToolsSep1 = addSeparator(mnuTools, "mnuToolsSep1");
    mnuToolsOptions = addItem(mnuTools, "mnuToolsOptions", QStringLiteral("Preferences..."));

    // "Actions" is also the pop-up menu of the tree.
    mnuKestrow = named(menuBar()->addMenu(QStringLiteral("Actions")), "mnuKestrow");
    mnuKestrowFind = addItem(mnuKestrow, "mnuKestrowFind", QStringLiteral("Find..."));
    mnuKestrowSep1 = addSeparator(mnuKestrow, "mnuKestrowSep1");
    mnuKestrowRefresh = addItem(mnuKestrow, "mnuKestrowRefresh", QStringLiteral("Refresh"));
    mnuKestrowSep2 = addSeparator(mnuKestrow, "mnuKestrowSep2");
    mnuKestrowAdd = addItem(mnuKestrow, "mnuKestrowAdd", QStringLiteral("Add"));
    mnuKestrowRemove = addItem(mnuKestrow, "mnuKestrowRemove", QStringLiteral("Remove"));
    mnuKestrowEdit = addItem(mnuKestrow, "mnuKestrowEdit", QStringLiteral("Edit"));
    mnuKestrowExport = addItem(mnuKestrow, "mnuKestrowExport", QStringLiteral("Export..."));
    mnuKestrowSep3 = addSeparator(mnuKestrow, "mnuKestrowSep3");
    mnuKestrowAssociateExt = addItem(mnuKestrow, "mnuKestrowAssociateExt", QStringLiteral("Associate with..."));
    mnuKestrowAddTo = addItem(mnuKestrow, "mnuKestrowAddTo", QStringLiteral("Add to..."));
    mnuKestrowSep3->setVisible(false);
    mnuKestrowAssociateExt->setVisible(false);
    mnuKestrowAddTo->setVisible(false);

    mnuHelp = named(menuBar()->addMenu(QStringLiteral("Help")), "mnuHelp");
    mnuHelpContents = addItem(mnuHelp, "mnuHelpContents", QStringLiteral("Contents"));
    mnuHelpAbout = addItem(mnuHelp, "mnuHelpAbout", QStringLiteral("About"));
}

QGroupBox* frmMain::createTypesFrame()
{
    frameTypes = named(new QGroupBox(QStringLiteral("File Types"), this), "frameTypes");
    auto* layout = new QVBoxLayout(frameTypes);
    layout->setContentsMargins(0, 0, 0, 0);
    kestrowMain = named(new Kestrow(frameTypes), "kestrowMain");
    kestrowMain->tvwData()->setAccessibleName(QStringLiteral("File Types"));
    layout->addWidget(kestrowMain);
    // At least 25 rows of the tree, whatever the font.
    const QFontMetrics metrics = kestrowMain->tvwData()->fontMetrics();
    frameTypes->setMinimumSize(metrics.averageCharWidth() * 64, (qMax(metrics.height(), 16) + 4) * 27);
    return frameTypes;
}

QGroupBox* frmMain::createInfoFrame()
{
    frameInfo = named(new QGroupBox(QStringLiteral("Information"), this), "frameInfo");
    // Wide enough for a typical command line ("C:\Program Files\...\app.exe" "%1").
    frameInfo->setFixedWidth(fontMetrics().averageCharWidth() * 60);
    auto* layout = new QGridLayout(frameInfo);

    lblInfo1 = named(new QLabel(frameInfo), "lblInfo1");
    txtInfo1 = named(new QLineEdit(frameInfo), "txtInfo1");
    lblInfo2 = named(new QLabel(frameInfo), "lblInfo2");
    txtInfo2 = named(new QLineEdit(frameInfo), "txtInfo2");
    lblInfo3 = named(new QLabel(frameInfo), "lblInfo3");
    txtInfo3 = named(new QLineEdit(frameInfo), "txtInfo3");
    int row = 0;
    for (const auto& [label, value] : infoRows()) {
        value->setReadOnly(true);
        label->setBuddy(value);
        m_links.watch(label);
        label->hide();
        value->hide();
        layout->addWidget(label, row++, 0);
        layout->addWidget(value, row++, 0);
    }
    layout->setRowStretch(row, 1);

    // Created last, the description lies over the three rows and hides them while it is shown.
    txtInfo0 = named(new QPlainTextEdit(kInfoPrompt, frameInfo),
                     "txtInfo0");
    txtInfo0->setReadOnly(true);
    txtInfo0->setAccessibleName(QStringLiteral("Information"));
    txtInfo0->setTabChangesFocus(true);
    layout->addWidget(txtInfo0, 0, 0, row + 1, 1);
    return frameInfo;
}

QHBoxLayout* frmMain::createButtons()
{
    btnAdd = button("btnAdd", QStringLiteral("Add..."),
                    QStringLiteral("Add a new file type, file extension, action or shell extension."), this);
    btnRemove = button("btnRemove", QStringLiteral("Remove"), QStringLiteral("Remove the selected item."), this);
    btnEdit = button("btnEdit", QStringLiteral("Edit..."), QStringLiteral("Edit the selected item."), this);
    btnClose = button("btnClose", QStringLiteral("Close"), QStringLiteral("Close Varnook"), this);
    for (QPushButton* disabled : {btnAdd, btnRemove, btnEdit})
        disabled->setEnabled(false);

    auto* layout = new QHBoxLayout;
    layout->addWidget(btnAdd);
    layout->addWidget(btnRemove);
    layout->addWidget(btnEdit);
    layout->addStretch(1);
    layout->addWidget(btnClose);
    return layout;
}

void frmMain::setPrefixStatus(const QString& prefixDir, bool readOnly)
{
    lblPrefix->setText(readOnly ? QStringLiteral("Prefix: %1 (read-only)").arg(prefixDir)
                                : QStringLiteral("Prefix: %1").arg(prefixDir));
    lblPrefix->setToolTip(lblPrefix->text());
}

void frmMain::setPrefix(PrefixStore* store)
{
    m_prefix = store;
    if (store)
        setPrefixStatus(store->prefixDir(), store->isReadOnly());
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (kestrowMain->isLoading()) {
        // The load lets input through while it runs; it stops at its next key, and the window
        // closes once it has returned.
        kestrowMain->CancelLoad();
        m_closeAfterLoad = true;
        event->ignore();
        return;
    }
    if (m_prefix && !MayCloseWithUnsavedChanges(*m_prefix)) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    m_find.reset();
    m_unloaded = true;
    emit unloaded();
}

void frmMain::keyPressEvent(QKeyEvent* event)
{
    // btnClose is the window's cancel button: Escape presses it, as it presses Cancel in a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        btnClose->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // The menu key and Shift+F10 open the pop-up menu too, at the selected node; the right mouse
    // button opens it through MouseDown.
    if (event->type() == QEvent::ContextMenu && static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        QTreeView* view = kestrowMain->tvwData();
        const QRect current = view->visualRect(view->currentIndex());
        mnuKestrow->popup(view->viewport()->mapToGlobal(current.isValid() ? current.center() : QPoint()));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Form_Load()
{
    show();
    if (StartupFlags::current().LoadOnStartup)
        LoadFileTypes();
    else
        updateActions();
}

void frmMain::LoadFileTypes()
{
    StartupFlags& flags = StartupFlags::current();
    // The load replaces every record: the edit window must not keep one the model lets go of.
    if (m_edit)
        m_edit->Reset();
    setEnabled(false);
    // The load lets events through: no other window may reach the half-built collections.
    if (m_find)
        m_find->setEnabled(false);
    const long rc = kestrowMain->LoadCollection(flags.ShowProgress, flags.ShowSplash, flags.LoadFull);
    if (rc != 0 && rc != kResultCancelled && !m_closeAfterLoad)
        ShowError(QStringLiteral("There was an error loading file type information from the registry.\r\n\r\n"
                                 "Please restart and try again."),
                  rc);
    setEnabled(true);
    if (m_find)
        m_find->setEnabled(true);
    m_finder.reset(); // the places of the old collection mean nothing in the new one
    mnuFileLoad->setText(QStringLiteral("Reload File Types"));
    if (std::exchange(m_closeAfterLoad, false)) {
        close();
        return;
    }
    // The load selected a node of its own (or none): the panel follows it, as after a click.
    updateActions();
}

void frmMain::updateActions()
{
    // After a command the record in the edit window may be gone (removed, or its type refreshed).
    if (m_edit)
        m_edit->releaseIfGone();
    const SelectionView view = SelectionView::of(kestrowMain->core(), kestrowMain->SelectedNode());
    showPanel(view);
    showCommands(view);
}

void frmMain::showPanel(const SelectionView& view)
{
    frameInfo->setTitle(view.frameCaption);
    txtInfo0->setPlainText(view.description);
    txtInfo0->setVisible(view.showDescription);
    const auto rows = infoRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& [label, value] = rows[i];
        const SelectionView::Row& row = view.rows[i];
        label->setText(row.caption);
        value->setText(row.value);
        value->setCursorPosition(0);
        value->setToolTip(row.value); // the whole text, where the box is too narrow
        // A screen reader names the box after its row, as a sighted user reads it.
        value->setAccessibleName(QString(row.caption).remove(u':'));
        if (row.link)
            LinkLook::SetLabelStyle(label, row.toolTip);
        else
            LinkLook::ResetLabelStyle(label);
        label->setVisible(!view.showDescription);
        value->setVisible(!view.showDescription);
    }
}

void frmMain::showCommands(const SelectionView& view)
{
    btnAdd->setEnabled(view.canAdd);
    btnEdit->setEnabled(view.canEdit);
    btnRemove->setEnabled(view.canRemove);
    mnuKestrowAdd->setEnabled(view.canAdd);
    mnuKestrowEdit->setEnabled(view.canEdit);
    // Exporting only reads, so a read-only registry allows it too.
    mnuKestrowExport->setEnabled(view.item && IsItemKind(view.kind));
    mnuKestrowRemove->setEnabled(view.canRemove);
    mnuKestrowFind->setEnabled(view.canFind);
    mnuKestrowRefresh->setEnabled(view.canRefresh);
    mnuKestrowAssociateExt->setEnabled(view.canAssociate);
    mnuKestrowAssociateExt->setVisible(view.canAssociate);
    mnuKestrowAddTo->setEnabled(view.canAddTo);
    mnuKestrowAddTo->setVisible(view.canAddTo);
    mnuKestrowSep3->setVisible(view.canAssociate || view.canAddTo);
}

void frmMain::kestrowMain_NodeClick(KestrowNode* node)
{
    const SelectionView view = SelectionView::of(kestrowMain->core(), node);
    // The rows show the type as it was clicked; the refresh updates only its node.
    showPanel(view);
    if (view.kind == ITEM_FILETYPE && StartupFlags::current().RefreshOnSelect)
        ItemCommands(kestrowMain->core()).Refresh(view.item);
    showCommands(SelectionView::of(kestrowMain->core(), kestrowMain->SelectedNode()));
}

void frmMain::kestrowMain_MouseDown(qint16 button, qint16 /*shift*/, float x, float y)
{
    if (button == 2)
        mnuKestrow->popup(kestrowMain->tvwData()->viewport()->mapToGlobal(QPoint(int(x), int(y))));
}

void frmMain::ClickExecLabel(QLabel* label)
{
    QLineEdit* value = nullptr;
    for (const auto& [caption, box] : infoRows())
        if (caption == label)
            value = box;
    if (!value || !LinkLook::isLink(label))
        return;
    if (label->text() == QStringLiteral("CLSID:"))
        kestrowMain->ShowClsidTool(value->text());
    else
        ShowFileProperties(value->text(), this);
}

QString frmMain::chooseFileType(qint16 kind)
{
    frmAssoc chooser(kestrowMain->core(), this);
    chooser.SetMessage(kind);
    return UiSeams::execModal(chooser) == int(kResultAccepted) ? chooser.GetSelectedTypeKey() : QString();
}

void frmMain::btnAdd_Click()
{
    // The selection decides the kind and the file type offered, whatever state a button was left in.
    const SelectionView view = SelectionView::of(kestrowMain->core(), kestrowMain->SelectedNode());
    if (!view.canAdd || RefuseWhenReadOnly())
        return;
    frmAdd form(*kestrowMain, this);
    form.setHost(view.hostTypeKey);
    if (form.AddItem(view.addKind) && UiSeams::execModal(form) == int(kResultAccepted))
        if (KestrowNode* added = kestrowMain->GetNodeFromKey(form.AddedKey()))
            kestrowMain->SelectNode(added);
    updateActions();
}

void frmMain::btnEdit_Click()
{
    const SelectionView view = SelectionView::of(kestrowMain->core(), kestrowMain->SelectedNode());
    if (!view.canEdit)
        return;
    if (!m_edit) {
        m_edit = new frmEdit(*kestrowMain, this);
        // The panel shows the values written when the edited item is the one selected.
        connect(m_edit, &frmEdit::applied, this, &frmMain::updateActions);
    }
    m_edit->EditItem(view.kind, view.item);
}

void frmMain::btnRemove_Click()
{
    // The selection decides, whatever state a button was left in.
    ItemCommands(kestrowMain->core()).Remove(kestrowMain->GetSelectedItem());
    updateActions();
}

void frmMain::mnuKestrowExport_Click()
{
    const SelectionView view = SelectionView::of(kestrowMain->core(), kestrowMain->SelectedNode());
    if (!view.item || !IsItemKind(view.kind))
        return;
    FileSaveRequest request;
    request.title = QStringLiteral("Export");
    request.filter = QStringLiteral("Registration Files (*.reg)");
    request.suggestedPath = QDir::home().filePath(ItemExport::SuggestedFileName(view.kind, view.item));
    request.defaultSuffix = QStringLiteral("reg");
    request.owner = this;
    const QString fileName = UiSeams::saveFileName(request);
    if (fileName.isEmpty())
        return;
    QString error;
    if (const long rc = ItemExport::Export(view.kind, view.item, fileName, error); rc != 0)
        ShowError(error, rc);
}

void frmMain::mnuKestrowRefresh_Click()
{
    ItemCommands(kestrowMain->core()).Refresh(kestrowMain->GetSelectedItem());
    updateActions();
}

void frmMain::mnuKestrowAssociateExt_Click()
{
    const auto item = kestrowMain->GetSelectedItem();
    // A read-only registry is said before the user chooses anything.
    if (!item || item->ItemType() != ITEM_FILEEXTENSION || RefuseWhenReadOnly())
        return;
    if (const QString typeKey = chooseFileType(ITEM_FILEEXTENSION); !typeKey.isEmpty())
        ItemCommands(kestrowMain->core()).Associate(item, typeKey);
    updateActions();
}

void frmMain::mnuKestrowAddTo_Click()
{
    const auto item = kestrowMain->GetSelectedItem();
    if (!SelectionView::of(kestrowMain->core(), kestrowMain->SelectedNode()).canAddTo || RefuseWhenReadOnly())
        return;
    if (const QString typeKey = chooseFileType(item->ItemType()); !typeKey.isEmpty())
        ItemCommands(kestrowMain->core()).AddTo(item, typeKey);
    updateActions();
}

void frmMain::mnuFileLoad_Click()
{
    LoadFileTypes();
}

void frmMain::mnuFileRestore_Click()
{
    if (!m_prefix)
        return;
    frmRestore dialog(*m_prefix, this);
    // The restored file replaced the registry in memory: the tree shows what it holds now.
    if (UiSeams::execModal(dialog) == QDialog::Accepted)
        LoadFileTypes();
}

void frmMain::mnuFileClose_Click()
{
    close();
}

void frmMain::mnuToolsOptions_Click()
{
    frmOptions dialog(this);
    UiSeams::execModal(dialog);
}

void frmMain::mnuKestrowFind_Click()
{
    if (!m_find) {
        m_find = std::make_unique<frmFind>(*kestrowMain, m_finder);
        // A match selects a node without a click: the panel and the commands follow it.
        connect(m_find.get(), &frmFind::itemFound, this, &frmMain::updateActions);
    }
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
}

void frmMain::mnuHelpContents_Click()
{
    OpenHelpTopic(this, QStringLiteral("index.html"));
}

void frmMain::mnuHelpAbout_Click()
{
    frmAbout about(*kestrowMain, this);
    UiSeams::execModal(about);
}

void frmMain::btnClose_Click()
{
    close();
}
