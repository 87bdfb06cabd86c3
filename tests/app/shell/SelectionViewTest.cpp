#include "app/shell/SelectionView.h"

#include "control/records/Definitions.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

namespace {

// "caption | row: value [link: tip] | ..." or "caption | description".
QString panelText(const SelectionView& view)
{
    QStringList parts{view.frameCaption};
    if (view.showDescription)
        parts << view.description;
    else
        for (const SelectionView::Row& row : view.rows)
            parts << row.caption + u' ' + row.value + (row.link ? QStringLiteral(" [link: ") + row.toolTip + u']' : QString());
    return parts.join(QStringLiteral(" | "));
}

// The commands allowed, by their menu names, and the kind and file type Add opens with.
QString commandsText(const SelectionView& view)
{
    const std::pair<const char*, bool> commands[] = {{"Add", view.canAdd},         {"Edit", view.canEdit},
                                                     {"Remove", view.canRemove},   {"Refresh", view.canRefresh},
                                                     {"Find", view.canFind},       {"Associate", view.canAssociate},
                                                     {"AddTo", view.canAddTo}};
    QStringList on;
    for (const auto& [name, allowed] : commands)
        if (allowed)
            on << QLatin1String(name);
    return on.join(u' ') + QStringLiteral(" / add kind ") + QString::number(view.addKind) +
           (view.hostTypeKey.isEmpty() ? QString() : QStringLiteral(" in ") + view.hostTypeKey);
}

struct NodeCase {
    const char* label;
    const char* nodeKey; // "" for no selection
    const char* panel;
    const char* commands;
};

void PrintTo(const NodeCase& c, std::ostream* os)
{
    *os << c.label;
}

class SelectionViewTest : public KestrowFixture, public ::testing::WithParamInterface<NodeCase> {
protected:
    SelectionViewTest()
        : KestrowFixture(sampleSections() + classes({{R"(CLSID\{11111111-0000-0000-0000-000000000001}\InprocServer32)",
                                                      R"(C:\windows\system32\menu.dll)"},
                                                     {R"(txtfile\shell\open\ddeexec)", "[open(\"%1\")]"}}))
    {
    }
};

TEST_P(SelectionViewTest, DescribesTheSelectedNodeAndAllowsWhatFitsIt)
{
    ASSERT_EQ(load(), 0);
    const NodeCase& c = GetParam();
    const KestrowNode* selected = *c.nodeKey ? node(QString::fromLatin1(c.nodeKey)) : nullptr;
    ASSERT_TRUE(selected || !*c.nodeKey) << c.nodeKey;

    const SelectionView view = SelectionView::of(control.core(), selected);
    EXPECT_EQ(panelText(view), QString::fromUtf8(c.panel));
    EXPECT_EQ(commandsText(view), QString::fromLatin1(c.commands));
}

INSTANTIATE_TEST_SUITE_P(
    , SelectionViewTest,
    ::testing::Values(
        NodeCase{"file type", "ft__.txtfile", "Text Document | Internal Name: txtfile | CLSID: none | Flags: none",
                 "Add Edit Remove Refresh Find / add kind 1 in ft__.txtfile"},
        NodeCase{"special file type", "ft__.Folder", "Folder | Internal Name: Folder | CLSID: none | Flags: none",
                 "Add Edit Refresh Find / add kind 1 in ft__.Folder"},
        NodeCase{"extension", "fe__..txt", "File Type Extension | Extension: .txt | Content Type: none | Info Tip: none",
                 "Add Edit Remove Find Associate / add kind 2 in ft__.txtfile"},
        NodeCase{"orphaned extension", "fe__..zzz",
                 "File Type Extension | Extension: .zzz | Content Type: none | Info Tip: none",
                 "Add Edit Remove Find Associate / add kind 2"},
        NodeCase{"action with DDE", "ac__.open.txtfile",
                 "'Open' Action | Command: notepad.exe %1 [link: Click here to view the file property pages.] | "
                 "Action Key: open | Uses DDE: True",
                 "Add Edit Remove Find AddTo / add kind 4 in ft__.txtfile"},
        NodeCase{"action without DDE", "ac__.print.txtfile",
                 "'Print' Action | Command: notepad.exe /p %1 [link: Click here to view the file property pages.] | "
                 "Action Key: print | Uses DDE: False",
                 "Add Edit Remove Find AddTo / add kind 4 in ft__.txtfile"},
        NodeCase{"handler of a file type", "sh__.{11111111-0000-0000-0000-000000000001}.1.txtfile",
                 "'Menu One' Shell Extension | CLSID: {11111111-0000-0000-0000-000000000001} [link: Click here to "
                 "query the CLSID.] | Inprocess Server (32-bit): C:\\windows\\system32\\menu.dll [link: Click here to view "
                 "the file property pages.] | Approved: False",
                 "Add Edit Remove Find AddTo / add kind 3 in ft__.txtfile"},
        // Its copy would be written where no file type reads it.
        NodeCase{"handler of an extension", "sh__.{33333333-0000-0000-0000-000000000001}.-1..txt",
                 "'Text Preview' Shell Extension | CLSID: {33333333-0000-0000-0000-000000000001} [link: Click here "
                 "to query the CLSID.] | Inprocess Server (32-bit):  | Approved: False",
                 "Add Edit Remove Find / add kind 3 in ft__.txtfile"},
        NodeCase{"extensions folder", "ftef.ft__.txtfile",
                 "Extensions Key | This key lists all the file extensions associated with 'Text Document'.",
                 "Add Find / add kind 2 in ft__.txtfile"},
        NodeCase{"actions folder", "ftaf.ft__.txtfile", "Actions Key | This key lists all the actions for 'Text Document'.",
                 "Add Find / add kind 4 in ft__.txtfile"},
        NodeCase{"shell extensions folder", "ftsf.ft__.txtfile",
                 "Shell Extensions Key | This key lists all the shell extensions for 'Text Document'.",
                 "Add Find / add kind 3 in ft__.txtfile"},
        NodeCase{"shell extension group", "ftss.ft__.txtfile.1",
                 "Context Menu Handlers | This key lists all shell extensions of type 'Context Menu Handlers'.",
                 "Add Find / add kind 3 in ft__.txtfile"},
        NodeCase{"shell extensions of an extension", "fesf.fe__..txt",
                 "Shell Extensions Key | This key lists all the shell extensions for the specific file extension '.txt'.",
                 "Add Find / add kind 3 in ft__.txtfile"},
        NodeCase{"special types folder", "sp__.SpecialTypeFolder",
                 "Special File Types Key | This key lists all the special file types defined in the registry such as "
                 "file folders, drives, printers, etc.",
                 "Add Find / add kind 1"},
        NodeCase{"orphans folder", "sp__.OrphanedExtFolder",
                 "Orphaned File Extensions | This key lists orphaned file extensions found in the registry. A file "
                 "extensions is orphaned if it is not associated with a file type.",
                 "Add Find / add kind 1"},
        NodeCase{"nothing selected", "", "Information | Click on an item to view information about it.",
                 "Add Find / add kind 1"}),
    [](const auto& param) { return testName(param.param.label); });

TEST(SelectionViewRows, LinkOnlyWhatCanBeFollowed)
{
    struct {
        const char* caption;
        const char* value;
        bool link;
    } const cases[] = {
        {"CLSID:", "none", false},           // a file type without class
        {"CLSID:", "", true},                // a handler's empty CLSID still queries
        {"CLSID:", "{1}", true},
        {"Command:", "", false},
        {"Command:", "x.exe", true},
        {"Inprocess Server (32-bit):", "", false},
        {"Inprocess Server (32-bit):", "s.dll", true},
        {"Internal Name:", "txtfile", false},
    };
    for (const auto& c : cases) {
        const auto row = SelectionView::styledRow(QString::fromLatin1(c.caption), QString::fromLatin1(c.value));
        EXPECT_EQ(row.link, c.link) << c.caption << " " << c.value;
        EXPECT_EQ(row.toolTip.isEmpty(), !c.link) << c.caption << " " << c.value;
    }
}

class SelectionViewEmpty : public KestrowFixture {
protected:
    SelectionViewEmpty()
        : KestrowFixture(QByteArray())
    {
    }
};

TEST_F(SelectionViewEmpty, NothingLoadedAllowsOnlyLoading)
{
    const SelectionView view = SelectionView::of(control.core(), nullptr);
    EXPECT_EQ(commandsText(view), QStringLiteral(" / add kind 1"));
}

} // namespace
