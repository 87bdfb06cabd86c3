#include "control/records/Definitions.h"
#include "tests/support/KestrowFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Press {
    qint16 button, shift;
    float x, y;
};

class TreeBinding : public KestrowFixture {
protected:
    TreeBinding()
        : KestrowFixture(sampleSections())
    {
        writeIcon(u"icons\\red.ico"_s, kRed);
        // The host reads the selected item when it hears of a click: it must be the clicked one.
        QObject::connect(&control, &Kestrow::NodeClick, [this](KestrowNode* n) {
            clicks << (control.SelectedNode() == n ? n->key() : n->key() + u" (not selected)"_s);
        });
        QObject::connect(&control, &Kestrow::Expand,
                         [this](KestrowNode* n) { expands << n->key() + u'=' + n->image(); });
        QObject::connect(&control, &Kestrow::Collapse,
                         [this](KestrowNode* n) { collapses << n->key() + u'=' + n->image(); });
        QObject::connect(&control, &Kestrow::MouseDown, [this](qint16 button, qint16 shift, float x, float y) {
            presses.push_back({button, shift, x, y});
        });
    }

    QTreeView& view() { return *control.tvwData(); }
    QModelIndex indexOf(const QString& key) { return control.tree().indexOf(node(key)); }

    // Every key of the tree, depth first in shown order.
    static void walk(const std::vector<std::unique_ptr<KestrowNode>>& nodes, QStringList& keys)
    {
        for (const auto& n : nodes) {
            keys << n->key();
            walk(n->children(), keys);
        }
    }

    void showControl()
    {
        control.resize(320, 480);
        control.show();
        QApplication::processEvents();
    }

    void pressKey(int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&view(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(&view(), &release);
    }

    void pressMouse(const QPoint& at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* viewport = view().viewport();
        const QPointF global = viewport->mapToGlobal(QPointF(at));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, button, button, modifiers);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, button, Qt::NoButton, modifiers);
        QApplication::sendEvent(viewport, &release);
    }

    QStringList clicks;
    QStringList expands;
    QStringList collapses;
    std::vector<Press> presses;
};

TEST_F(TreeBinding, EveryNodeHasTheKeyParentTextAndImageOfItsKindInShownOrder)
{
    ASSERT_EQ(load(), 0);
    struct Row {
        QString key, parent, text, image; // no parent: top level
    };
    // Depth first, siblings sorted by text: the folders whose texts begin with a blank come first.
    // Folders exist only with their children.
    const std::vector<Row> rows{
        {"sp__.OrphanedExtFolder", "", " Orphaned File Extensions", "favfolder.closed"},
        {"fe__..zzz", "sp__.OrphanedExtFolder", ".zzz", "orphaned.default"},
        {"sp__.SpecialTypeFolder", "", " Special Types", "favfolder.closed"},
        {"ft__.Folder", "sp__.SpecialTypeFolder", "Folder", "ft__.Folder"},
        {"ft__.docfile", "", "Doc File", "ft__.docfile"},
        {"ftaf.ft__.docfile", "ft__.docfile", "Actions", "progfolder.closed"},
        {"ac__.open.docfile", "ftaf.ft__.docfile", "Open", "action.default"},
        {"ftef.ft__.docfile", "ft__.docfile", "Extensions", "favfolder.closed"},
        {"fe__..doc", "ftef.ft__.docfile", ".doc", "ft__.docfile"},
        {"ftsf.ft__.docfile", "ft__.docfile", "Shell Extensions", "controlfolder.closed"},
        {"ftss.ft__.docfile.0", "ftsf.ft__.docfile", "Property Sheet Handlers", "controlfolder.closed"},
        {kDocPage, "ftss.ft__.docfile.0", "Doc Page", "shellext.default"},
        {"ft__.txtfile", "", "Text Document", "ft__.txtfile"},
        {"ftaf.ft__.txtfile", "ft__.txtfile", "Actions", "progfolder.closed"},
        {"ac__.open.txtfile", "ftaf.ft__.txtfile", "Open", "action.default"},
        {"ac__.print.txtfile", "ftaf.ft__.txtfile", "Print", "action.default"},
        {"ftef.ft__.txtfile", "ft__.txtfile", "Extensions", "favfolder.closed"},
        {"fe__..log", "ftef.ft__.txtfile", ".log", "ft__.txtfile"},
        {"fe__..txt", "ftef.ft__.txtfile", ".txt", "ft__.txtfile"},
        {"fesf.fe__..txt", "fe__..txt", "Shell Extensions", "controlfolder.closed"},
        {kTxtHandler, "fesf.fe__..txt", "Text Preview", "shellext.default"},
        {"ftsf.ft__.txtfile", "ft__.txtfile", "Shell Extensions", "controlfolder.closed"},
        {"ftss.ft__.txtfile.1", "ftsf.ft__.txtfile", "Context Menu Handlers", "controlfolder.closed"},
        {kMenu1, "ftss.ft__.txtfile.1", "Menu One", "shellext.default"},
        {kMenu2, "ftss.ft__.txtfile.1", "Menu Two", "shellext.default"},
        {"ftss.ft__.txtfile.6", "ftsf.ft__.txtfile", "Icon Handler", "controlfolder.closed"},
        {kIconHandler, "ftss.ft__.txtfile.6", "Icon Painter", "shellext.default"},
    };
    QStringList expected;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key.toStdString());
        expected << row.key;
        const KestrowNode* n = node(row.key);
        ASSERT_TRUE(n);
        EXPECT_EQ(parentKey(row.key), row.parent);
        EXPECT_EQ(n->text(), row.text);
        EXPECT_EQ(n->image(), row.image);
        EXPECT_TRUE(control.imlIcons().Contains(n->image()));
    }
    // Nothing but these: every record and folder once.
    QStringList shown;
    walk(control.tree().topLevel(), shown);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(control.tree().count(), static_cast<int>(rows.size()));
    // The type's node shows the icon its DefaultIcon names.
    EXPECT_EQ(imageColour(u"ft__.txtfile"_s), kRed);
}

TEST_F(TreeBinding, FoldersShowTheirOpenAndClosedImagesAndTheHostHearsOfIt)
{
    ASSERT_EQ(load(), 0);
    struct Row {
        QString key, open, closed; // the images of the node
    };
    const std::vector<Row> rows{
        {"sp__.OrphanedExtFolder", "folder.open", "favfolder.closed"},
        {"sp__.SpecialTypeFolder", "folder.open", "favfolder.closed"},
        {"ft__.txtfile", "ft__.txtfile", "ft__.txtfile"},
        {"ftef.ft__.txtfile", "folder.open", "favfolder.closed"},
        {"fe__..txt", "ft__.txtfile", "ft__.txtfile"},
        {"fesf.fe__..txt", "controlfolder.closed", "controlfolder.closed"},
        {"ftaf.ft__.txtfile", "folder.open", "progfolder.closed"},
        {"ftsf.ft__.txtfile", "folder.open", "controlfolder.closed"},
        {"ftss.ft__.txtfile.1", "folder.open", "controlfolder.closed"},
    };
    // Parents first, so that every folder is shown when it is opened.
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key.toStdString());
        view().expand(indexOf(row.key));
        EXPECT_EQ(node(row.key)->image(), row.open);
        EXPECT_TRUE(control.imlIcons().Contains(row.open));
        ASSERT_FALSE(expands.isEmpty());
        EXPECT_EQ(expands.last(), row.key + u'=' + row.open);
    }
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        SCOPED_TRACE(row->key.toStdString());
        view().collapse(indexOf(row->key));
        EXPECT_EQ(node(row->key)->image(), row->closed);
        ASSERT_FALSE(collapses.isEmpty());
        EXPECT_EQ(collapses.last(), row->key + u'=' + row->closed);
    }
    EXPECT_EQ(expands.size(), static_cast<qsizetype>(rows.size()));
    EXPECT_EQ(collapses.size(), static_cast<qsizetype>(rows.size()));
    EXPECT_TRUE(clicks.isEmpty());
}

TEST_F(TreeBinding, KeysMovingTheSelectionAreNodeClicks)
{
    ASSERT_EQ(load(), 0);
    showControl();
    control.SelectNode(node(u"sp__.OrphanedExtFolder"_s));
    EXPECT_TRUE(clicks.isEmpty()); // the program's own selection is no click

    pressKey(Qt::Key_Down);
    EXPECT_EQ(clicks, QStringList{"sp__.SpecialTypeFolder"});
    pressKey(Qt::Key_Right); // opens the folder: no click, an Expand
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(expands, QStringList{"sp__.SpecialTypeFolder=folder.open"});
    pressKey(Qt::Key_Down);
    EXPECT_EQ(clicks, (QStringList{"sp__.SpecialTypeFolder", "ft__.Folder"}));
    EXPECT_EQ(selectedKey(), u"ft__.Folder"_s);
}

TEST_F(TreeBinding, MousePressesReportTheButtonTheKeysAndThePlace)
{
    ASSERT_EQ(load(), 0);
    showControl();
    const QPoint onDoc = view().visualRect(indexOf(u"ft__.docfile"_s)).center();
    const QPoint onTxt = view().visualRect(indexOf(u"ft__.txtfile"_s)).center();
    ASSERT_TRUE(view().viewport()->rect().contains(onTxt));

    pressMouse(onDoc, Qt::LeftButton);
    // One click per press, with the pressed node, also when the press moved the selection.
    EXPECT_EQ(clicks, QStringList{"ft__.docfile"});
    EXPECT_EQ(selectedKey(), u"ft__.docfile"_s);
    pressMouse(onDoc, Qt::LeftButton);
    EXPECT_EQ(clicks, (QStringList{"ft__.docfile", "ft__.docfile"}));

    pressMouse(onTxt, Qt::RightButton, Qt::ShiftModifier);
    pressMouse(onTxt, Qt::MiddleButton, Qt::ControlModifier | Qt::AltModifier);
    const QPoint below(5, view().viewport()->height() - 5); // no node there
    ASSERT_FALSE(view().indexAt(below).isValid());
    const qsizetype clicksBefore = clicks.size();
    pressMouse(below, Qt::LeftButton);
    EXPECT_EQ(clicks.size(), clicksBefore);

    ASSERT_EQ(presses.size(), 5u);
    const struct {
        qint16 button, shift;
        QPoint at;
    } expected[] = {{1, 0, onDoc}, {1, 0, onDoc}, {2, 1, onTxt}, {4, 6, onTxt}, {1, 0, below}};
    for (std::size_t i = 0; i < presses.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(presses[i].button, expected[i].button);
        EXPECT_EQ(presses[i].shift, expected[i].shift);
        EXPECT_FLOAT_EQ(presses[i].x, float(expected[i].at.x()));
        EXPECT_FLOAT_EQ(presses[i].y, float(expected[i].at.y()));
    }
}

TEST_F(TreeBinding, TheTreeFillsTheControl)
{
    showControl();
    for (const QSize size : {QSize(200, 150), QSize(640, 900)}) {
        control.resize(size);
        QApplication::processEvents();
        EXPECT_EQ(view().geometry(), control.rect());
    }
}

TEST_F(TreeBinding, OperationsOfTheHostRaiseNoNodeClick)
{
    ASSERT_EQ(load(), 0);
    showControl(); // nor is showing the control a click
    // The host removes the selected action: the selection moves on, but nobody clicked.
    control.SelectNode(node(u"ac__.open.txtfile"_s));
    ASSERT_EQ(control.RemoveItem(ITEM_ACTION, control.GetSelectedItem()), 0);
    ASSERT_TRUE(control.SelectedNode());
    // Its type is rebuilt while a member is selected.
    ASSERT_EQ(control.UpdateItem(ITEM_FILETYPE, control.GetItemFromKey(u"ft__.txtfile"_s)), 0);
    control.SelectNode(node(u"fe__..zzz"_s));
    ASSERT_EQ(control.RemoveItem(ITEM_FILEEXTENSION, control.GetSelectedItem()), 0);
    ASSERT_EQ(load(), 0);
    EXPECT_TRUE(clicks.isEmpty()) << clicks.join(u' ').toStdString();
}

} // namespace
