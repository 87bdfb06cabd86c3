#pragma once

#include "control/records/FileExtensionObject.h"
#include "control/records/FileTypeObject.h"
#include "control/records/ItemObject.h"
#include "control/records/KeyedCollection.h"
#include "control/tree/ImageList.h"
#include "control/tree/KestrowNode.h"
#include "control/tree/KestrowTree.h"

#include <QWidget>

#include <memory>

class frmSplash;
class ProgressBox;
class QTreeView;

// The tree control: it loads every file type, file extension, action and shell extension of
// HKEY_CLASSES_ROOT into its collections, shows them as a tree, and offers the operations through
// which its host reads, adds, writes, updates, removes, reloads and copies items. The host never
// touches the registry, the tree or the collections but through these.
class Kestrow : public QWidget {
    Q_OBJECT

public:
    explicit Kestrow(QWidget* parent = nullptr);
    ~Kestrow() override;

    KeyedCollection<FileTypeObject>& FileTypeCollection() { return m_fileTypes; }
    void setFileTypeCollection(KeyedCollection<FileTypeObject> collection) { m_fileTypes = std::move(collection); }
    KeyedCollection<FileExtensionObject>& OrphanedExtensions() { return m_orphans; }
    void setOrphanedExtensions(KeyedCollection<FileExtensionObject> collection) { m_orphans = std::move(collection); }

    // Loads everything anew. With `showSplashScreen` the splash screen is shown and
    // `showProgressBox` is set to false. Returns 0, 1001 when the user cancelled, 2002 when
    // HKEY_CLASSES_ROOT cannot be opened, or the code of a failure after which the user chose Cancel.
    long LoadCollection(bool& showProgressBox, bool& showSplashScreen, bool loadFull);
    long AddItem(qint16 itemType, const std::shared_ptr<ItemObject>& item);
    long RemoveItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool removeFromReg = false,
                    bool removeFull = false);
    long WriteItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool writeFull = false);
    // Empties the tree and both collections; the image list stays.
    void Clear();
    std::shared_ptr<ItemObject> GetSelectedItem() const;
    std::shared_ptr<ItemObject> GetItemFromKey(const QString& itemKey) const;
    KestrowNode* GetNodeFromKey(const QString& itemKey) const;
    std::shared_ptr<ItemObject> GetItemFromNode(const KestrowNode* node) const;
    long LoadItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool loadFull = false);
    long Count() const { return m_fileTypes.count(); }
    KestrowNode* SelectedNode() const;
    void ShowApprovedManager();
    void ShowMimeTypes();
    void ShowClsidTool(const QString& clsid = QString());
    QString GetVersionString() const;
    long UpdateItem(qint16 itemType, const std::shared_ptr<ItemObject>& item);
    std::shared_ptr<ItemObject> CopyItem(qint16 itemType, const std::shared_ptr<ItemObject>& item) const;

    // Selects the node (and shows it).
    void SelectNode(KestrowNode* node);

    // ---- the parts the loader, the binding and the item operations work on
    KestrowTree& tree() { return *m_tree; }
    const KestrowTree& tree() const { return *m_tree; }
    ImageList& imlIcons() { return m_images; }
    QTreeView* tvwData() const { return m_view; }
    ProgressBox& progressBox();
    frmSplash& splash();

signals:
    void NodeClick(KestrowNode* node);
    void Expand(KestrowNode* node);
    void Collapse(KestrowNode* node);
    // Button: 1 left, 2 right, 4 middle; Shift: 1 shift, 2 control, 4 alt.
    void MouseDown(qint16 button, qint16 shift, float x, float y);

private:
    void tvwData_Expanded(const QModelIndex& index);
    void tvwData_Collapsed(const QModelIndex& index);
    void tvwData_CurrentChanged(const QModelIndex& current);

    KeyedCollection<FileTypeObject> m_fileTypes;
    KeyedCollection<FileExtensionObject> m_orphans;
    ImageList m_images;
    std::unique_ptr<KestrowTree> m_tree;
    QTreeView* m_view = nullptr;
    std::unique_ptr<ProgressBox> m_progress;
    std::unique_ptr<frmSplash> m_splash;
};
