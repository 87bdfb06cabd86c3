#include "control/records/ErrorNumbers.h"
#include "control/tree/TreeLayout.h"
#include "tests/support/KestrowFixture.h"
#include "tests/control/tree/NewRecords.h"
#include "tests/support/TestNames.h"

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// What an item added by a host looks like once written: the node AddItem builds must be the node a
// reload of the same registry builds, or the tree changes under the user's eyes at the next reload.
struct Addition {
    const char* label;
    qint16 kind;
    std::function<std::shared_ptr<ItemObject>()> make;
};

void PrintTo(const Addition& a, std::ostream* os)
{
    *os << a.label;
}

std::shared_ptr<ItemObject> typeWithEveryMember()
{
    auto type = newrecord::type(u"newfile"_s, u"New Document"_s, u"C:\\icons\\blue.ico"_s);
    for (const QString& name : {u".new"_s, u".nw2"_s}) {
        auto ext = newrecord::extension(name, u"newfile"_s);
        type->FileExtensions.add(ext->Key(), ext);
    }
    auto peek = newrecord::handler(-1, u".new"_s, u"Peek"_s, u"{66666666-0000-0000-0000-000000000001}"_s);
    type->FileExtensions.value(u"fe__..new"_s)->ShellExtensions.add(peek->Key(), peek);
    for (const auto& [verb, name] : {std::pair{u"open"_s, u"Open"_s}, std::pair{u"print"_s, u"Print"_s}}) {
        auto action = newrecord::action(verb, u"newfile"_s, name);
        type->Actions.add(action->Key(), action);
    }
    const std::shared_ptr<ShellExtensionObject> handlers[] = {
        newrecord::handler(1, u"newfile"_s, u"Menu A"_s, u"{66666666-0000-0000-0000-000000000002}"_s),
        newrecord::handler(1, u"newfile"_s, u"Menu B"_s, u"{66666666-0000-0000-0000-000000000003}"_s),
        newrecord::handler(6, u"newfile"_s, u"Painter"_s, u"{66666666-0000-0000-0000-000000000004}"_s),
    };
    for (const auto& handler : handlers)
        type->ShellExtensions.add(handler->Key(), handler);
    return type;
}

std::shared_ptr<ItemObject> extensionWithHandler()
{
    auto ext = newrecord::extension(u".text"_s, u"txtfile"_s);
    auto peek = newrecord::handler(-1, u".text"_s, u"Peek"_s, u"{66666666-0000-0000-0000-000000000005}"_s);
    ext->ShellExtensions.add(peek->Key(), peek);
    return ext;
}

class KestrowAddReload : public KestrowFixture, public ::testing::WithParamInterface<Addition> {
protected:
    KestrowAddReload()
        : KestrowFixture(sampleSections())
    {
        writeIcon(u"icons\\red.ico"_s, kRed);
        writeIcon(u"icons\\blue.ico"_s, kBlue);
    }

    // The whole tree, a line a node in shown order: key, text, image and the image it shows open.
    QStringList snapshot() const
    {
        QStringList lines;
        std::function<void(const std::vector<std::unique_ptr<KestrowNode>>&, int)> walk =
            [&](const auto& nodes, int depth) {
                for (const auto& n : nodes) {
                    lines << QString(depth * 2, u' ') + QStringList{n->key(), n->text(), n->image(),
                                                                     FolderImage(n->key(), true)}
                                                            .join(u" | ");
                    walk(n->children(), depth + 1);
                }
            };
        walk(control.tree().topLevel(), 0);
        return lines;
    }
};

TEST_P(KestrowAddReload, TheAddedSubtreeIsTheOneAReloadBuilds)
{
    ASSERT_EQ(load(), 0);
    const Addition& a = GetParam();
    const auto record = a.make();
    ASSERT_EQ(control.WriteItem(a.kind, record, true), 0);
    ASSERT_EQ(control.AddItem(a.kind, record), 0);
    const QStringList added = snapshot();
    ASSERT_TRUE(node(record->Key()));

    ASSERT_EQ(load(), 0);
    EXPECT_EQ(added, snapshot());
    EXPECT_TRUE(ui.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, KestrowAddReload,
    ::testing::Values(
        Addition{"a type with extensions actions a group and a single handler", ITEM_FILETYPE, typeWithEveryMember},
        Addition{"an extension of a type", ITEM_FILEEXTENSION, [] { return newrecord::extension(u".text"_s, u"txtfile"_s); }},
        Addition{"an extension with a handler of its own", ITEM_FILEEXTENSION, extensionWithHandler},
        Addition{"an action", ITEM_ACTION, [] { return newrecord::action(u"edit"_s, u"txtfile"_s, u"Edit"_s); }},
        Addition{"the first action of a type", ITEM_ACTION,
                 [] { return newrecord::action(u"play"_s, u"Folder"_s, u"Play"_s); }},
        Addition{"a handler in an existing group", ITEM_SHELLEXTENSION,
                 [] { return newrecord::handler(1, u"txtfile"_s, u"Menu Three"_s); }},
        Addition{"a handler in a new group", ITEM_SHELLEXTENSION,
                 [] { return newrecord::handler(0, u"txtfile"_s, u"Sheet"_s); }},
        Addition{"a single handler of a type without handlers", ITEM_SHELLEXTENSION,
                 [] { return newrecord::handler(5, u"Folder"_s, u"Dropper"_s); }},
        Addition{"a handler of an extension", ITEM_SHELLEXTENSION,
                 [] { return newrecord::handler(-1, u".log"_s, u"Tail"_s); }}),
    [](const auto& param) { return testName(param.param.label); });

} // namespace
