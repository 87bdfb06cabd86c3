#include "control/tree/Kestrow.h"

#include "common/Trace.h"
#include "control/records/Definitions.h"
#include "control/tools/frmApprovedMngr.h"
#include "control/tools/frmClsidTool.h"
#include "control/tools/frmMimeTypes.h"
#include "control/tree/CollectionLoader.h"
#include "control/tree/LoadProgress.h"
#include "control/tree/ProgressBox.h"
#include "control/tree/TreeLayout.h"
#include "control/tree/frmSplash.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kTraceProgress = 200;

} // namespace

// The tree view: reports presses after it has selected what was pressed, and tells whether the
// current node is moving because of a key the user pressed.
class KestrowView : public QTreeView {
public:
    using QTreeView::QTreeView;
    std::function<void(QMouseEvent*)> onPress;
    bool handlingKey() const { return m_handlingKey; }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        QTreeView::mousePressEvent(event);
        if (onPress)
            onPress(event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const QScopedValueRollback handling(m_handlingKey, true);
        QTreeView::keyPressEvent(event);
    }

private:
    bool m_handlingKey = false;
};

// A load as the user sees it: the progress box with its Cancel button, or the splash screen. A
// previous load is cleared under the progress box's waiting message whatever was asked for.
class Kestrow::Display : public LoadProgress {
public:
    Display(Kestrow& control, bool showProgressBox, bool showSplashScreen)
        : m_control(control)
        , m_showProgressBox(showProgressBox)
        , m_showSplashScreen(showSplashScreen)
    {
    }

    void clearingStarted() override
    {
        ProgressBox& box = m_control.progressBox();
        box.setWindowTitle(QStringLiteral("Varnook"));
        box.DisplayMessage(QStringLiteral("Clearing previously loaded file type information.\r\n\r\nPlease wait..."));
        box.show();
    }

    void clearingFinished() override
    {
        if (!m_showProgressBox)
            m_control.progressBox().close();
    }

    void started(int count) override
    {
        if (m_showProgressBox) {
            m_box = &m_control.progressBox();
            m_box->setWindowTitle(QStringLiteral("Loading File Types..."));
            m_box->setMax(count);
            m_box->ShowCancelButton();
            m_box->HideMessage();
            m_box->show();
        } else if (m_showSplashScreen) {
            m_splash = &m_control.splash();
            m_splash->setMax(count);
            m_splash->setMessage(QStringLiteral("Loading File Types"));
            m_splash->setInfoMsg(QStringLiteral("<Initializing>"));
            m_splash->show();
        }
    }

    void advanced(int index) override
    {
        if (m_box)
            m_box->Update(index);
        else if (m_splash)
            m_splash->Update(index);
    }

    void stageChanged(const QString& message) override
    {
        if (m_splash) {
            m_splash->setMessage(message);
            m_splash->setInfoMsg(QString());
        }
    }

    void typeLoaded(const QString& name) override
    {
        if (m_splash)
            m_splash->setInfoMsg(name);
    }

    bool cancelRequested() const override
    {
        return m_control.m_cancelRequested || (m_box && m_box->cancelRequested());
    }

    void finished() override
    {
        if (m_showProgressBox)
            m_control.progressBox().close();
        if (m_showSplashScreen)
            m_control.splash().close();
    }

private:
    Kestrow& m_control;
    const bool m_showProgressBox;
    const bool m_showSplashScreen;
    ProgressBox* m_box = nullptr;
    frmSplash* m_splash = nullptr;
};

Kestrow::Kestrow(QWidget* parent)
    : QWidget(parent)
{
    auto* view = new KestrowView(this);
    m_view = view;
    m_view->setObjectName(QStringLiteral("tvwData"));
    m_view->setModel(&m_core.tree());
    m_view->setHeaderHidden(true);
    m_view->setUniformRowHeights(true);
    m_view->setIconSize(QSize(16, 16));
    m_view->header()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    connect(m_view, &QTreeView::expanded, this, &Kestrow::tvwData_Expanded);
    connect(m_view, &QTreeView::collapsed, this, &Kestrow::tvwData_Collapsed);
    // A key that moves the selection clicks the node it moves to; mouse presses report through
    // pressed(). The program's own selections, and the moves of a removed node's selection to a
    // neighbour, are no clicks: the host would hear of them in the middle of its own operation.
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, view](const QModelIndex& current) {
                if (view->handlingKey())
                    tvwData_CurrentChanged(current);
            });
    connect(m_view, &QTreeView::pressed, this, [this](const QModelIndex& index) {
        if (KestrowNode* n = m_core.tree().nodeAt(index))
            emit NodeClick(n);
    });
    view->onPress = [this](QMouseEvent* event) {
        const auto buttons = event->button();
        const qint16 button = buttons == Qt::LeftButton ? 1 : buttons == Qt::RightButton ? 2 : buttons == Qt::MiddleButton ? 4 : 0;
        const auto mods = event->modifiers();
        const qint16 shift = qint16((mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) |
                                    (mods & Qt::AltModifier ? 4 : 0));
        emit MouseDown(button, shift, float(event->position().x()), float(event->position().y()));
    };
}

Kestrow::~Kestrow() = default;

ProgressBox& Kestrow::progressBox()
{
    if (!m_progress)
        m_progress = std::make_unique<ProgressBox>();
    return *m_progress;
}

frmSplash& Kestrow::splash()
{
    if (!m_splash)
        m_splash = std::make_unique<frmSplash>();
    return *m_splash;
}

long Kestrow::LoadCollection(bool& showProgressBox, bool& showSplashScreen, bool loadFull)
{
    if (showSplashScreen)
        showProgressBox = false;
    m_cancelRequested = false;
    const QScopedValueRollback loading(m_loading, true);
    Display display(*this, showProgressBox, showSplashScreen);
    const long result = ::LoadCollection(m_core, loadFull, &display);
    if (result == 0) {
        // The all-files type is where a user starts.
        if (KestrowNode* all = m_core.tree().node(FileTypeKey(QStringLiteral("*")))) {
            SelectNode(all);
            m_core.tree().setExpanded(all, false);
        }
    }
    return result;
}

KestrowNode* Kestrow::SelectedNode() const
{
    return m_core.tree().nodeAt(m_view->currentIndex());
}

void Kestrow::SelectNode(KestrowNode* n)
{
    const QModelIndex index = m_core.tree().indexOf(n);
    m_view->setCurrentIndex(index);
    m_view->scrollTo(index);
}

void Kestrow::ShowApprovedManager()
{
    if (m_approvedMngr) {
        // Already open: brought to the front as it is, without reading the list again.
        m_approvedMngr->show();
        m_approvedMngr->raise();
        m_approvedMngr->activateWindow();
        return;
    }
    m_approvedMngr = new frmApprovedMngr(this);
    connect(m_approvedMngr, &frmApprovedMngr::QueryClsid, this, [this](const QString& clsid) { ShowClsidTool(clsid); });
    m_approvedMngr->ShowApprovedManager();
}

void Kestrow::ShowMimeTypes()
{
    if (!m_mimeTypes) {
        m_mimeTypes = new frmMimeTypes(this);
        connect(m_mimeTypes, &frmMimeTypes::QueryClsid, this, [this](const QString& clsid) { ShowClsidTool(clsid); });
    }
    m_mimeTypes->ShowMimeTypes(); // reads the list on its first showing only
}

void Kestrow::ShowClsidTool(const QString& clsid)
{
    if (!m_clsidTool)
        m_clsidTool = new frmClsidTool(this);
    // A CLSID is queried even in an open tool; without one an open tool shows as it is.
    if (!clsid.isEmpty())
        m_clsidTool->StartWithQuery(clsid);
    else
        m_clsidTool->show();
    m_clsidTool->raise();
    m_clsidTool->activateWindow();
}

QString Kestrow::GetVersionString() const
{
    return QStringLiteral("%1.%2.%3").arg(KESTROW_VERSION_MAJOR).arg(KESTROW_VERSION_MINOR).arg(KESTROW_VERSION_REVISION);
}

void Kestrow::tvwData_Expanded(const QModelIndex& index)
{
    KestrowNode* n = m_core.tree().nodeAt(index);
    if (!n)
        return;
    m_core.tree().setExpanded(n, true);
    if (const QString image = FolderImage(n->key(), true); !image.isEmpty())
        m_core.tree().setImage(n, image);
    emit Expand(n);
}

void Kestrow::tvwData_Collapsed(const QModelIndex& index)
{
    KestrowNode* n = m_core.tree().nodeAt(index);
    if (!n)
        return;
    m_core.tree().setExpanded(n, false);
    if (const QString image = FolderImage(n->key(), false); !image.isEmpty())
        m_core.tree().setImage(n, image);
    emit Collapse(n);
}

void Kestrow::tvwData_CurrentChanged(const QModelIndex& current)
{
    if (KestrowNode* n = m_core.tree().nodeAt(current))
        emit NodeClick(n);
}
