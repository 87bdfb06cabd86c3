#include "control/tree/KestrowCore.h"

#include "common/Trace.h"
#include "control/records/Definitions.h"
#include "control/records/RecordRegistry.h"
#include "control/tree/IconList.h"
#include "control/tree/ItemKinds.h"
#include "control/tree/PredefinedImages.h"
#include "control/tree/TreeBinding.h"
#include "control/tree/TreeLayout.h"
#include "platform/registry/CommandScope.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

#include <initializer_list>

namespace {

constexpr int kTraceProgress = 200;
constexpr int kTraceError = 202;

// The single handler of an item operation: its failure is traced with the item's key and its
// number returned.
template <typename Body>
long itemOperation(const QString& procedure, const QString& doing, const std::shared_ptr<ItemObject>& item, Body&& body)
{
    return runOperation(procedure, kTraceError, std::forward<Body>(body), [&] {
        return QStringLiteral("%1 %2").arg(doing, item ? item->Key() : QString());
    });
}

// Whether HKEY_CLASSES_ROOT holds the key; a path that cannot address a key below it is never held.
bool inRegistry(std::initializer_list<QString> names)
{
    QString path;
    for (const QString& name : names) {
        if (!isSafeSubkeyPath(name))
            return false;
        path += (path.isEmpty() ? QString() : QStringLiteral("\\")) + name;
    }
    RegKeyHandle key;
    return RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

bool inRegistry(const FileTypeObject& type)
{
    return inRegistry({type.InternalName});
}

bool inRegistry(const FileExtensionObject& extension)
{
    return inRegistry({extension.Extension});
}

bool inRegistry(const ActionObject& action)
{
    return inRegistry({action.HostInternalName, QStringLiteral("shell"), action.CommandKey});
}

bool inRegistry(const ShellExtensionObject& handler)
{
    if (handler.ExtTypeGroup)
        return inRegistry({handler.HostInternalName, QStringLiteral("shellex"), handler.ExtTypeKey, handler.InternalName});
    return inRegistry({handler.HostInternalName, QStringLiteral("shellex"), handler.ExtTypeKey});
}

void refuseDuplicate(bool present)
{
    if (present)
        throw OperationError(kErrDuplicateKey,
                             QStringLiteral("This key is already associated with an element of this collection"));
}

// A record is added only where all of its nodes can go: below a node that is shown, under a key no
// node has. Checked before anything changes, so that a refused addition leaves nothing behind.
void checkNewNode(const KestrowTree& tree, const NodePath& path)
{
    if (tree.node(path.record().key))
        throw OperationError(kErrDuplicateNodeKey, QStringLiteral("Key is not unique in collection"));
}

void checkPlaceable(const KestrowTree& tree, const NodePath& path)
{
    checkNewNode(tree, path);
    const QString& outermost = path.begin()->parentKey;
    if (!outermost.isEmpty() && !tree.node(outermost))
        throw OperationError(kErrMissingNode, QStringLiteral("Element not found"));
}

// Adds a member to its host's collection and places its nodes; either both happen or neither.
template <typename Record>
long addMember(KestrowTree& tree, KeyedCollection<Record>& members, const std::shared_ptr<Record>& record,
               const NodePath& path)
{
    refuseDuplicate(members.contains(record->Key()));
    checkPlaceable(tree, path);
    members.add(record->Key(), record);
    PlaceNodes(tree, path);
    return 0;
}

} // namespace

KestrowCore::KestrowCore()
{
    for (const QString& key : PredefinedImageKeys())
        m_images.Add(QIcon(RenderPredefinedImage(key, 16)), key);
}

KestrowCore::~KestrowCore() = default;

void KestrowCore::Clear()
{
    m_tree.clear();
    m_fileTypes.clear();
    m_orphans.clear();
}

void KestrowCore::AddTypeIcon(const FileTypeObject& type)
{
    const QString key = type.Key();
    TraceEvent(QStringLiteral("AddTypeIcon"), [&] { return QStringLiteral("loading icon ") + type.IconPath; },
               kTraceProgress);
    if (m_images.Contains(key) || AddIcon(m_images, type.IconPath, ICON_SMALL, key) != -1)
        return;
    if (type.Special) {
        const QString iconKey = DefinitionField(SECTION_SPECIAL, type.SpecialIndex, FIELD_ICONKEY);
        if (m_images.Contains(iconKey)) {
            m_images.Add(m_images.Image(iconKey), key);
            return;
        }
    }
    TraceEvent(QStringLiteral("AddTypeIcon"),
               [&] { return QStringLiteral("error loading icon %1 - loading default icon").arg(type.IconPath); },
               kTraceError);
    AddIcon(m_images, kDefaultIconLocation, ICON_SMALL, key);
}

// ---- AddItem

long KestrowCore::AddItem(qint16 itemType, const std::shared_ptr<ItemObject>& item)
{
    return itemOperation(QStringLiteral("AddItem"), QStringLiteral("adding item with key"), item, [&]() -> long {
        return VisitItem(itemType, item,
                         Overloaded{[&](const std::shared_ptr<FileTypeObject>& type) { return addType(type); },
                                    [&](const std::shared_ptr<FileExtensionObject>& ext) { return addExtension(ext); },
                                    [&](const std::shared_ptr<ShellExtensionObject>& handler) {
                                        return addShellExtension(handler);
                                    },
                                    [&](const std::shared_ptr<ActionObject>& action) { return addAction(action); }});
    });
}

long KestrowCore::addType(const std::shared_ptr<FileTypeObject>& type)
{
    const QString key = type->Key();
    refuseDuplicate(m_fileTypes.contains(key));
    checkPlaceable(m_tree, FileTypeNodes(*type));
    m_fileTypes.add(key, type);
    AddTypeIcon(*type);
    if (const long rc = BindType(*this, *type); rc != 0)
        throw OperationError(rc, QStringLiteral("Error binding File Type to TreeView."), QStringLiteral("BindType"));
    return 0;
}

long KestrowCore::addExtension(const std::shared_ptr<FileExtensionObject>& extension)
{
    const auto type = m_fileTypes.item(extension->HostTypeKey);
    refuseDuplicate(type->FileExtensions.contains(extension->Key()));
    // The extension comes with the handlers it holds, as a reload would show it; those go below its
    // own node.
    checkPlaceable(m_tree, ExtensionNodes(*extension, extension->HostTypeKey));
    VisitSubtree(*extension, extension->HostTypeKey, [&](const NodePath& path) {
        checkNewNode(m_tree, path);
        return true;
    });
    type->FileExtensions.add(extension->Key(), extension);
    VisitSubtree(*extension, extension->HostTypeKey, [&](const NodePath& path) {
        PlaceNodes(m_tree, path);
        return true;
    });
    return 0;
}

long KestrowCore::addShellExtension(const std::shared_ptr<ShellExtensionObject>& handler)
{
    if (handler->FileExtensionSH) {
        const auto extension = hostExtension(*handler);
        return addMember(m_tree, extension->ShellExtensions, handler, ShellExtensionNodes(*handler, extension->Key()));
    }
    const auto type = m_fileTypes.item(handler->HostTypeKey);
    return addMember(m_tree, type->ShellExtensions, handler, ShellExtensionNodes(*handler, handler->HostTypeKey));
}

long KestrowCore::addAction(const std::shared_ptr<ActionObject>& action)
{
    const auto type = m_fileTypes.item(action->HostTypeKey);
    return addMember(m_tree, type->Actions, action, ActionNodes(*action, action->HostTypeKey));
}

// ---- RemoveItem

long KestrowCore::RemoveItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool removeFromReg,
                             bool removeFull)
{
    CommandScope save;
    return save.finish(itemOperation(QStringLiteral("RemoveItem"), QStringLiteral("removing item with key"), item,
                                     [&]() -> long {
        return VisitItem(
            itemType, item,
            Overloaded{[&](const std::shared_ptr<FileTypeObject>& type) {
                           return removeType(type, removeFromReg, removeFull);
                       },
                       [&](const std::shared_ptr<FileExtensionObject>& ext) { return removeExtension(ext, removeFromReg); },
                       [&](const std::shared_ptr<ShellExtensionObject>& handler) {
                           return removeShellExtension(handler, removeFromReg, removeFull);
                       },
                       [&](const std::shared_ptr<ActionObject>& action) { return removeAction(action, removeFromReg); }});
    }));
}

void KestrowCore::dropType(const FileTypeObject& type)
{
    const QString key = type.Key();
    m_fileTypes.tryRemove(key);
    m_images.Remove(key);
    if (m_tree.node(key))
        m_tree.remove(key);
}

void KestrowCore::removeMemberNode(const QString& key, int foldersAbove)
{
    KestrowNode* n = m_tree.node(key);
    if (!n)
        return;
    while (foldersAbove-- > 0 && n->parent() && n->parent()->childCount() == 1)
        n = n->parent();
    m_tree.remove(n->key());
}

long KestrowCore::removeType(const std::shared_ptr<FileTypeObject>& type, bool removeFromReg, bool removeFull)
{
    m_fileTypes.item(type->Key()); // throws 5: a record the model does not hold is not removed
    const long rc = removeFromReg ? type->RemoveMe(removeFull) : 0;
    if (rc != 0 && inRegistry(*type))
        return rc;
    dropType(*type);
    return rc;
}

long KestrowCore::removeExtension(const std::shared_ptr<FileExtensionObject>& extension, bool removeFromReg)
{
    const QString key = extension->Key();
    if (extension->HostTypeKey == kNotDefined) {
        m_orphans.item(key); // throws 5 when the model does not hold it
        const long rc = removeFromReg ? extension->RemoveMe() : 0;
        if (rc != 0 && inRegistry(*extension))
            return rc;
        m_orphans.remove(key);
        removeMemberNode(key, 0);
        return rc;
    }

    const auto type = m_fileTypes.item(extension->HostTypeKey);
    type->FileExtensions.item(key); // throws 5 when the model does not hold it
    const long rc = removeFromReg ? extension->RemoveMe() : 0;
    if (rc != 0 && inRegistry(*extension))
        return rc;
    if (type->FileExtensions.count() > 1) {
        type->FileExtensions.remove(key);
        removeMemberNode(key, 0);
        return rc;
    }
    // A file type lives by its extensions: without one it goes, from the registry too. Its last
    // extension's key was handled above, as the host asked.
    const long typeRc = type->RemoveMe(false);
    if (typeRc != 0 && !removeFromReg && inRegistry(*type))
        return typeRc; // both are still there: a reload would show them as they are
    type->FileExtensions.remove(key);
    dropType(*type);
    return rc != 0 ? rc : typeRc;
}

long KestrowCore::removeShellExtension(const std::shared_ptr<ShellExtensionObject>& handler, bool removeFromReg,
                                       bool removeFull)
{
    const QString key = handler->Key();
    KeyedCollection<ShellExtensionObject>& members = handler->FileExtensionSH
                                                         ? hostExtension(*handler)->ShellExtensions
                                                         : m_fileTypes.item(handler->HostTypeKey)->ShellExtensions;
    members.item(key); // throws 5 when the model does not hold it
    const long rc = removeFromReg ? handler->RemoveMe(removeFull) : 0;
    if (rc != 0 && inRegistry(*handler))
        return rc;
    members.remove(key);
    // A handler of a type sits in its group's folder inside "Shell Extensions".
    removeMemberNode(key, handler->FileExtensionSH ? 1 : 2);
    return rc;
}

long KestrowCore::removeAction(const std::shared_ptr<ActionObject>& action, bool removeFromReg)
{
    const QString key = action->Key();
    const auto type = m_fileTypes.item(action->HostTypeKey);
    type->Actions.item(key); // throws 5 when the model does not hold it
    const long rc = removeFromReg ? action->RemoveMe() : 0;
    if (rc != 0 && inRegistry(*action))
        return rc;
    type->Actions.remove(key);
    removeMemberNode(key, 1);
    return rc;
}

// ---- WriteItem, LoadItem, UpdateItem, CopyItem

long KestrowCore::WriteItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool writeFull)
{
    CommandScope save;
    return save.finish(itemOperation(QStringLiteral("WriteItem"), QStringLiteral("writing item with key"), item,
                                     [&]() -> long {
        return VisitItem(itemType, item,
                         Overloaded{[&](const std::shared_ptr<FileTypeObject>& type) { return type->WriteMe(writeFull); },
                                    [&](const std::shared_ptr<FileExtensionObject>& ext) { return ext->WriteMe(writeFull); },
                                    [](const std::shared_ptr<ShellExtensionObject>& handler) { return handler->WriteMe(); },
                                    [](const std::shared_ptr<ActionObject>& action) { return action->WriteMe(); }});
    }));
}

long KestrowCore::LoadItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool loadFull)
{
    return itemOperation(QStringLiteral("LoadItem"), QStringLiteral("loading item with key"), item, [&]() -> long {
        return VisitItem(itemType, item,
                         Overloaded{[&](const std::shared_ptr<FileTypeObject>& type) { return type->LoadMe(loadFull); },
                                    [&](const std::shared_ptr<FileExtensionObject>& ext) { return ext->LoadMe(loadFull); },
                                    [](const std::shared_ptr<ShellExtensionObject>& handler) { return handler->LoadMe(); },
                                    [](const std::shared_ptr<ActionObject>& action) { return action->LoadMe(); }});
    });
}

long KestrowCore::UpdateItem(qint16 itemType, const std::shared_ptr<ItemObject>& item)
{
    return itemOperation(QStringLiteral("UpdateItem"), QStringLiteral("updating item with key"), item, [&]() -> long {
        if (!IsItemKind(itemType))
            return 0;
        // The node shows the layout's text and image for the record as it is now.
        auto show = [&](const NodePath& path) {
            KestrowNode* n = m_tree.node(path.record().key);
            if (!n)
                throw OperationError(kErrMissingNode, QStringLiteral("Element not found"));
            m_tree.setText(n, path.record().text);
            m_tree.setImage(n, path.record().image);
            return 0L;
        };
        return VisitItem(
            itemType, item,
            Overloaded{[&](const std::shared_ptr<FileTypeObject>& type) { return updateType(type); },
                       [&](const std::shared_ptr<FileExtensionObject>& ext) {
                           return show(ExtensionNodes(*ext, ext->HostTypeKey));
                       },
                       [&](const std::shared_ptr<ShellExtensionObject>& handler) {
                           return show(ShellExtensionNodes(*handler, handler->FileExtensionSH ? HostExtensionKey(*handler)
                                                                                             : handler->HostTypeKey));
                       },
                       [&](const std::shared_ptr<ActionObject>& action) {
                           return show(ActionNodes(*action, action->HostTypeKey));
                       }});
    });
}

long KestrowCore::updateType(const std::shared_ptr<FileTypeObject>& type)
{
    const QString key = type->Key();
    KestrowNode* n = m_tree.node(key);
    if (!n)
        throw OperationError(kErrMissingNode, QStringLiteral("Element not found"));
    m_tree.removeChildren(n);
    if (type->UpdateIcon) {
        type->UpdateIcon = false;
        // The node lets go of its image while the image is extracted again.
        m_tree.setImage(n, m_images.Key(1));
        m_images.Remove(key);
        AddTypeIcon(*type);
        m_tree.setImage(n, key);
    }
    m_tree.setText(n, type->Name);
    return BindType(*this, *type);
}

std::shared_ptr<ItemObject> KestrowCore::CopyItem(qint16 itemType, const std::shared_ptr<ItemObject>& item) const
{
    TraceEvent(QStringLiteral("CopyItem"), [&] { return QStringLiteral("copying item with key ") + (item ? item->Key() : QString()); },
               kTraceProgress);
    // A copy is a new record: unlocked, and written in full wherever it goes.
    if (itemType == ITEM_SHELLEXTENSION) {
        if (const auto from = std::dynamic_pointer_cast<ShellExtensionObject>(item))
            return std::make_shared<ShellExtensionObject>(*from);
    } else if (itemType == ITEM_ACTION) {
        if (const auto from = std::dynamic_pointer_cast<ActionObject>(item))
            return std::make_shared<ActionObject>(*from);
    }
    return nullptr;
}

// ---- lookups

std::shared_ptr<FileExtensionObject> KestrowCore::hostExtension(const ShellExtensionObject& handler) const
{
    return RecordAs<FileExtensionObject>(GetItemFromKey(HostExtensionKey(handler)));
}

std::shared_ptr<ItemObject> KestrowCore::GetItemFromNode(const KestrowNode* n) const
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

std::shared_ptr<ItemObject> KestrowCore::GetItemFromKey(const QString& itemKey) const
{
    return GetItemFromNode(m_tree.node(itemKey));
}
