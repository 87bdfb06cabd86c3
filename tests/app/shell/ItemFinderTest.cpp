#include "app/shell/ItemFinder.h"
#include "control/records/Definitions.h"
#include "control/tree/KestrowCore.h"
#include "tests/control/tree/NewRecords.h"
#include "tests/support/TestNames.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kZipClsid = u"{E88DCCE0-B7B3-11D1-A9F0-00AA0060FA31}"_s;

// A record as the tests name it: a type by its internal name, an extension by itself, an action
// as type/verb, a handler by its name; "none" when a search ended without a match.
QString label(const std::shared_ptr<ItemObject>& item)
{
    if (!item)
        return u"none"_s;
    if (auto type = std::dynamic_pointer_cast<FileTypeObject>(item))
        return type->InternalName;
    if (auto ext = std::dynamic_pointer_cast<FileExtensionObject>(item))
        return ext->Extension;
    if (auto action = std::dynamic_pointer_cast<ActionObject>(item))
        return action->HostInternalName + u'/' + action->CommandKey;
    return std::dynamic_pointer_cast<ShellExtensionObject>(item)->Name;
}

// Five file types in an order that is not the alphabetical one, with members of every kind.
class ItemFinderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        prefix.open();
        addType(u"zipfolder"_s, u"Compressed Folder"_s,
                {u".zip"_s, u"open=explorer.exe %1"_s, u"ZipMenu|"_s + kZipClsid + u"|zipfldr.dll"_s}, kZipClsid);
        addType(u"txtfile"_s, u"Text Document"_s,
                {u".txt"_s, u".log"_s, u"open=notepad.exe %1"_s, u"print=notepad.exe /p %1"_s,
                 u"MenuOne|{11111111-0000-0000-0000-000000000001}|menu.dll"_s,
                 u"MenuTwo|{11111111-0000-0000-0000-000000000002}|menu.dll"_s});
        addType(u"Folder"_s, u"File Folder"_s, {});
        addType(u"docfile"_s, u"folder of documents"_s, {u".doc"_s});
        addType(u"lastfile"_s, u"Last Folder"_s, {u".last"_s});
    }

    // Members as text: ".ext" an extension, "verb=command" an action named after its verb,
    // "name|clsid|server" a context-menu handler.
    void addType(const QString& internalName, const QString& name, const QStringList& members,
                 const QString& clsid = QString())
    {
        auto type = newrecord::type(internalName, name);
        type->CLSID = clsid;
        for (const QString& member : members) {
            const QStringList parts = member.split(QRegularExpression(u"[=|]"_s));
            if (member.startsWith(u'.')) {
                auto ext = newrecord::extension(member, internalName);
                type->FileExtensions.add(ext->Key(), ext);
            } else if (member.contains(u'=')) {
                auto action = newrecord::action(parts[0], internalName, parts[0].left(1).toUpper() + parts[0].mid(1));
                action->Command = parts[1];
                type->Actions.add(action->Key(), action);
            } else {
                auto handler = newrecord::handler(1, internalName, parts[0], parts[1]);
                handler->Inproc32 = parts[2];
                type->ShellExtensions.add(handler->Key(), handler);
            }
        }
        ASSERT_EQ(core.AddItem(ITEM_FILETYPE, type), 0);
    }

    // The labels of what `presses` searches in a row find, separated by spaces.
    QString find(const FindRequest& request, int presses = 1)
    {
        QStringList found;
        for (int i = 0; i < presses; ++i)
            found << label(finder.FindNext(core, request));
        return found.join(u' ');
    }
    // As many searches as `expected` has labels.
    QString findAsMany(const FindRequest& request, const char* expected)
    {
        return find(request, int(QByteArray(expected).count(' ')) + 1);
    }

    TestSettings settings;
    TestPrefix prefix;
    KestrowCore core;
    ItemFinder finder;
};

// ---- what one search after another finds

struct SearchCase {
    const char* name;
    const char* text;
    FindItems items;
    FindCriteria criteria;
    const char* found; // one label per search, separated by spaces
};

void PrintTo(const SearchCase& c, std::ostream* os)
{
    *os << c.name;
}

class Searches : public ItemFinderTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(Searches, FindOneMatchPerPressInCollectionOrderThenStartAgain)
{
    const SearchCase& c = GetParam();
    EXPECT_EQ(findAsMany({QString::fromUtf8(c.text), c.items, c.criteria}, c.found), QString::fromUtf8(c.found));
}

constexpr FindItems kAllItems = FindItem::FileType | FindItem::FileExtension | FindItem::Action | FindItem::ShellExtension;
constexpr FindCriteria kAllCriteria = FindCriterion::Name | FindCriterion::InternalName | FindCriterion::Extension |
                                      FindCriterion::CLSID | FindCriterion::Command | FindCriterion::Inproc32;

INSTANTIATE_TEST_SUITE_P(
    , Searches,
    ::testing::Values(
        // Capitals count: "folder of documents" is no match; the last type is searched too.
        SearchCase{"type names with capitals", "Folder", FindItem::FileType, FindCriterion::Name,
                   "zipfolder Folder lastfile none zipfolder"},
        // A matched type's own members come next, and no member of an earlier type is passed over.
        SearchCase{"everything in order", "", kAllItems, kAllCriteria,
                   "zipfolder .zip zipfolder/open ZipMenu txtfile .txt .log txtfile/open txtfile/print MenuOne "
                   "MenuTwo Folder docfile .doc lastfile .last none zipfolder"},
        SearchCase{"empty text finds the first of a kind", "", FindItem::Action,
                   FindCriterion::Name | FindCriterion::Extension, "zipfolder/open"},
        SearchCase{"a criterion no ticked kind has", "", FindItem::FileType, FindCriterion::Extension, "none none"},
        SearchCase{"commands", "notepad", FindItem::Action, FindCriterion::Command, "txtfile/open txtfile/print none"},
        SearchCase{"class identifiers", "{E88DCCE0", FindItem::FileType | FindItem::ShellExtension,
                   FindCriterion::CLSID, "zipfolder ZipMenu none"},
        SearchCase{"handler servers", "menu.dll", kAllItems, FindCriterion::Inproc32, "MenuOne MenuTwo none"},
        SearchCase{"internal names", "txt", FindItem::FileType | FindItem::ShellExtension,
                   FindCriterion::InternalName, "txtfile none"},
        SearchCase{"extensions", ".l", FindItem::FileExtension, FindCriterion::Extension, ".log .last none"}),
    [](const auto& param) { return testName(param.param.name); });

// ---- the place between searches

TEST_F(ItemFinderTest, ResetStartsFromTheTop)
{
    const FindRequest all{QString(), kAllItems, kAllCriteria};
    find(all, 3);
    finder.reset();
    EXPECT_EQ(find(all), u"zipfolder"_s);
}

TEST_F(ItemFinderTest, ItemsTheTreeDoesNotShowArePassedOver)
{
    // Put into the collection behind the control's back: it has no node to select.
    auto hidden = newrecord::action(u"edit"_s, u"zipfolder"_s, u"Edit"_s);
    core.FileTypeCollection().first()->Actions.add(hidden->Key(), hidden);
    EXPECT_EQ(find({u"app.exe"_s, FindItem::Action, FindCriterion::Command}), u"none"_s);
}

// ---- the collections change between searches

struct RemovalCase {
    const char* name;
    int before;          // searches for everything before the removal
    const char* removed; // a file type's internal name, or the first action of one as type/verb
    const char* after;   // labels as in SearchCase
};

void PrintTo(const RemovalCase& c, std::ostream* os)
{
    *os << c.name;
}

class Removals : public ItemFinderTest, public ::testing::WithParamInterface<RemovalCase> {};

TEST_P(Removals, TheSearchGoesOnBehindTheLastMatchOrWhatTookItsPlace)
{
    const RemovalCase& c = GetParam();
    const FindRequest all{QString(), kAllItems, kAllCriteria};
    find(all, c.before);
    const QStringList removed = QString::fromUtf8(c.removed).split(u'/');
    auto type = core.FileTypeCollection().value(FileTypeKey(removed[0]));
    ASSERT_TRUE(type);
    if (removed.size() == 1)
        ASSERT_EQ(core.RemoveItem(ITEM_FILETYPE, type), 0);
    else
        ASSERT_EQ(core.RemoveItem(ITEM_ACTION, type->Actions.first()), 0);
    EXPECT_EQ(findAsMany(all, c.after), QString::fromUtf8(c.after));
}

INSTANTIATE_TEST_SUITE_P(, Removals,
                         ::testing::Values(RemovalCase{"the last match", 8, "txtfile/open", "txtfile/print MenuOne"},
                                           RemovalCase{"the last of its kind", 3, "zipfolder/open", "ZipMenu"},
                                           RemovalCase{"an earlier type", 6, "zipfolder", ".log txtfile/open"},
                                           RemovalCase{"the type of the last match", 8, "txtfile", "Folder"},
                                           RemovalCase{"the last type", 16, "lastfile", "none zipfolder"}),
                         [](const auto& param) { return testName(param.param.name); });

TEST_F(ItemFinderTest, AnEmptiedCollectionFindsNothingAndStartsAgainFromTheTop)
{
    const FindRequest all{QString(), kAllItems, kAllCriteria};
    find(all, 9);
    core.Clear();
    EXPECT_EQ(find(all), u"none"_s);
    addType(u"freshfile"_s, u"Fresh"_s, {});
    EXPECT_EQ(find(all), u"freshfile"_s);
}

TEST_F(ItemFinderTest, ItemsAddedBehindTheLastMatchAreFound)
{
    const FindRequest actions{u"notepad"_s, FindItem::Action, FindCriterion::Command};
    ASSERT_EQ(find(actions), u"txtfile/open"_s);
    auto edit = newrecord::action(u"edit"_s, u"docfile"_s, u"Edit"_s);
    edit->Command = u"notepad.exe /e %1"_s;
    ASSERT_EQ(core.AddItem(ITEM_ACTION, edit), 0);
    EXPECT_EQ(find(actions, 3), u"txtfile/print docfile/edit none"_s);
}

} // namespace
