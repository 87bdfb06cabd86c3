#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"
#include "control/tree/ImageList.h"
#include "control/tree/KestrowTree.h"
#include "tests/support/ModelChecker.h"
#include "tests/support/QStringPrinter.h"

#include <QPersistentModelIndex>
#include <QPixmap>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// The number of the failure an operation of the tree throws; 0 when it throws none.
long failureOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const OperationError& e) {
        return e.number();
    }
    return 0;
}

class KestrowTreeModel : public ::testing::Test {
protected:
    KestrowTreeModel()
    {
        QPixmap red(16, 16);
        red.fill(Qt::red);
        images.Add(QIcon(red), u"red"_s);
        QObject::connect(&tree, &QAbstractItemModel::rowsInserted, [this] { ++inserted; });
        QObject::connect(&tree, &QAbstractItemModel::rowsRemoved, [this] { ++removed; });
        QObject::connect(&tree, &QAbstractItemModel::rowsMoved, [this] { ++moved; });
        QObject::connect(&tree, &QAbstractItemModel::modelReset, [this] { ++resets; });
    }

    KestrowNode* add(const char* parent, const char* key, const char* text)
    {
        return tree.add(QString::fromLatin1(parent), QString::fromLatin1(key), QString::fromLatin1(text), u"red"_s);
    }
    KestrowNode* node(const char* key) const { return tree.node(QString::fromLatin1(key)); }

    // Walks the model the way a view does and checks that it agrees with itself and with the
    // nodes: parents round-trip, counts match, rows are in order of text, keys find their nodes.
    void checkInvariants()
    {
        int walked = 0;
        checkBelow(QModelIndex(), walked);
        EXPECT_EQ(walked, tree.count());
        EXPECT_EQ(tree.columnCount(), 1);
    }

    // The texts of the children of `key` (of the top level for null), in row order.
    QStringList texts(const char* key = nullptr) const
    {
        const QModelIndex parent = key ? tree.indexOf(node(key)) : QModelIndex();
        QStringList result;
        for (int row = 0; row < tree.rowCount(parent); ++row)
            result << tree.data(tree.index(row, 0, parent)).toString();
        return result;
    }

    ImageList images;
    KestrowTree tree{images};
    ModelChecker checker{&tree};
    int inserted = 0;
    int removed = 0;
    int moved = 0;
    int resets = 0;

private:
    void checkBelow(const QModelIndex& parent, int& walked)
    {
        const KestrowNode* parentNode = tree.nodeAt(parent);
        const int rows = tree.rowCount(parent);
        ASSERT_EQ(rows, parentNode ? parentNode->childCount() : static_cast<int>(tree.topLevel().size()));
        EXPECT_EQ(tree.hasChildren(parent), rows > 0);
        EXPECT_FALSE(tree.index(rows, 0, parent).isValid());
        EXPECT_FALSE(tree.index(-1, 0, parent).isValid());
        EXPECT_FALSE(tree.index(0, 1, parent).isValid());
        QString previous;
        for (int row = 0; row < rows; ++row) {
            const QModelIndex index = tree.index(row, 0, parent);
            ASSERT_TRUE(index.isValid());
            EXPECT_EQ(index.row(), row);
            EXPECT_EQ(tree.parent(index), parent);
            const KestrowNode* n = tree.nodeAt(index);
            ASSERT_TRUE(n);
            EXPECT_EQ(n->row(), row);
            EXPECT_EQ(n->parent(), parentNode);
            EXPECT_EQ(tree.indexOf(n), index);
            EXPECT_EQ(tree.node(n->key()), n);
            const QString text = tree.data(index).toString();
            EXPECT_EQ(text, n->text());
            EXPECT_LE(previous.compare(text, Qt::CaseInsensitive), 0)
                << previous.toStdString() << " / " << text.toStdString();
            previous = text;
            ++walked;
            checkBelow(index, walked);
        }
    }
};

TEST_F(KestrowTreeModel, NodesGoToTheirPlaceInOrderOfText)
{
    // Added in no particular order, below each other and at the top.
    const struct {
        const char *parent, *key, *text;
    } nodes[] = {
        {"", "ft__.txt", "Text Document"}, {"", "ft__.doc", "document"},      {"ft__.txt", "ftef.t", "Extensions"},
        {"", "sp__.orph", " Orphaned"},    {"ftef.t", "fe__..txt", ".txt"},   {"ftef.t", "fe__..log", ".log"},
        {"ft__.txt", "ftaf.t", "Actions"}, {"", "ft__.zip", "Archive"},       {"ftef.t", "fe__..asc", ".ASC"},
        {"", "ft__.doc2", "Document"},     {"ftaf.t", "ac__.open", "Open"},   {"", "ft__.all", " All Files"},
    };
    for (const auto& n : nodes)
        add(n.parent, n.key, n.text);
    EXPECT_EQ(inserted, static_cast<int>(std::size(nodes)));
    checkInvariants();
    EXPECT_EQ(texts(), (QStringList{" All Files", " Orphaned", "Archive", "document", "Document", "Text Document"}));
    EXPECT_EQ(texts("ftef.t"), (QStringList{".ASC", ".log", ".txt"}));
    EXPECT_EQ(texts("ft__.txt"), (QStringList{"Actions", "Extensions"}));
    // Nodes show the image of their image key.
    const QIcon shown = tree.data(tree.indexOf(node("ac__.open")), Qt::DecorationRole).value<QIcon>();
    EXPECT_EQ(shown.pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::red).rgb());
}

TEST_F(KestrowTreeModel, KeysAreUniqueWithoutRegardToLetterCase)
{
    add("", "ft__.txtfile", "Text");
    add("FT__.TXTFILE", "ftef.ft__.txtfile", "Extensions");
    EXPECT_EQ(node("Ft__.TxtFile"), node("ft__.txtfile"));
    EXPECT_EQ(node("FTEF.ft__.TXTFILE")->parent(), node("ft__.txtfile"));
    inserted = 0;
    EXPECT_EQ(failureOf([&] { add("", "FT__.txtFILE", "Twin"); }), kErrDuplicateNodeKey);
    EXPECT_EQ(failureOf([&] { add("ft__.none", "x", "X"); }), kErrMissingNode);
    EXPECT_EQ(failureOf([&] { tree.remove(u"ft__.none"_s); }), kErrMissingNode);
    EXPECT_EQ(inserted, 0);
    EXPECT_EQ(tree.count(), 2);
    EXPECT_FALSE(node("x"));
    tree.remove(u"FT__.TXTFILE"_s);
    EXPECT_EQ(tree.count(), 0);
    checkInvariants();
}

TEST_F(KestrowTreeModel, ANewTextMovesTheNodeAndIndexesFollow)
{
    for (const char* text : {"b", "d", "f", "h"})
        add("", text, text);
    add("d", "d.child", "child");
    KestrowNode* d = node("d");
    const QPersistentModelIndex dIndex = tree.indexOf(d);
    const QPersistentModelIndex child = tree.index(0, 0, dIndex);
    const QPersistentModelIndex f = tree.indexOf(node("f"));
    int changed = 0;
    QObject::connect(&tree, &QAbstractItemModel::dataChanged, [&](const QModelIndex& from, const QModelIndex&) {
        EXPECT_EQ(tree.nodeAt(from), d);
        ++changed;
    });

    const struct {
        const char* text;
        QStringList order;
    } steps[] = {
        {"z", {"b", "f", "h", "z"}}, // to the end
        {"a", {"a", "b", "f", "h"}}, // to the front
        {"g", {"b", "f", "g", "h"}}, // between others
        {"G", {"b", "f", "G", "h"}}, // same place, other letter case
        {"f", {"b", "f", "f", "h"}}, // same text as a sibling: ordered by key ("d" before "f")
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text);
        const int changesBefore = changed;
        tree.setText(d, QString::fromLatin1(step.text));
        EXPECT_EQ(texts(), step.order);
        EXPECT_EQ(changed, changesBefore + 1);
        // Views keep their hold on the moved node, its children and its siblings.
        ASSERT_TRUE(dIndex.isValid());
        EXPECT_EQ(tree.nodeAt(dIndex), d);
        EXPECT_EQ(dIndex.row(), d->row());
        EXPECT_EQ(dIndex.data().toString(), QString::fromLatin1(step.text));
        ASSERT_TRUE(child.isValid());
        EXPECT_EQ(child.parent(), QModelIndex(dIndex));
        EXPECT_EQ(tree.nodeAt(f), node("f"));
        EXPECT_EQ(f.row(), node("f")->row());
        checkInvariants();
    }
    EXPECT_EQ(tree.nodeAt(tree.index(1, 0)), d);
    EXPECT_EQ(moved, 4);
}

TEST_F(KestrowTreeModel, RemovingANodeForgetsEveryKeyBelowIt)
{
    add("", "top", "Top");
    add("", "other", "Other");
    add("top", "folder", "Folder");
    add("folder", "leaf1", "Leaf 1");
    add("folder", "leaf2", "Leaf 2");
    const QPersistentModelIndex leaf = tree.indexOf(node("leaf2"));
    const QPersistentModelIndex other = tree.indexOf(node("other"));

    tree.removeChildren(node("folder"));
    EXPECT_FALSE(leaf.isValid());
    EXPECT_FALSE(node("leaf1"));
    EXPECT_EQ(node("folder")->childCount(), 0);
    checkInvariants();

    add("folder", "leaf1", "Leaf 1");
    tree.remove(u"TOP"_s);
    EXPECT_EQ(removed, 2);
    for (const char* key : {"top", "folder", "leaf1"})
        EXPECT_FALSE(node(key)) << key;
    EXPECT_EQ(tree.count(), 1);
    EXPECT_TRUE(other.isValid());
    EXPECT_EQ(other.row(), 0);
    checkInvariants();
    // The keys are free again.
    add("other", "folder", "Folder");
    add("folder", "leaf1", "Leaf 1");
    EXPECT_EQ(node("leaf1")->parent()->parent(), node("other"));
    checkInvariants();
}

TEST_F(KestrowTreeModel, BulkAdditionsAreSortedOnceAtTheEnd)
{
    add("", "m", "M");
    tree.beginBulk();
    for (const QString& text : {u"z"_s, u"c"_s, u"a"_s, u"q"_s}) {
        tree.add(QString(), text, text, QString());
        tree.add(text, text + u'2', u"2"_s, QString());
        tree.add(text, text + u'1', u"1"_s, QString());
    }
    tree.endBulk();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(inserted, 1); // the node added before
    EXPECT_EQ(texts(), (QStringList{"a", "c", "M", "q", "z"}));
    EXPECT_EQ(texts("q"), (QStringList{"1", "2"}));
    checkInvariants();

    tree.clear();
    EXPECT_EQ(tree.count(), 0);
    EXPECT_EQ(tree.rowCount(), 0);
    EXPECT_FALSE(node("a"));
    checkInvariants();
}

} // namespace
