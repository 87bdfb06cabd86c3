#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"
#include "control/tree/ImageList.h"
#include "control/tree/KestrowTree.h"
#include "tests/support/QStringPrinter.h"

#include <QPersistentModelIndex>
#include <QPixmap>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>

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
        images.Add(QIcon(red), QStringLiteral("red"));
        QObject::connect(&tree, &QAbstractItemModel::rowsInserted, [this] { ++inserted; });
        QObject::connect(&tree, &QAbstractItemModel::rowsRemoved, [this] { ++removed; });
        QObject::connect(&tree, &QAbstractItemModel::rowsMoved, [this] { ++moved; });
        QObject::connect(&tree, &QAbstractItemModel::modelReset, [this] { ++resets; });
    }

    // Walks the model the way a view does and checks that it agrees with itself and with the
    // nodes: parents round-trip, counts match, rows are in order of text, keys find their nodes.
    void checkInvariants()
    {
        int walked = 0;
        checkBelow(QModelIndex(), walked);
        EXPECT_EQ(walked, tree.count());
        EXPECT_EQ(tree.columnCount(), 1);
    }

    // The texts of the children of `key` (of the top level for an empty key), in row order.
    QStringList texts(const QString& key = QString()) const
    {
        const QModelIndex parent = key.isEmpty() ? QModelIndex() : tree.indexOf(tree.node(key));
        QStringList result;
        for (int row = 0; row < tree.rowCount(parent); ++row)
            result << tree.data(tree.index(row, 0, parent)).toString();
        return result;
    }

    ImageList images;
    KestrowTree tree{images};
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
            if (row > 0) {
                EXPECT_LE(previous.compare(text, Qt::CaseInsensitive), 0) << previous.toStdString() << " / "
                                                                          << text.toStdString();
            }
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
        const char* parent;
        const char* key;
        const char* text;
    } nodes[] = {
        {"", "ft__.txt", "Text Document"}, {"", "ft__.doc", "document"},      {"ft__.txt", "ftef.t", "Extensions"},
        {"", "sp__.orph", " Orphaned"},    {"ftef.t", "fe__..txt", ".txt"},   {"ftef.t", "fe__..log", ".log"},
        {"ft__.txt", "ftaf.t", "Actions"}, {"", "ft__.zip", "Archive"},       {"ftef.t", "fe__..asc", ".ASC"},
        {"", "ft__.doc2", "Document"},     {"ftaf.t", "ac__.open", "Open"},   {"", "ft__.all", " All Files"},
    };
    for (const auto& n : nodes)
        tree.add(QString::fromLatin1(n.parent), QString::fromLatin1(n.key), QString::fromLatin1(n.text),
                 QStringLiteral("red"));
    EXPECT_EQ(inserted, static_cast<int>(std::size(nodes)));
    checkInvariants();
    EXPECT_EQ(texts(), (QStringList{" All Files", " Orphaned", "Archive", "document", "Document", "Text Document"}));
    EXPECT_EQ(texts(QStringLiteral("ftef.t")), (QStringList{".ASC", ".log", ".txt"}));
    EXPECT_EQ(texts(QStringLiteral("ft__.txt")), (QStringList{"Actions", "Extensions"}));
    // Nodes show the image of their image key.
    const QImage shown = tree.data(tree.indexOf(tree.node(QStringLiteral("ac__.open"))), Qt::DecorationRole)
                             .value<QIcon>()
                             .pixmap(16, 16)
                             .toImage();
    EXPECT_EQ(shown.pixel(8, 8), QColor(Qt::red).rgb());
}

TEST_F(KestrowTreeModel, KeysAreUniqueWithoutRegardToLetterCase)
{
    tree.add(QString(), QStringLiteral("ft__.txtfile"), QStringLiteral("Text"), QString());
    tree.add(QStringLiteral("FT__.TXTFILE"), QStringLiteral("ftef.ft__.txtfile"), QStringLiteral("Extensions"), QString());
    EXPECT_EQ(tree.node(QStringLiteral("Ft__.TxtFile")), tree.node(QStringLiteral("ft__.txtfile")));
    EXPECT_EQ(tree.node(QStringLiteral("FTEF.ft__.TXTFILE"))->parent(), tree.node(QStringLiteral("ft__.txtfile")));
    inserted = 0;
    EXPECT_EQ(failureOf([&] { tree.add(QString(), QStringLiteral("FT__.txtFILE"), QStringLiteral("Twin"), QString()); }),
              kErrDuplicateNodeKey);
    EXPECT_EQ(failureOf([&] { tree.add(QStringLiteral("ft__.none"), QStringLiteral("x"), QStringLiteral("X"), QString()); }),
              kErrMissingNode);
    EXPECT_EQ(failureOf([&] { tree.remove(QStringLiteral("ft__.none")); }), kErrMissingNode);
    EXPECT_EQ(inserted, 0);
    EXPECT_EQ(tree.count(), 2);
    EXPECT_FALSE(tree.node(QStringLiteral("x")));
    tree.remove(QStringLiteral("FT__.TXTFILE"));
    EXPECT_EQ(tree.count(), 0);
    checkInvariants();
}

TEST_F(KestrowTreeModel, ANewTextMovesTheNodeAndIndexesFollow)
{
    for (const char* text : {"b", "d", "f", "h"})
        tree.add(QString(), QString::fromLatin1(text), QString::fromLatin1(text), QString());
    tree.add(QStringLiteral("d"), QStringLiteral("d.child"), QStringLiteral("child"), QString());
    const QPersistentModelIndex d = tree.indexOf(tree.node(QStringLiteral("d")));
    const QPersistentModelIndex child = tree.index(0, 0, d);
    const QPersistentModelIndex f = tree.indexOf(tree.node(QStringLiteral("f")));
    int changed = 0;
    QObject::connect(&tree, &QAbstractItemModel::dataChanged, [&](const QModelIndex& from, const QModelIndex&) {
        EXPECT_EQ(tree.nodeAt(from), tree.node(QStringLiteral("d")));
        ++changed;
    });

    const struct {
        const char* text;
        QStringList order;
    } steps[] = {
        {"z", {"b", "f", "h", "z"}},  // to the end
        {"a", {"a", "b", "f", "h"}},  // to the front
        {"g", {"b", "f", "g", "h"}},  // between others
        {"G", {"b", "f", "G", "h"}},  // same place, other letter case
        {"f", {"b", "f", "f", "h"}},  // same text as a sibling: ordered by key ("d" before "f")
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text);
        const int changesBefore = changed;
        tree.setText(tree.node(QStringLiteral("d")), QString::fromLatin1(step.text));
        EXPECT_EQ(texts(), step.order);
        EXPECT_EQ(changed, changesBefore + 1);
        // Views keep their hold on the moved node, its children and its siblings.
        ASSERT_TRUE(d.isValid());
        EXPECT_EQ(tree.nodeAt(d), tree.node(QStringLiteral("d")));
        EXPECT_EQ(d.row(), tree.node(QStringLiteral("d"))->row());
        EXPECT_EQ(d.data().toString(), QString::fromLatin1(step.text));
        ASSERT_TRUE(child.isValid());
        EXPECT_EQ(child.parent(), QModelIndex(d));
        EXPECT_EQ(tree.nodeAt(f), tree.node(QStringLiteral("f")));
        EXPECT_EQ(f.row(), tree.node(QStringLiteral("f"))->row());
        checkInvariants();
    }
    EXPECT_EQ(texts(), (QStringList{"b", "f", "f", "h"}));
    EXPECT_EQ(tree.index(1, 0).data().toString(), QStringLiteral("f"));
    EXPECT_EQ(tree.nodeAt(tree.index(1, 0))->key(), QStringLiteral("d"));
    EXPECT_EQ(moved, 4);
}

TEST_F(KestrowTreeModel, RemovingANodeForgetsEveryKeyBelowIt)
{
    tree.add(QString(), QStringLiteral("top"), QStringLiteral("Top"), QString());
    tree.add(QString(), QStringLiteral("other"), QStringLiteral("Other"), QString());
    tree.add(QStringLiteral("top"), QStringLiteral("folder"), QStringLiteral("Folder"), QString());
    tree.add(QStringLiteral("folder"), QStringLiteral("leaf1"), QStringLiteral("Leaf 1"), QString());
    tree.add(QStringLiteral("folder"), QStringLiteral("leaf2"), QStringLiteral("Leaf 2"), QString());
    const QPersistentModelIndex leaf = tree.indexOf(tree.node(QStringLiteral("leaf2")));
    const QPersistentModelIndex other = tree.indexOf(tree.node(QStringLiteral("other")));

    tree.removeChildren(tree.node(QStringLiteral("folder")));
    EXPECT_FALSE(leaf.isValid());
    EXPECT_FALSE(tree.node(QStringLiteral("leaf1")));
    EXPECT_EQ(tree.node(QStringLiteral("folder"))->childCount(), 0);
    checkInvariants();

    tree.add(QStringLiteral("folder"), QStringLiteral("leaf1"), QStringLiteral("Leaf 1"), QString());
    tree.remove(QStringLiteral("TOP"));
    EXPECT_EQ(removed, 2);
    for (const char* key : {"top", "folder", "leaf1"})
        EXPECT_FALSE(tree.node(QString::fromLatin1(key))) << key;
    EXPECT_EQ(tree.count(), 1);
    EXPECT_TRUE(other.isValid());
    EXPECT_EQ(other.row(), 0);
    checkInvariants();
    // The keys are free again.
    tree.add(QStringLiteral("other"), QStringLiteral("folder"), QStringLiteral("Folder"), QString());
    tree.add(QStringLiteral("folder"), QStringLiteral("leaf1"), QStringLiteral("Leaf 1"), QString());
    EXPECT_EQ(tree.node(QStringLiteral("leaf1"))->parent()->parent(), tree.node(QStringLiteral("other")));
    checkInvariants();
}

TEST_F(KestrowTreeModel, BulkAdditionsAreSortedOnceAtTheEnd)
{
    tree.add(QString(), QStringLiteral("m"), QStringLiteral("M"), QString());
    tree.beginBulk();
    for (const char* text : {"z", "c", "a", "q"}) {
        tree.add(QString(), QString::fromLatin1(text), QString::fromLatin1(text), QString());
        tree.add(QString::fromLatin1(text), QString::fromLatin1(text) + u'2', QStringLiteral("2"), QString());
        tree.add(QString::fromLatin1(text), QString::fromLatin1(text) + u'1', QStringLiteral("1"), QString());
    }
    tree.endBulk();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(inserted, 1); // the node added before
    EXPECT_EQ(texts(), (QStringList{"a", "c", "M", "q", "z"}));
    EXPECT_EQ(texts(QStringLiteral("q")), (QStringList{"1", "2"}));
    checkInvariants();

    tree.clear();
    EXPECT_EQ(tree.count(), 0);
    EXPECT_EQ(tree.rowCount(), 0);
    EXPECT_FALSE(tree.node(QStringLiteral("a")));
    checkInvariants();
}

} // namespace
