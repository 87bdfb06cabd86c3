#pragma once

#include "control/records/CaseInsensitiveHash.h"
#include "control/tree/KestrowNode.h"

#include <QAbstractItemModel>

#include <unordered_map>

class ImageList;

// The nodes of the Kestrow control as an item model: siblings sorted by text, each node found by
// its key (without regard to letter case), images drawn from the control's image list by key.
// Failing node operations throw OperationError: 35602 for a key already used, 35601 for a node
// that does not exist.
class KestrowTree : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit KestrowTree(const ImageList& images, QObject* parent = nullptr);
    ~KestrowTree() override;

    // Adds a node below the node `parentKey` (at the top when it is empty).
    KestrowNode* add(const QString& parentKey, const QString& key, const QString& text, const QString& image);
    // Null when no node has that key.
    KestrowNode* node(const QString& key) const;
    // Removes a node with everything below it.
    void remove(const QString& key);
    void removeChildren(KestrowNode* node);
    void setText(KestrowNode* node, const QString& text);
    void setImage(KestrowNode* node, const QString& image);
    void setExpanded(KestrowNode* node, bool expanded);
    void clear();
    int count() const { return static_cast<int>(m_byKey.size()); }
    const std::vector<std::unique_ptr<KestrowNode>>& topLevel() const { return m_root.children(); }

    // Many additions at once: no model signals until endBulk(), which sorts once and resets.
    void beginBulk();
    void endBulk();

    QModelIndex indexOf(const KestrowNode* node) const;
    KestrowNode* nodeAt(const QModelIndex& index) const;

    // ---- QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    KestrowNode* parentFor(const QString& parentKey) const;
    KestrowNode& container(KestrowNode* parent);
    static bool before(const KestrowNode& a, const KestrowNode& b);
    static void renumber(KestrowNode& parent, int from);
    void forget(const KestrowNode& node);
    static void sortAll(KestrowNode& node);

    const ImageList& m_images;
    KestrowNode m_root{QString(), QString(), QString(), nullptr};
    std::unordered_map<QString, KestrowNode*, CaseInsensitiveHash, CaseInsensitiveEqual> m_byKey;
    bool m_bulk = false;
};
