#pragma once

#include <QString>

#include <memory>
#include <vector>

// One node of the Kestrow tree: a record or a folder, found again by its unique key.
class KestrowNode {
public:
    KestrowNode(QString key, QString text, QString image, KestrowNode* parent)
        : m_key(std::move(key))
        , m_text(std::move(text))
        , m_image(std::move(image))
        , m_parent(parent)
    {
    }

    const QString& key() const { return m_key; }
    const QString& text() const { return m_text; }
    // The key of its image in the control's image list.
    const QString& image() const { return m_image; }
    // Null for a node at the top of the tree.
    KestrowNode* parent() const { return m_parent; }
    bool expanded() const { return m_expanded; }
    const std::vector<std::unique_ptr<KestrowNode>>& children() const { return m_children; }
    int childCount() const { return static_cast<int>(m_children.size()); }
    // Its position among its parent's children.
    int row() const { return m_row; }

private:
    friend class KestrowTree;

    QString m_key;
    QString m_text;
    QString m_image;
    KestrowNode* m_parent;
    std::vector<std::unique_ptr<KestrowNode>> m_children;
    int m_row = 0;
    bool m_expanded = false;
};
