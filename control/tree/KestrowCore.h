#pragma once

#include "control/records/FileExtensionObject.h"
#include "control/records/FileTypeObject.h"
#include "control/records/ItemObject.h"
#include "control/records/KeyedCollection.h"
#include "control/tree/ImageList.h"
#include "control/tree/KestrowNode.h"
#include "control/tree/KestrowTree.h"

#include <memory>

// The control without its window: the loaded model (file types and orphaned extensions), the tree
// of nodes that shows it, the icons, and the item operations through which the host reads and
// changes the model. The operations keep collections, tree, icons and registry in agreement: a
// registry step comes first, and the model follows what the registry then holds. Nothing here
// needs a widget; the Kestrow widget shows the tree and passes its operations on.
class KestrowCore {
public:
    KestrowCore();
    ~KestrowCore();
    KestrowCore(const KestrowCore&) = delete;
    KestrowCore& operator=(const KestrowCore&) = delete;

    KeyedCollection<FileTypeObject>& FileTypeCollection() { return m_fileTypes; }
    const KeyedCollection<FileTypeObject>& FileTypeCollection() const { return m_fileTypes; }
    void setFileTypeCollection(KeyedCollection<FileTypeObject> collection) { m_fileTypes = std::move(collection); }
    KeyedCollection<FileExtensionObject>& OrphanedExtensions() { return m_orphans; }
    const KeyedCollection<FileExtensionObject>& OrphanedExtensions() const { return m_orphans; }
    void setOrphanedExtensions(KeyedCollection<FileExtensionObject> collection) { m_orphans = std::move(collection); }
    ImageList& imlIcons() { return m_images; }
    const ImageList& imlIcons() const { return m_images; }
    KestrowTree& tree() { return m_tree; }
    const KestrowTree& tree() const { return m_tree; }

    // The item operations. Every one checks its arguments: no record, or a record of another
    // class than its kind, gives 91; a kind outside 1 to 4 gives 1004 (UpdateItem: 0).

    // Adds a record, with every member it holds, to the model and the tree; writes nothing.
    long AddItem(qint16 itemType, const std::shared_ptr<ItemObject>& item);
    // Removes a record from model and tree and, when asked, from the registry first. The last
    // extension of a file type takes the type with it, from the registry too. When the registry
    // refuses, a record the registry still holds stays in the model.
    long RemoveItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool removeFromReg = false,
                    bool removeFull = false);
    // Writes a record; 1013 when the write could not be saved.
    long WriteItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool writeFull = false);
    long LoadItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool loadFull = false);
    // Shows what the host changed in a record: a file type's node and members are built again.
    long UpdateItem(qint16 itemType, const std::shared_ptr<ItemObject>& item);
    // A detached copy of a shell extension or an action; none for other kinds.
    std::shared_ptr<ItemObject> CopyItem(qint16 itemType, const std::shared_ptr<ItemObject>& item) const;

    // Empties the tree and both collections; the image list stays.
    void Clear();
    long Count() const { return m_fileTypes.count(); }

    std::shared_ptr<ItemObject> GetItemFromNode(const KestrowNode* node) const;
    std::shared_ptr<ItemObject> GetItemFromKey(const QString& itemKey) const;
    KestrowNode* GetNodeFromKey(const QString& itemKey) const { return m_tree.node(itemKey); }

    // Gives a file type its image under its key unless it has one: its own icon, else for a
    // special type the predefined image its row names, else the default icon.
    void AddTypeIcon(const FileTypeObject& type);

private:
    long addType(const std::shared_ptr<FileTypeObject>& type);
    long addExtension(const std::shared_ptr<FileExtensionObject>& extension);
    long addShellExtension(const std::shared_ptr<ShellExtensionObject>& handler);
    long addAction(const std::shared_ptr<ActionObject>& action);
    long removeType(const std::shared_ptr<FileTypeObject>& type, bool removeFromReg, bool removeFull);
    long removeExtension(const std::shared_ptr<FileExtensionObject>& extension, bool removeFromReg);
    long removeShellExtension(const std::shared_ptr<ShellExtensionObject>& handler, bool removeFromReg,
                              bool removeFull);
    long removeAction(const std::shared_ptr<ActionObject>& action, bool removeFromReg);
    long updateType(const std::shared_ptr<FileTypeObject>& type);

    // The extension a handler of an extension belongs to; throws 91 when it is not shown.
    std::shared_ptr<FileExtensionObject> hostExtension(const ShellExtensionObject& handler) const;
    // Takes a file type out of collection, image list and tree.
    void dropType(const FileTypeObject& type);
    // Removes a member's node, and the `foldersAbove` folders that it leaves empty.
    void removeMemberNode(const QString& key, int foldersAbove);

    ImageList m_images;
    KestrowTree m_tree{m_images};
    KeyedCollection<FileTypeObject> m_fileTypes;
    KeyedCollection<FileExtensionObject> m_orphans;
};
