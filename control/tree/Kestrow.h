#pragma once

#include "control/tree/KestrowCore.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class frmApprovedMngr;
class frmClsidTool;
class frmMimeTypes;
class frmSplash;
class ProgressBox;
class QModelIndex;
class QTreeView;

// The tree control: it shows the file types, file extensions, actions and shell extensions of
// HKEY_CLASSES_ROOT as a tree and offers its host the operations through which the host reads,
// adds, writes, updates, removes, reloads and copies items. The model and the operations are the
// control's core (KestrowCore); this widget shows the core's tree, raises the tree's events and
// shows the progress of a load. The host never touches the registry, the tree or the collections
// but through these.
class Kestrow : public QWidget {
    Q_OBJECT

public:
    explicit Kestrow(QWidget* parent = nullptr);
    ~Kestrow() override;

    KeyedCollection<FileTypeObject>& FileTypeCollection() { return m_core.FileTypeCollection(); }
    void setFileTypeCollection(KeyedCollection<FileTypeObject> collection)
    {
        m_core.setFileTypeCollection(std::move(collection));
    }
    KeyedCollection<FileExtensionObject>& OrphanedExtensions() { return m_core.OrphanedExtensions(); }
    void setOrphanedExtensions(KeyedCollection<FileExtensionObject> collection)
    {
        m_core.setOrphanedExtensions(std::move(collection));
    }

    // Loads everything anew. With `showSplashScreen` the splash screen is shown and
    // `showProgressBox` is set to false. Returns 0, 1001 when the user cancelled, 2002 when
    // HKEY_CLASSES_ROOT cannot be opened, or the code of a failure after which the user chose Cancel.
    long LoadCollection(bool& showProgressBox, bool& showSplashScreen, bool loadFull);
    long AddItem(qint16 itemType, const std::shared_ptr<ItemObject>& item) { return m_core.AddItem(itemType, item); }
    long RemoveItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool removeFromReg = false,
                    bool removeFull = false)
    {
        return m_core.RemoveItem(itemType, item, removeFromReg, removeFull);
    }
    long WriteItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool writeFull = false)
    {
        return m_core.WriteItem(itemType, item, writeFull);
    }
    // Empties the tree and both collections; the image list stays.
    void Clear() { m_core.Clear(); }
    std::shared_ptr<ItemObject> GetSelectedItem() const { return m_core.GetItemFromNode(SelectedNode()); }
    std::shared_ptr<ItemObject> GetItemFromKey(const QString& itemKey) const { return m_core.GetItemFromKey(itemKey); }
    KestrowNode* GetNodeFromKey(const QString& itemKey) const { return m_core.GetNodeFromKey(itemKey); }
    std::shared_ptr<ItemObject> GetItemFromNode(const KestrowNode* node) const { return m_core.GetItemFromNode(node); }
    long LoadItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, bool loadFull = false)
    {
        return m_core.LoadItem(itemType, item, loadFull);
    }
    long Count() const { return m_core.Count(); }
    KestrowNode* SelectedNode() const;
    void ShowApprovedManager();
    void ShowMimeTypes();
    void ShowClsidTool(const QString& clsid = QString());
    QString GetVersionString() const;
    long UpdateItem(qint16 itemType, const std::shared_ptr<ItemObject>& item) { return m_core.UpdateItem(itemType, item); }
    std::shared_ptr<ItemObject> CopyItem(qint16 itemType, const std::shared_ptr<ItemObject>& item) const
    {
        return m_core.CopyItem(itemType, item);
    }

    // Selects the node (and shows it).
    void SelectNode(KestrowNode* node);
    // Asks a running load to stop at its next key, as the progress box's Cancel button does; the
    // load then returns 1001 with the control empty.
    void CancelLoad() { m_cancelRequested = true; }
    bool isLoading() const { return m_loading; }

    // ---- the parts the item operations, the binding and the tests work on
    KestrowCore& core() { return m_core; }
    KestrowTree& tree() { return m_core.tree(); }
    const KestrowTree& tree() const { return m_core.tree(); }
    ImageList& imlIcons() { return m_core.imlIcons(); }
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
    class Display;

    void tvwData_Expanded(const QModelIndex& index);
    void tvwData_Collapsed(const QModelIndex& index);
    void tvwData_CurrentChanged(const QModelIndex& current);

    KestrowCore m_core;
    QTreeView* m_view = nullptr;
    std::unique_ptr<ProgressBox> m_progress;
    std::unique_ptr<frmSplash> m_splash;
    // The tools: top-level windows of this control, so that they close with it, one of each.
    QPointer<frmApprovedMngr> m_approvedMngr;
    QPointer<frmMimeTypes> m_mimeTypes;
    QPointer<frmClsidTool> m_clsidTool;
    bool m_loading = false;
    bool m_cancelRequested = false;
};
