#include "control/tree/KestrowTree.h"

#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"
#include "control/tree/ImageList.h"

#include <QScopeGuard>

#include <algorithm>

KestrowTree::KestrowTree(const ImageList& images, QObject* parent)
    : QAbstractItemModel(parent)
    , m_images(images)
{
}

KestrowTree::~KestrowTree() = default;

bool KestrowTree::before(const KestrowNode& a, const KestrowNode& b)
{
    const int byText = a.m_text.compare(b.m_text, Qt::CaseInsensitive);
    if (byText != 0)
        return byText < 0;
    return a.m_key.compare(b.m_key, Qt::CaseInsensitive) < 0;
}

void KestrowTree::renumber(KestrowNode& parent, int from)
{
    for (std::size_t i = static_cast<std::size_t>(from); i < parent.m_children.size(); ++i)
        parent.m_children[i]->m_row = static_cast<int>(i);
}

KestrowNode& KestrowTree::container(KestrowNode* parent)
{
    return parent ? *parent : m_root;
}

KestrowNode* KestrowTree::parentFor(const QString& parentKey) const
{
    if (parentKey.isEmpty())
        return const_cast<KestrowNode*>(&m_root);
    KestrowNode* parent = node(parentKey);
    if (!parent)
        throw OperationError(kErrMissingNode, QStringLiteral("Element not found"));
    return parent;
}

KestrowNode* KestrowTree::add(const QString& parentKey, const QString& key, const QString& text, const QString& image)
{
    // One lookup both refuses a duplicate and reserves the key's place; a failure below lets the
    // place go again. The entry is held by reference, which a rehash leaves valid.
    const auto [slot, inserted] = m_byKey.try_emplace(key, nullptr);
    if (!inserted)
        throw OperationError(kErrDuplicateNodeKey, QStringLiteral("Key is not unique in collection"));
    KestrowNode*& entry = slot->second;
    auto release = qScopeGuard([this, &key] { m_byKey.erase(key); });
    KestrowNode* parent = parentFor(parentKey);
    // Top-level nodes have no parent of their own; the root only holds them.
    auto created = std::make_unique<KestrowNode>(key, text, image, parent == &m_root ? nullptr : parent);
    KestrowNode* raw = created.get();
    entry = raw; // found by its key from the moment the views hear of it
    auto& siblings = parent->m_children;
    if (m_bulk) {
        raw->m_row = static_cast<int>(siblings.size());
        siblings.push_back(std::move(created));
    } else {
        const auto at = std::upper_bound(siblings.begin(), siblings.end(), raw,
                                         [](const KestrowNode* a, const auto& b) { return before(*a, *b); });
        const int row = static_cast<int>(at - siblings.begin());
        beginInsertRows(indexOf(parent), row, row);
        siblings.insert(at, std::move(created));
        renumber(*parent, row);
        endInsertRows();
    }
    release.dismiss();
    return raw;
}

KestrowNode* KestrowTree::node(const QString& key) const
{
    auto it = m_byKey.find(key);
    return it == m_byKey.end() ? nullptr : it->second;
}

void KestrowTree::forget(const KestrowNode& gone)
{
    std::vector<const KestrowNode*> pending{&gone};
    while (!pending.empty()) {
        const KestrowNode* n = pending.back();
        pending.pop_back();
        m_byKey.erase(n->m_key);
        for (const auto& child : n->m_children)
            pending.push_back(child.get());
    }
}

void KestrowTree::remove(const QString& key)
{
    KestrowNode* gone = node(key);
    if (!gone)
        throw OperationError(kErrMissingNode, QStringLiteral("Element not found"));
    KestrowNode* parent = &container(gone->m_parent);
    const int row = gone->m_row;
    if (!m_bulk)
        beginRemoveRows(indexOf(parent), row, row);
    forget(*gone);
    parent->m_children.erase(parent->m_children.begin() + row);
    renumber(*parent, row);
    if (!m_bulk)
        endRemoveRows();
}

void KestrowTree::removeChildren(KestrowNode* parent)
{
    if (parent->m_children.empty())
        return;
    if (!m_bulk)
        beginRemoveRows(indexOf(parent), 0, parent->childCount() - 1);
    for (const auto& child : parent->m_children)
        forget(*child);
    parent->m_children.clear();
    if (!m_bulk)
        endRemoveRows();
}

void KestrowTree::setText(KestrowNode* n, const QString& text)
{
    if (n->m_text == text)
        return;
    n->m_text = text;
    if (m_bulk)
        return;
    // Keep the siblings in order: find where the node belongs among the others with its new text.
    KestrowNode* parent = &container(n->m_parent);
    auto& siblings = parent->m_children;
    const int from = n->m_row;
    const auto other = [&](int i) -> const KestrowNode& {
        return *siblings[static_cast<std::size_t>(i < from ? i : i + 1)];
    };
    int low = 0;
    int high = static_cast<int>(siblings.size()) - 1;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (before(*n, other(mid)))
            high = mid;
        else
            low = mid + 1;
    }
    const int to = low;
    const QModelIndex parentIndex = indexOf(parent);
    if (to != from) {
        beginMoveRows(parentIndex, from, from, parentIndex, to > from ? to + 1 : to);
        if (to > from)
            std::rotate(siblings.begin() + from, siblings.begin() + from + 1, siblings.begin() + to + 1);
        else
            std::rotate(siblings.begin() + to, siblings.begin() + from, siblings.begin() + from + 1);
        renumber(*parent, std::min(from, to));
        endMoveRows();
    }
    const QModelIndex changed = indexOf(n);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void KestrowTree::setImage(KestrowNode* n, const QString& image)
{
    if (n->m_image == image)
        return;
    n->m_image = image;
    if (!m_bulk) {
        const QModelIndex changed = indexOf(n);
        emit dataChanged(changed, changed, {Qt::DecorationRole});
    }
}

void KestrowTree::setExpanded(KestrowNode* n, bool expanded)
{
    n->m_expanded = expanded;
}

void KestrowTree::clear()
{
    if (!m_bulk)
        beginResetModel();
    m_byKey.clear();
    m_root.m_children.clear();
    if (!m_bulk)
        endResetModel();
}

void KestrowTree::beginBulk()
{
    if (m_bulk)
        return;
    m_bulk = true;
    beginResetModel();
}

void KestrowTree::sortAll(KestrowNode& top)
{
    std::vector<KestrowNode*> pending{&top};
    while (!pending.empty()) {
        KestrowNode* n = pending.back();
        pending.pop_back();
        std::stable_sort(n->m_children.begin(), n->m_children.end(),
                         [](const auto& a, const auto& b) { return before(*a, *b); });
        renumber(*n, 0);
        for (const auto& child : n->m_children)
            pending.push_back(child.get());
    }
}

void KestrowTree::endBulk()
{
    if (!m_bulk)
        return;
    sortAll(m_root);
    m_bulk = false;
    endResetModel();
}

QModelIndex KestrowTree::indexOf(const KestrowNode* n) const
{
    if (!n || n == &m_root)
        return QModelIndex();
    return createIndex(n->m_row, 0, const_cast<KestrowNode*>(n));
}

KestrowNode* KestrowTree::nodeAt(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<KestrowNode*>(index.internalPointer()) : nullptr;
}

QModelIndex KestrowTree::index(int row, int column, const QModelIndex& parent) const
{
    const KestrowNode* p = parent.isValid() ? nodeAt(parent) : &m_root;
    if (column != 0 || row < 0 || row >= p->childCount())
        return QModelIndex();
    return createIndex(row, 0, p->m_children[static_cast<std::size_t>(row)].get());
}

QModelIndex KestrowTree::parent(const QModelIndex& child) const
{
    const KestrowNode* n = nodeAt(child);
    return n ? indexOf(n->m_parent) : QModelIndex();
}

int KestrowTree::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const KestrowNode* p = parent.isValid() ? nodeAt(parent) : &m_root;
    return p->childCount();
}

int KestrowTree::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant KestrowTree::data(const QModelIndex& index, int role) const
{
    const KestrowNode* n = nodeAt(index);
    if (!n)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return n->m_text;
    case Qt::DecorationRole:
        return m_images.Image(n->m_image);
    default:
        return QVariant();
    }
}
