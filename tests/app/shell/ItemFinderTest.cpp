#include "app/shell/ItemFinder.h"
#include "control/records/Definitions.h"
#include "control/tree/KestrowCore.h"
#include "tests/control/tree/NewRecords.h"
#include "tests/support/TestNames.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

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
        auto zip = newrecord::type(u"zipfolder"_s, u"Compressed Folder"_s);
        zip->CLSID = kZipClsid;
        addExtension(*zip, u".zip"_s);
        addAction(*zip, u"open"_s, u"Open"_s, u"explorer.exe %1"_s);
        addHandler(*zip, 1, u"Zip Menu"_s, kZipClsid, u"zipfldr.dll"_s);
        add(zip);

        auto txt = newrecord::type(u"txtfile"_s, u"Text Document"_s);
        addExtension(*txt, u".txt"_s);
        addExtension(*txt, u".log"_s);
        addAction(*txt, u"open"_s, u"Open"_s, u"notepad.exe %1"_s);
        addAction(*txt, u"print"_s, u"Print"_s, u"notepad.exe /p %1"_s);
        addHandler(*txt, 1, u"Menu One"_s, u"{11111111-0000-0000-0000-000000000001}"_s, u"menu.dll"_s);
        addHandler(*txt, 1, u"Menu Two"_s, u"{11111111-0000-0000-0000-000000000002}"_s, u"menu.dll"_s);
        add(txt);

        add(newrecord::type(u"Folder"_s, u"File Folder"_s));

        auto doc = newrecord::type(u"docfile"_s, u"folder of documents"_s);
        addExtension(*doc, u".doc"_s);
        add(doc);

        auto last = newrecord::type(u"lastfile"_s, u"Last Folder"_s);
        addExtension(*last, u".last"_s);
        add(last);
    }

    void add(const std::shared_ptr<FileTypeObject>& type) { ASSERT_EQ(core.AddItem(ITEM_FILETYPE, type), 0); }
    static void addExtension(FileTypeObject& type, const QString& extension)
    {
        auto ext = newrecord::extension(extension, type.InternalName);
        type.FileExtensions.add(ext->Key(), ext);
    }
    static std::shared_ptr<ActionObject> addAction(FileTypeObject& type, const QString& verb, const QString& name,
                                                   const QString& command)
    {
        auto action = newrecord::action(verb, type.InternalName, name);
        action->Command = command;
        type.Actions.add(action->Key(), action);
        return action;
    }
    static void addHandler(FileTypeObject& type, qint16 group, const QString& name, const QString& clsid,
                           const QString& inproc32)
    {
        auto handler = newrecord::handler(group, type.InternalName, name, clsid);
        handler->Inproc32 = inproc32;
        type.ShellExtensions.add(handler->Key(), handler);
    }

    std::shared_ptr<FileTypeObject> type(const QString& internalName)
    {
        return core.FileTypeCollection().value(FileTypeKey(internalName));
    }

    // The labels of what `presses` searches in a row find.
    QStringList find(const FindRequest& request, int presses)
    {
        QStringList found;
        for (int i = 0; i < presses; ++i)
            found << label(finder.FindNext(core, request));
        return found;
    }
    QString findOne(const FindRequest& request) { return label(finder.FindNext(core, request)); }

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
    QStringList found; // one per press
};

void PrintTo(const SearchCase& c, std::ostream* os)
{
    *os << c.name;
}

class Searches : public ItemFinderTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(Searches, FindOneMatchPerPressInCollectionOrderThenStartAgain)
{
    const SearchCase& c = GetParam();
    EXPECT_EQ(find({QString::fromUtf8(c.text), c.items, c.criteria}, int(c.found.size())), c.found);
}

constexpr FindItems kAllItems = FindItem::FileType | FindItem::FileExtension | FindItem::Action | FindItem::ShellExtension;
constexpr FindCriteria kAllCriteria = FindCriterion::Name | FindCriterion::InternalName | FindCriterion::Extension |
                                      FindCriterion::CLSID | FindCriterion::Command | FindCriterion::Inproc32;

INSTANTIATE_TEST_SUITE_P(
    , Searches,
    ::testing::Values(
        // Capitals count: "folder of documents" is no match; the last type is searched too.
        SearchCase{"type names with capitals", "Folder", FindItem::FileType, FindCriterion::Name,
                   {u"zipfolder"_s, u"Folder"_s, u"lastfile"_s, u"none"_s, u"zipfolder"_s}},
        // A matched type's own members come next, and no member of an earlier type is passed over.
        SearchCase{"everything in order", "", kAllItems, kAllCriteria,
                   {u"zipfolder"_s, u".zip"_s, u"zipfolder/open"_s, u"Zip Menu"_s, u"txtfile"_s, u".txt"_s,
                    u".log"_s, u"txtfile/open"_s, u"txtfile/print"_s, u"Menu One"_s, u"Menu Two"_s, u"Folder"_s,
                    u"docfile"_s, u".doc"_s, u"lastfile"_s, u".last"_s, u"none"_s, u"zipfolder"_s}},
        SearchCase{"types and their extensions", "", FindItem::FileType | FindItem::FileExtension,
                   FindCriterion::Name | FindCriterion::Extension,
                   {u"zipfolder"_s, u".zip"_s, u"txtfile"_s, u".txt"_s, u".log"_s, u"Folder"_s, u"docfile"_s,
                    u".doc"_s, u"lastfile"_s, u".last"_s, u"none"_s}},
        SearchCase{"empty text finds the first of a kind", "", FindItem::Action,
                   FindCriterion::Name | FindCriterion::Extension, {u"zipfolder/open"_s}},
        SearchCase{"a criterion no ticked kind has", "", FindItem::FileType, FindCriterion::Extension,
                   {u"none"_s, u"none"_s}},
        SearchCase{"commands", "notepad", FindItem::Action, FindCriterion::Command,
                   {u"txtfile/open"_s, u"txtfile/print"_s, u"none"_s}},
        SearchCase{"action names", "Print", FindItem::Action | FindItem::FileType, FindCriterion::Name,
                   {u"txtfile/print"_s, u"none"_s}},
        SearchCase{"class identifiers of types and handlers", "{E88DCCE0",
                   FindItem::FileType | FindItem::ShellExtension, FindCriterion::CLSID,
                   {u"zipfolder"_s, u"Zip Menu"_s, u"none"_s}},
        SearchCase{"handler servers", "menu.dll", kAllItems, FindCriterion::Inproc32,
                   {u"Menu One"_s, u"Menu Two"_s, u"none"_s}},
        SearchCase{"internal names", "txt", FindItem::FileType | FindItem::ShellExtension,
                   FindCriterion::InternalName, {u"txtfile"_s, u"none"_s}},
        SearchCase{"extensions", ".l", FindItem::FileExtension, FindCriterion::Extension,
                   {u".log"_s, u".last"_s, u"none"_s}},
        SearchCase{"text found nowhere", "xyz", kAllItems, kAllCriteria, {u"none"_s, u"none"_s}}),
    [](const auto& param) { return testName(param.param.name); });

// ---- the place between searches

TEST_F(ItemFinderTest, ARequestWithoutItemsOrCriteriaFindsNothingAndKeepsThePlace)
{
    const FindRequest types{QString(), FindItem::FileType, FindCriterion::Name};
    ASSERT_EQ(findOne(types), u"zipfolder"_s);
    EXPECT_EQ(findOne({QString(), {}, FindCriterion::Name}), u"none"_s);
    EXPECT_EQ(findOne({QString(), FindItem::FileType, {}}), u"none"_s);
    EXPECT_TRUE(finder.hasPlace());
    EXPECT_EQ(findOne(types), u"txtfile"_s);
}

TEST_F(ItemFinderTest, ADifferentRequestContinuesBehindTheLastMatch)
{
    ASSERT_EQ(findOne({u"Text"_s, FindItem::FileType, FindCriterion::Name}), u"txtfile"_s);
    EXPECT_EQ(findOne({u"Open"_s, FindItem::Action, FindCriterion::Name}), u"txtfile/open"_s);
}

TEST_F(ItemFinderTest, ResetStartsFromTheTop)
{
    const FindRequest all{QString(), kAllItems, kAllCriteria};
    find(all, 3);
    finder.reset();
    EXPECT_FALSE(finder.hasPlace());
    EXPECT_EQ(findOne(all), u"zipfolder"_s);
}

TEST_F(ItemFinderTest, ItemsTheTreeDoesNotShowArePassedOver)
{
    // Put into the collection behind the control's back: it has no node to select.
    addAction(*type(u"zipfolder"_s), u"edit"_s, u"Edit"_s, u"notepad.exe %1"_s);
    EXPECT_EQ(find({u"notepad"_s, FindItem::Action, FindCriterion::Command}, 2),
              (QStringList{u"txtfile/open"_s, u"txtfile/print"_s}));
}

// ---- the collections change between searches

TEST_F(ItemFinderTest, RemovingTheLastMatchContinuesWithWhatTookItsPlace)
{
    const FindRequest all{QString(), kAllItems, kAllCriteria};
    ASSERT_EQ(find(all, 7), (QStringList{u"zipfolder"_s, u".zip"_s, u"zipfolder/open"_s, u"Zip Menu"_s,
                                         u"txtfile"_s, u".txt"_s, u".log"_s}));
    const auto open = type(u"txtfile"_s)->Actions.first();
    ASSERT_EQ(findOne(all), u"txtfile/open"_s);
    ASSERT_EQ(core.RemoveItem(ITEM_ACTION, open), 0);
    EXPECT_EQ(find(all, 2), (QStringList{u"txtfile/print"_s, u"Menu One"_s}));
}

TEST_F(ItemFinderTest, RemovingTheLastMatchOfAKindThatEndsThereGoesOnWithTheNextKind)
{
    const FindRequest all{QString(), kAllItems, kAllCriteria};
    find(all, 3); // zipfolder/open
    ASSERT_EQ(core.RemoveItem(ITEM_ACTION, type(u"zipfolder"_s)->Actions.first()), 0);
    EXPECT_EQ(findOne(all), u"Zip Menu"_s);
}

TEST_F(ItemFinderTest, RemovingEarlierItemsPassesOverNothing)
{
    const FindRequest all{QString(), kAllItems, kAllCriteria};
    ASSERT_EQ(find(all, 6).last(), u".txt"_s);
    ASSERT_EQ(core.RemoveItem(ITEM_FILETYPE, type(u"zipfolder"_s)), 0);
    EXPECT_EQ(find(all, 2), (QStringList{u".log"_s, u"txtfile/open"_s}));
}

TEST_F(ItemFinderTest, RemovingTheTypeOfTheLastMatchContinuesWithTheNextType)
{
    const FindRequest all{QString(), kAllItems, kAllCriteria};
    ASSERT_EQ(find(all, 8).last(), u"txtfile/open"_s);
    ASSERT_EQ(core.RemoveItem(ITEM_FILETYPE, type(u"txtfile"_s)), 0);
    EXPECT_EQ(findOne(all), u"Folder"_s);
}

TEST_F(ItemFinderTest, RemovingTheLastTypeAfterItsMatchEndsThePass)
{
    const FindRequest types{QString(), FindItem::FileType, FindCriterion::Name};
    ASSERT_EQ(find(types, 5).last(), u"lastfile"_s);
    ASSERT_EQ(core.RemoveItem(ITEM_FILETYPE, type(u"lastfile"_s)), 0);
    EXPECT_EQ(find(types, 2), (QStringList{u"none"_s, u"zipfolder"_s}));
}

TEST_F(ItemFinderTest, AnEmptiedCollectionFindsNothingAndStartsAgainFromTheTop)
{
    const FindRequest all{QString(), kAllItems, kAllCriteria};
    find(all, 9);
    core.Clear();
    EXPECT_EQ(findOne(all), u"none"_s);
    EXPECT_FALSE(finder.hasPlace());
    auto fresh = newrecord::type(u"freshfile"_s, u"Fresh"_s);
    add(fresh);
    EXPECT_EQ(findOne(all), u"freshfile"_s);
}

TEST_F(ItemFinderTest, ItemsAddedBehindTheLastMatchAreFound)
{
    const FindRequest actions{u"notepad"_s, FindItem::Action, FindCriterion::Command};
    ASSERT_EQ(findOne(actions), u"txtfile/open"_s);
    auto edit = newrecord::action(u"edit"_s, u"docfile"_s, u"Edit"_s);
    edit->Command = u"notepad.exe /e %1"_s;
    ASSERT_EQ(core.AddItem(ITEM_ACTION, edit), 0);
    EXPECT_EQ(find(actions, 3), (QStringList{u"txtfile/print"_s, u"docfile/edit"_s, u"none"_s}));
}

// ---- matching and the criteria table

struct MatchCase {
    const char* search;
    const char* value;
    bool matches;
};

TEST(ItemFinder, TextMatchesIsCaseSensitiveContainmentAndEmptyMatchesAll)
{
    const MatchCase cases[] = {{"Folder", "File Folder", true}, {"Folder", "folder", false},
                               {"", "", true},                  {"", "anything", true},
                               {"x", "", false},                {"Fold", "Folder", true},
                               {"Folders", "Folder", false}};
    for (const MatchCase& c : cases)
        EXPECT_EQ(ItemFinder::TextMatches(QString::fromUtf8(c.search), QString::fromUtf8(c.value)), c.matches)
            << c.search << " in " << c.value;
}

struct CriteriaCase {
    const char* name;
    FindItems ticked;
    FindCriteria enabled;
};

TEST(ItemFinder, CriteriaAreOfferedForTheTickedKinds)
{
    const CriteriaCase cases[] = {
        {"nothing", {}, {}},
        {"file types", FindItem::FileType, FindCriterion::Name | FindCriterion::InternalName | FindCriterion::CLSID},
        {"file extensions", FindItem::FileExtension, FindCriterion::Extension},
        {"actions", FindItem::Action, FindCriterion::Name | FindCriterion::Command},
        {"shell extensions", FindItem::ShellExtension,
         FindCriterion::Name | FindCriterion::InternalName | FindCriterion::CLSID | FindCriterion::Inproc32},
        {"extensions and actions", FindItem::FileExtension | FindItem::Action,
         FindCriterion::Name | FindCriterion::Extension | FindCriterion::Command},
        {"everything", kAllItems, kAllCriteria},
    };
    for (const CriteriaCase& c : cases)
        EXPECT_EQ(ItemFinder::EnabledCriteria(c.ticked), c.enabled) << c.name;
}

} // namespace
