#include "control/records/Definitions.h"
#include "tests/control/tree/KestrowFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>

#include <vector>

namespace {

struct Press {
    qint16 button;
    qint16 shift;
    float x;
    float y;
};

class TreeBinding : public KestrowFixture {
protected:
    TreeBinding()
        : KestrowFixture(sampleSections())
    {
        writeIcon(QStringLiteral("icons\\red.ico"), kRed);
        // The host reads the selected item when it hears of a click: it must be the clicked one.
        QObject::connect(&control, &Kestrow::NodeClick, [this](KestrowNode* n) {
            clicks << (control.SelectedNode() == n ? n->key() : n->key() + QStringLiteral(" (not selected)"));
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

TEST_F(TreeBinding, EveryNodeHasTheKeyParentTextAndImageOfItsKind)
{
    ASSERT_EQ(load(), 0);
    struct Row {
        QString key;
        QString parent; // empty: top level
        QString text;
        QString image;
    };
    const std::vector<Row> rows{
        {"ft__.txtfile", "", "Text Document", "ft__.txtfile"},
        {"ft__.docfile", "", "Doc File", "ft__.docfile"},
        {"ftef.ft__.docfile", "ft__.docfile", "Extensions", "favfolder.closed"},
        {"fe__..doc", "ftef.ft__.docfile", ".doc", "ft__.docfile"},
        {"ftaf.ft__.docfile", "ft__.docfile", "Actions", "progfolder.closed"},
        {"ac__.open.docfile", "ftaf.ft__.docfile", "Open", "action.default"},
        {"ftsf.ft__.docfile", "ft__.docfile", "Shell Extensions", "controlfolder.closed"},
        {"ftss.ft__.docfile.0", "ftsf.ft__.docfile", "Property Sheet Handlers", "controlfolder.closed"},
        {kDocPage, "ftss.ft__.docfile.0", "Doc Page", "shellext.default"},
        {"sp__.SpecialTypeFolder", "", " Special Types", "favfolder.closed"},
        {"ft__.Folder", "sp__.SpecialTypeFolder", "Folder", "ft__.Folder"},
        {"sp__.OrphanedExtFolder", "", " Orphaned File Extensions", "favfolder.closed"},
        {"fe__..zzz", "sp__.OrphanedExtFolder", ".zzz", "orphaned.default"},
        {"ftef.ft__.txtfile", "ft__.txtfile", "Extensions", "favfolder.closed"},
        {"fe__..txt", "ftef.ft__.txtfile", ".txt", "ft__.txtfile"},
        {"fe__..log", "ftef.ft__.txtfile", ".log", "ft__.txtfile"},
        {"fesf.fe__..txt", "fe__..txt", "Shell Extensions", "controlfolder.closed"},
        {kTxtHandler, "fesf.fe__..txt", "Text Preview", "shellext.default"},
        {"ftaf.ft__.txtfile", "ft__.txtfile", "Actions", "progfolder.closed"},
        {"ac__.open.txtfile", "ftaf.ft__.txtfile", "Open", "action.default"},
        {"ac__.print.txtfile", "ftaf.ft__.txtfile", "Print", "action.default"},
        {"ftsf.ft__.txtfile", "ft__.txtfile", "Shell Extensions", "controlfolder.closed"},
        {"ftss.ft__.txtfile.1", "ftsf.ft__.txtfile", "Context Menu Handlers", "controlfolder.closed"},
        {kMenu1, "ftss.ft__.txtfile.1", "Menu One", "shellext.default"},
        {kMenu2, "ftss.ft__.txtfile.1", "Menu Two", "shellext.default"},
        {"ftss.ft__.txtfile.6", "ftsf.ft__.txtfile", "Icon Handler", "controlfolder.closed"},
        {kIconHandler, "ftss.ft__.txtfile.6", "Icon Painter", "shellext.default"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key.toStdString());
        const KestrowNode* n = node(row.key);
        ASSERT_TRUE(n);
        EXPECT_EQ(n->parent() ? n->parent()->key() : QString(), row.parent);
        EXPECT_EQ(n->text(), row.text);
        EXPECT_EQ(n->image(), row.image);
        EXPECT_TRUE(control.imlIcons().Contains(n->image()));
    }
    // Nothing but these: every record and folder once.
    EXPECT_EQ(control.tree().count(), static_cast<int>(rows.size()));
    // The type's node shows the icon its DefaultIcon names.
    EXPECT_EQ(imageColour(QStringLiteral("ft__.txtfile")), kRed);
}

TEST_F(TreeBinding, FoldersExistOnlyWithTheirChildren)
{
    ASSERT_EQ(load(), 0);
    // A type without members is a single node; an extension without handlers has no folder.
    EXPECT_TRUE(childKeys(QStringLiteral("ft__.Folder")).isEmpty());
    EXPECT_TRUE(childKeys(QStringLiteral("fe__..log")).isEmpty());
    // Handlers of one group share their group folder; each group has one, all in one folder.
    EXPECT_EQ(childKeys(QStringLiteral("ftsf.ft__.txtfile")),
              (QStringList{"ftss.ft__.txtfile.1", "ftss.ft__.txtfile.6"}));
    EXPECT_EQ(childKeys(QStringLiteral("ftss.ft__.txtfile.1")), (QStringList{kMenu1, kMenu2}));
    EXPECT_EQ(childKeys(QStringLiteral("ftsf.ft__.docfile")), QStringList{"ftss.ft__.docfile.0"});
    // Sorted by text: the folders whose texts begin with a blank come first.
    EXPECT_EQ(childKeys(), (QStringList{"sp__.OrphanedExtFolder", "sp__.SpecialTypeFolder", "ft__.docfile",
                                        "ft__.txtfile"}));
}

class TreeBindingWithoutSpecialFolders : public KestrowFixture {
protected:
    TreeBindingWithoutSpecialFolders()
        : KestrowFixture(R"(
[Software\\Classes\\*] 1

[Software\\Classes\\.doc] 1
@="docfile"

[Software\\Classes\\docfile] 1
@="Doc File"
)")
    {
    }
};

TEST_F(TreeBindingWithoutSpecialFolders, TheOrphanFolderIsAlwaysThereTheSpecialFolderOnlyWithAGroupedType)
{
    ASSERT_EQ(load(), 0);
    EXPECT_EQ(childKeys(), (QStringList{"ft__.*", "sp__.OrphanedExtFolder", "ft__.docfile"}));
    EXPECT_TRUE(childKeys(QStringLiteral("sp__.OrphanedExtFolder")).isEmpty());
    EXPECT_FALSE(node(QStringLiteral("sp__.SpecialTypeFolder")));
    // A type without extensions, actions and handlers is a single node.
    ASSERT_TRUE(node(QStringLiteral("ft__.*")));
    EXPECT_EQ(node(QStringLiteral("ft__.*"))->text(), QStringLiteral(" All Files"));
    EXPECT_TRUE(childKeys(QStringLiteral("ft__.*")).isEmpty());
}

TEST_F(TreeBinding, FoldersShowTheirOpenAndClosedImagesAndTheHostHearsOfIt)
{
    ASSERT_EQ(load(), 0);
    struct Row {
        QString key;
        QString open;
        QString closed;
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
    control.SelectNode(node(QStringLiteral("sp__.OrphanedExtFolder")));
    EXPECT_TRUE(clicks.isEmpty()); // the program's own selection is no click

    pressKey(Qt::Key_Down);
    EXPECT_EQ(clicks, QStringList{"sp__.SpecialTypeFolder"});
    pressKey(Qt::Key_Right); // opens the folder: no click, an Expand
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(expands, QStringList{"sp__.SpecialTypeFolder=folder.open"});
    pressKey(Qt::Key_Down);
    EXPECT_EQ(clicks, (QStringList{"sp__.SpecialTypeFolder", "ft__.Folder"}));
    ASSERT_TRUE(control.SelectedNode());
    EXPECT_EQ(control.SelectedNode()->key(), QStringLiteral("ft__.Folder"));
}

TEST_F(TreeBinding, MousePressesReportTheButtonTheKeysAndThePlace)
{
    ASSERT_EQ(load(), 0);
    showControl();
    const QPoint onDoc = view().visualRect(indexOf(QStringLiteral("ft__.docfile"))).center();
    const QPoint onTxt = view().visualRect(indexOf(QStringLiteral("ft__.txtfile"))).center();
    ASSERT_TRUE(view().viewport()->rect().contains(onTxt));

    pressMouse(onDoc, Qt::LeftButton);
    // One click per press, with the pressed node, also when the press moved the selection.
    EXPECT_EQ(clicks, QStringList{"ft__.docfile"});
    ASSERT_TRUE(control.SelectedNode());
    EXPECT_EQ(control.SelectedNode()->key(), QStringLiteral("ft__.docfile"));
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
    struct Expected {
        qint16 button;
        qint16 shift;
        QPoint at;
    };
    const Expected expected[] = {{1, 0, onDoc}, {1, 0, onDoc}, {2, 1, onTxt}, {4, 6, onTxt}, {1, 0, below}};
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
    control.SelectNode(node(QStringLiteral("ac__.open.txtfile")));
    ASSERT_EQ(control.RemoveItem(ITEM_ACTION, control.GetSelectedItem()), 0);
    ASSERT_TRUE(control.SelectedNode());
    // Its type is rebuilt while a member is selected.
    ASSERT_EQ(control.UpdateItem(ITEM_FILETYPE, control.GetItemFromKey(QStringLiteral("ft__.txtfile"))), 0);
    control.SelectNode(node(QStringLiteral("fe__..zzz")));
    ASSERT_EQ(control.RemoveItem(ITEM_FILEEXTENSION, control.GetSelectedItem()), 0);
    ASSERT_EQ(load(), 0);
    EXPECT_TRUE(clicks.isEmpty()) << clicks.join(u' ').toStdString();
}

} // namespace
