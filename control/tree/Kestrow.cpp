#include "control/tree/Kestrow.h"

#include "common/Trace.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"
#include "control/tree/CollectionLoader.h"
#include "control/tree/IconList.h"
#include "control/tree/PredefinedImages.h"
#include "control/tree/ProgressBox.h"
#include "control/tree/TreeBinding.h"
#include "control/tree/frmSplash.h"
#include "platform/registry/CommandScope.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kTraceProgress = 200;
constexpr int kTraceError = 202;
// Object variable not set: the record an operation needs is not there.
constexpr long kErrNoObject = 91;

const QString kNotDefined = QStringLiteral("<not defined>");

// The single handler of an item operation: its failure is traced with the item's key and its
// number returned.
template <typename Body>
long itemOperation(const QString& procedure, const QString& doing, const std::shared_ptr<ItemObject>& item, Body&& body)
{
    const QString key = item ? item->Key() : QString();
    try {
        return body();
    } catch (const OperationError& e) {
        TraceEvent(procedure, QStringLiteral("error %1 %2 %3").arg(e.number()).arg(doing, key), kTraceError);
        return e.number();
    } catch (const std::exception&) {
        TraceEvent(procedure, QStringLiteral("error %1 %2 %3").arg(kErrorInternal).arg(doing, key), kTraceError);
        return kErrorInternal;
    }
}

// The key of the extension a handler of an extension belongs to. Handlers loaded with their
// extension know only its name; those the host makes also carry its key.
QString hostExtensionKey(const ShellExtensionObject& handler)
{
    return handler.HostTypeKey.isEmpty() ? FileExtensionKey(handler.HostInternalName) : handler.HostTypeKey;
}

template <typename T>
std::shared_ptr<T> as(const std::shared_ptr<ItemObject>& item)
{
    auto typed = std::dynamic_pointer_cast<T>(item);
    if (!typed)
        throw OperationError(kErrNoObject, QStringLiteral("Object variable or With block variable not set"));
    return typed;
}

// A folder an added item goes into: the existing one, or a new one below `parentKey`.
void ensureFolder(KestrowTree& tree, const QString& parentKey, const QString& key, const QString& text,
                  const QString& image)
{
    if (!tree.node(key))
        tree.add(parentKey, key, text, image);
}

// Removes a record's node, and the folders that would be left without children.
void removeNodeAndEmptyFolders(KestrowTree& tree, const QString& key, int foldersToPrune)
{
    KestrowNode* n = tree.node(key);
    if (!n)
        throw OperationError(kErrMissingNode, QStringLiteral("Element not found"));
    while (foldersToPrune-- > 0 && n->parent() && n->parent()->childCount() == 1)
        n = n->parent();
    tree.remove(n->key());
}

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

Kestrow::Kestrow(QWidget* parent)
    : QWidget(parent)
    , m_tree(std::make_unique<KestrowTree>(m_images))
{
    auto* view = new KestrowView(this);
    m_view = view;
    m_view->setObjectName(QStringLiteral("tvwData"));
    m_view->setModel(m_tree.get());
    m_view->setHeaderHidden(true);
    m_view->setUniformRowHeights(true);
    m_view->setIconSize(QSize(16, 16));
    m_view->header()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    for (const QString& key : PredefinedImageKeys())
        m_images.Add(QIcon(RenderPredefinedImage(key, 16)), key);

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
        if (KestrowNode* n = m_tree->nodeAt(index))
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
    return ::LoadCollection(*this, showProgressBox, showSplashScreen, loadFull);
}

void Kestrow::Clear()
{
    m_tree->clear();
    m_fileTypes.clear();
    m_orphans.clear();
}

long Kestrow::AddItem(qint16 itemType, const std::shared_ptr<ItemObject>& item)
{
    return itemOperation(QStringLiteral("AddItem"), QStringLiteral("adding item with key"), item, [&]() -> long {
        switch (itemType) {
        case ITEM_FILETYPE: {
            auto type = as<FileTypeObject>(item);
            m_fileTypes.add(type->Key(), type);
            if (AddIcon(m_images, type->IconPath, ICON_SMALL, type->Key()) == -1)
                AddIcon(m_images, kDefaultIconLocation, ICON_SMALL, type->Key());
            if (const long rc = BindType(*this, *type); rc != 0)
                throw OperationError(rc, QStringLiteral("Error binding File Type to TreeView."), QStringLiteral("BindType"));
            return 0;
        }
        case ITEM_FILEEXTENSION: {
            auto ext = as<FileExtensionObject>(item);
            m_fileTypes.item(ext->HostTypeKey)->FileExtensions.add(ext->Key(), ext);
            const QString folder = ExtensionsFolderKey(ext->HostTypeKey);
            ensureFolder(*m_tree, ext->HostTypeKey, folder, QLatin1String(kExtensionsFolderText),
                         QStringLiteral("favfolder.closed"));
            m_tree->add(folder, ext->Key(), ext->Extension, ext->HostTypeKey);
            return 0;
        }
        case ITEM_SHELLEXTENSION: {
            auto handler = as<ShellExtensionObject>(item);
            if (handler->FileExtensionSH) {
                auto ext = as<FileExtensionObject>(GetItemFromKey(hostExtensionKey(*handler)));
                ext->ShellExtensions.add(handler->Key(), handler);
                const QString folder = ExtensionShellExtensionsFolderKey(ext->Key());
                ensureFolder(*m_tree, ext->Key(), folder, QLatin1String(kShellExtensionsFolderText),
                             QStringLiteral("controlfolder.closed"));
                m_tree->add(folder, handler->Key(), handler->Name, QStringLiteral("shellext.default"));
                return 0;
            }
            m_fileTypes.item(handler->HostTypeKey)->ShellExtensions.add(handler->Key(), handler);
            const QString folder = ShellExtensionsFolderKey(handler->HostTypeKey);
            ensureFolder(*m_tree, handler->HostTypeKey, folder, QLatin1String(kShellExtensionsFolderText),
                         QStringLiteral("controlfolder.closed"));
            const QString group = ShellExtensionGroupFolderKey(handler->HostTypeKey, handler->ExtTypeIndex);
            ensureFolder(*m_tree, folder, group, ShellExtensionGroupName(handler->ExtTypeIndex),
                         QStringLiteral("controlfolder.closed"));
            m_tree->add(group, handler->Key(), handler->Name, QStringLiteral("shellext.default"));
            return 0;
        }
        case ITEM_ACTION: {
            auto action = as<ActionObject>(item);
            m_fileTypes.item(action->HostTypeKey)->Actions.add(action->Key(), action);
            const QString folder = ActionsFolderKey(action->HostTypeKey);
            ensureFolder(*m_tree, action->HostTypeKey, folder, QLatin1String(kActionsFolderText),
                         QStringLiteral("progfolder.closed"));
            m_tree->add(folder, action->Key(), action->Name, QStringLiteral("action.default"));
            return 0;
        }
        default:
            return kResultBadItemType;
        }
    });
}

long Kestrow::RemoveItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool removeFromReg, bool removeFull)
{
    CommandScope save;
    return save.finish(itemOperation(QStringLiteral("RemoveItem"), QStringLiteral("removing item with key"), item, [&]() -> long {
        switch (itemType) {
        case ITEM_FILETYPE: {
            auto type = as<FileTypeObject>(item);
            m_fileTypes.remove(type->Key());
            m_images.Remove(type->Key());
            m_tree->remove(type->Key());
            // A failed registry removal is reported, not hidden: the type would come back on the
            // next load.
            return removeFromReg ? type->RemoveMe(removeFull) : 0;
        }
        case ITEM_FILEEXTENSION: {
            auto ext = as<FileExtensionObject>(item);
            if (ext->HostTypeKey == kNotDefined) {
                m_orphans.remove(ext->Key());
                m_tree->remove(ext->Key());
            } else {
                auto type = m_fileTypes.item(ext->HostTypeKey);
                type->FileExtensions.remove(ext->Key());
                if (type->FileExtensions.isEmpty()) {
                    // A file type lives by its extensions: without one it goes, from the registry too.
                    if (const long rc = RemoveItem(ITEM_FILETYPE, type, true, true); rc != 0)
                        return rc;
                } else {
                    m_tree->remove(ext->Key());
                }
            }
            return removeFromReg ? ext->RemoveMe() : 0;
        }
        case ITEM_SHELLEXTENSION: {
            auto handler = as<ShellExtensionObject>(item);
            if (handler->FileExtensionSH) {
                auto ext = as<FileExtensionObject>(GetItemFromKey(hostExtensionKey(*handler)));
                ext->ShellExtensions.remove(handler->Key());
                removeNodeAndEmptyFolders(*m_tree, handler->Key(), 1);
            } else {
                m_fileTypes.item(handler->HostTypeKey)->ShellExtensions.remove(handler->Key());
                removeNodeAndEmptyFolders(*m_tree, handler->Key(), 2);
            }
            return removeFromReg ? handler->RemoveMe(removeFull) : 0;
        }
        case ITEM_ACTION: {
            auto action = as<ActionObject>(item);
            m_fileTypes.item(action->HostTypeKey)->Actions.remove(action->Key());
            removeNodeAndEmptyFolders(*m_tree, action->Key(), 1);
            return removeFromReg ? action->RemoveMe() : 0;
        }
        default:
            return kResultBadItemType;
        }
    }));
}

long Kestrow::WriteItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool writeFull)
{
    CommandScope save;
    return save.finish(itemOperation(QStringLiteral("WriteItem"), QStringLiteral("writing item with key"), item, [&]() -> long {
        switch (itemType) {
        case ITEM_FILETYPE: return as<FileTypeObject>(item)->WriteMe(writeFull);
        case ITEM_FILEEXTENSION: return as<FileExtensionObject>(item)->WriteMe(writeFull);
        case ITEM_SHELLEXTENSION: return as<ShellExtensionObject>(item)->WriteMe();
        case ITEM_ACTION: return as<ActionObject>(item)->WriteMe();
        default: return kResultBadItemType;
        }
    }));
}

long Kestrow::LoadItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool loadFull)
{
    return itemOperation(QStringLiteral("LoadItem"), QStringLiteral("loading item with key"), item, [&]() -> long {
        switch (itemType) {
        case ITEM_FILETYPE: return as<FileTypeObject>(item)->LoadMe(loadFull);
        case ITEM_FILEEXTENSION: return as<FileExtensionObject>(item)->LoadMe(loadFull);
        case ITEM_SHELLEXTENSION: return as<ShellExtensionObject>(item)->LoadMe();
        case ITEM_ACTION: return as<ActionObject>(item)->LoadMe();
        default: return kResultBadItemType;
        }
    });
}

long Kestrow::UpdateItem(qint16 itemType, const std::shared_ptr<ItemObject>& item)
{
    return itemOperation(QStringLiteral("UpdateItem"), QStringLiteral("updating item with key"), item, [&]() -> long {
        if (itemType < ITEM_FILETYPE || itemType > ITEM_ACTION)
            return 0;
        KestrowNode* n = m_tree->node(item->Key());
        if (!n)
            throw OperationError(kErrMissingNode, QStringLiteral("Element not found"));
        switch (itemType) {
        case ITEM_FILETYPE: {
            auto type = as<FileTypeObject>(item);
            m_tree->removeChildren(n);
            if (type->UpdateIcon) {
                type->UpdateIcon = false;
                m_tree->setImage(n, m_images.Key(1));
                m_images.Remove(type->Key());
                if (AddIcon(m_images, type->IconPath, ICON_SMALL, type->Key()) == -1)
                    AddIcon(m_images, kDefaultIconLocation, ICON_SMALL, type->Key());
                m_tree->setImage(n, type->Key());
            }
            m_tree->setText(n, type->Name);
            if (const long rc = BindType(*this, *type); rc != 0)
                return rc;
            return 0;
        }
        case ITEM_FILEEXTENSION: {
            auto ext = as<FileExtensionObject>(item);
            m_tree->setText(n, ext->Extension);
            m_tree->setImage(n, ext->HostTypeKey);
            return 0;
        }
        case ITEM_SHELLEXTENSION:
            m_tree->setText(n, as<ShellExtensionObject>(item)->Name);
            return 0;
        default:
            m_tree->setText(n, as<ActionObject>(item)->Name);
            return 0;
        }
    });
}

std::shared_ptr<ItemObject> Kestrow::CopyItem(qint16 itemType, const std::shared_ptr<ItemObject>& item) const
{
    TraceEvent(QStringLiteral("CopyItem"), QStringLiteral("copying item with key ") + (item ? item->Key() : QString()),
               kTraceProgress);
    if (itemType == ITEM_SHELLEXTENSION) {
        auto from = std::dynamic_pointer_cast<ShellExtensionObject>(item);
        if (!from)
            return nullptr;
        auto copy = std::make_shared<ShellExtensionObject>();
        copy->Approved = from->Approved;
        copy->CLSID = from->CLSID;
        copy->ExtTypeGroup = from->ExtTypeGroup;
        copy->ExtTypeIndex = from->ExtTypeIndex;
        copy->ExtTypeKey = from->ExtTypeKey;
        copy->FileExtensionSH = from->FileExtensionSH;
        copy->HostInternalName = from->HostInternalName;
        copy->HostTypeKey = from->HostTypeKey;
        copy->Inproc = from->Inproc;
        copy->Inproc32 = from->Inproc32;
        copy->InternalName = from->InternalName;
        copy->Name = from->Name;
        copy->ThreadModel = from->ThreadModel;
        return copy;
    }
    if (itemType == ITEM_ACTION) {
        auto from = std::dynamic_pointer_cast<ActionObject>(item);
        if (!from)
            return nullptr;
        auto copy = std::make_shared<ActionObject>();
        copy->Command = from->Command;
        copy->CommandKey = from->CommandKey;
        copy->DDE_App = from->DDE_App;
        copy->DDE_AppNoRun = from->DDE_AppNoRun;
        copy->DDE_Message = from->DDE_Message;
        copy->DDE_Topic = from->DDE_Topic;
        copy->HostInternalName = from->HostInternalName;
        copy->HostTypeKey = from->HostTypeKey;
        copy->Name = from->Name;
        return copy;
    }
    return nullptr;
}

std::shared_ptr<ItemObject> Kestrow::GetItemFromNode(const KestrowNode* n) const
{
    if (!n)
        return nullptr;
    const QString& key = n->key();
    const QString prefix = key.left(5);
    // The file type a member node belongs to, `levels` up the tree.
    auto typeAbove = [&](const KestrowNode* from, int levels) -> std::shared_ptr<FileTypeObject> {
        for (; from && levels > 0; --levels)
            from = from->parent();
        return from ? m_fileTypes.value(from->key()) : nullptr;
    };
    if (prefix == KEY_PREFIX_FILETYPE)
        return m_fileTypes.value(key);
    if (prefix == KEY_PREFIX_FILEEXTENSION) {
        if (auto type = typeAbove(n, 2))
            if (auto ext = type->FileExtensions.value(key))
                return ext;
        return m_orphans.value(key);
    }
    if (prefix == KEY_PREFIX_ACTION) {
        auto type = typeAbove(n, 2);
        return type ? type->Actions.value(key) : nullptr;
    }
    if (prefix == KEY_PREFIX_SHELLEXTENSION) {
        if (auto type = typeAbove(n, 3))
            if (auto handler = type->ShellExtensions.value(key))
                return handler;
        const KestrowNode* extNode = n->parent() ? n->parent()->parent() : nullptr;
        auto type = typeAbove(extNode, 2);
        auto ext = (type && extNode) ? type->FileExtensions.value(extNode->key()) : nullptr;
        return ext ? ext->ShellExtensions.value(key) : nullptr;
    }
    return nullptr;
}

std::shared_ptr<ItemObject> Kestrow::GetItemFromKey(const QString& itemKey) const
{
    return GetItemFromNode(m_tree->node(itemKey));
}

KestrowNode* Kestrow::GetNodeFromKey(const QString& itemKey) const
{
    return m_tree->node(itemKey);
}

KestrowNode* Kestrow::SelectedNode() const
{
    return m_tree->nodeAt(m_view->currentIndex());
}

std::shared_ptr<ItemObject> Kestrow::GetSelectedItem() const
{
    return GetItemFromNode(SelectedNode());
}

void Kestrow::SelectNode(KestrowNode* n)
{
    const QModelIndex index = m_tree->indexOf(n);
    m_view->setCurrentIndex(index);
    m_view->scrollTo(index);
}

void Kestrow::ShowApprovedManager()
{
    TraceEvent(QStringLiteral("ShowApprovedManager"), QStringLiteral("the approved list window is not part of this build"),
               kTraceProgress);
}

void Kestrow::ShowMimeTypes()
{
    TraceEvent(QStringLiteral("ShowMimeTypes"), QStringLiteral("the MIME types window is not part of this build"),
               kTraceProgress);
}

void Kestrow::ShowClsidTool(const QString& clsid)
{
    TraceEvent(QStringLiteral("ShowClsidTool"), QStringLiteral("the CLSID tool is not part of this build: ") + clsid,
               kTraceProgress);
}

QString Kestrow::GetVersionString() const
{
    return QStringLiteral("%1.%2.%3").arg(KESTROW_VERSION_MAJOR).arg(KESTROW_VERSION_MINOR).arg(KESTROW_VERSION_REVISION);
}

void Kestrow::tvwData_Expanded(const QModelIndex& index)
{
    KestrowNode* n = m_tree->nodeAt(index);
    if (!n)
        return;
    m_tree->setExpanded(n, true);
    if (const QString image = FolderImage(n->key(), true); !image.isEmpty())
        m_tree->setImage(n, image);
    emit Expand(n);
}

void Kestrow::tvwData_Collapsed(const QModelIndex& index)
{
    KestrowNode* n = m_tree->nodeAt(index);
    if (!n)
        return;
    m_tree->setExpanded(n, false);
    if (const QString image = FolderImage(n->key(), false); !image.isEmpty())
        m_tree->setImage(n, image);
    emit Collapse(n);
}

void Kestrow::tvwData_CurrentChanged(const QModelIndex& current)
{
    if (KestrowNode* n = m_tree->nodeAt(current))
        emit NodeClick(n);
}
