#include "app/shell/ItemCommands.h"

#include "control/records/ErrorNumbers.h"
#include "control/records/FileExtensionObject.h"
#include "control/records/FileTypeObject.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kTxt = u"ft__.txtfile"_s;
const QString kDoc = u"ft__.docfile"_s;
const QString kFolder = u"ft__.Folder"_s;

class ItemCommandsTest : public KestrowFixture {
protected:
    ItemCommandsTest()
        : KestrowFixture(sampleSections() + classes({{".vnk", "vnkfile"}, {".vn2", "vnkfile"}, {"vnkfile", "Varnook File"},
                                                     {R"(vnkfile\shell\open\command)", "vnk.exe %1"}}))
    {
    }

    void SetUp() override { ASSERT_EQ(load(), 0); }

    QString lastBoxText() const { return ui.boxes().empty() ? QString() : ui.boxes().back().text; }
    QString lastBoxTitle() const { return ui.boxes().empty() ? QString() : ui.boxes().back().title; }
    QByteArray systemReg() const { return prefix.readFile(u"system.reg"_s); }
    void refuseWrites()
    {
        Registry& registry = prefix.store().registry();
        registry.mountMachine(registry.machineHive(), true);
    }

    ItemCommands commands{control.core()};
};

// ---- Remove

struct RemoveCase {
    const char* label;
    QString key;
    QString question; // the start of the question asked
    bool lastExtension;
    QStringList gone;
};

void PrintTo(const RemoveCase& c, std::ostream* os)
{
    *os << c.label;
}

class ItemCommandsRemove : public ItemCommandsTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(ItemCommandsRemove, AsksThenRemovesFromRegistryAndModel)
{
    const RemoveCase& c = GetParam();
    const auto item = control.GetItemFromKey(c.key);
    ASSERT_TRUE(item);
    ui.answer(vbNo);
    EXPECT_EQ(commands.Remove(item), kResultCancelled);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_TRUE(lastBoxText().startsWith(c.question)) << lastBoxText().toStdString();
    EXPECT_EQ(lastBoxText().contains(u"Removing the last file extension"_s), c.lastExtension);
    EXPECT_TRUE(shown(c.key));

    ui.answer(vbYes);
    EXPECT_EQ(commands.Remove(item), 0);
    for (const QString& key : c.gone)
        EXPECT_FALSE(shown(key)) << key.toStdString();
    EXPECT_EQ(ui.boxes().size(), 2u) << "no error box";
}

INSTANTIATE_TEST_SUITE_P(
    , ItemCommandsRemove,
    ::testing::Values(
        RemoveCase{"type", kDoc, u"Are you sure you want to remove this file type?\r\n\r\nThis will also"_s, false,
                   {kDoc, u"fe__..doc"_s}},
        RemoveCase{"extension of two", u"fe__..vnk"_s, u"Are you sure you want to remove this file extension?"_s, false,
                   {u"fe__..vnk"_s}},
        RemoveCase{"last extension", u"fe__..doc"_s, u"Are you sure you want to remove this file extension?"_s, true,
                   {u"fe__..doc"_s, kDoc}},
        RemoveCase{"orphaned extension", u"fe__..zzz"_s, u"Are you sure you want to remove this file extension?"_s,
                   false, {u"fe__..zzz"_s}},
        RemoveCase{"action", u"ac__.print.txtfile"_s, u"Are you sure you want to remove this action?"_s, false,
                   {u"ac__.print.txtfile"_s}},
        RemoveCase{"handler", KestrowFixture::kMenu1, u"Are you sure you want to remove this shell extension?"_s, false,
                   {KestrowFixture::kMenu1}}),
    [](const auto& param) { return testName(param.param.label); });

TEST_F(ItemCommandsTest, RemoveNeverTouchesASpecialTypeOrNothing)
{
    EXPECT_EQ(commands.Remove(control.GetItemFromKey(kFolder)), kResultCancelled);
    EXPECT_EQ(commands.Remove(nullptr), kResultCancelled);
    EXPECT_TRUE(ui.boxes().empty()) << "nothing asked";
    EXPECT_TRUE(shown(kFolder));
    EXPECT_TRUE(probe::keyExists(u"Folder"_s));
}

// A read-only registry is said before anything is asked, and nothing changes.
TEST_F(ItemCommandsTest, AReadOnlyRegistryIsRefusedBeforeAnyQuestion)
{
    refuseWrites();
    const QByteArray before = systemReg();
    const auto print = control.GetItemFromKey(u"ac__.print.txtfile"_s);
    const auto doc = control.GetItemFromKey(u"fe__..doc"_s);
    const std::function<long()> commandsRun[] = {
        [&] { return commands.Remove(print); },
        [&] { return commands.Associate(doc, kTxt); },
        [&] { return commands.AddTo(print, u"ft__.vnkfile"_s); },
    };
    for (const auto& run : commandsRun) {
        ui.clear();
        EXPECT_EQ(run(), kResultCancelled);
        ASSERT_EQ(ui.boxes().size(), 1u);
        EXPECT_EQ(ui.boxes()[0].icon(), vbInformation);
        EXPECT_EQ(lastBoxText(), u"The registry is open read-only, so nothing can be changed."_s);
    }
    EXPECT_TRUE(shown(u"ac__.print.txtfile"_s));
    EXPECT_FALSE(shown(u"ac__.print.vnkfile"_s));
    EXPECT_EQ(parentKey(u"fe__..doc"_s), u"ftef.ft__.docfile"_s);
    EXPECT_EQ(systemReg(), before);
}

// ---- Associate

TEST_F(ItemCommandsTest, AssociateMovesTheExtensionAndWritesOnlyItsName)
{
    const auto vnk = control.GetItemFromKey(u"fe__..vnk"_s);
    EXPECT_EQ(commands.Associate(vnk, kTxt), 0);
    EXPECT_TRUE(ui.boxes().empty()) << "the type keeps another extension: nothing asked";
    EXPECT_EQ(probe::text(u".vnk"_s), u"txtfile"_s);
    EXPECT_EQ(parentKey(u"fe__..vnk"_s), u"ftef.ft__.txtfile"_s);
    EXPECT_TRUE(shown(u"ft__.vnkfile"_s));
    EXPECT_TRUE(systemReg().contains("[Software\\\\Classes\\\\.vnk]"));
    EXPECT_TRUE(prefix.reopen().registry().machineHive() != nullptr);
    EXPECT_EQ(probe::text(u".vnk"_s), u"txtfile"_s) << "saved";
}

TEST_F(ItemCommandsTest, AssociatingTheLastExtensionAsksAndTakesTheOldTypeWithIt)
{
    const auto doc = control.GetItemFromKey(u"fe__..doc"_s);
    ui.answer(vbNo);
    EXPECT_EQ(commands.Associate(doc, kTxt), kResultCancelled);
    EXPECT_TRUE(lastBoxText().startsWith(u"Are you sure you want to associate this file extension with another file type?"_s));
    EXPECT_EQ(probe::text(u".doc"_s), u"docfile"_s);
    EXPECT_EQ(parentKey(u"fe__..doc"_s), u"ftef.ft__.docfile"_s);

    ui.answer(vbYes);
    EXPECT_EQ(commands.Associate(doc, kTxt), 0);
    EXPECT_EQ(probe::text(u".doc"_s), u"txtfile"_s);
    EXPECT_FALSE(probe::keyExists(u"docfile"_s));
    EXPECT_FALSE(shown(kDoc));
    EXPECT_EQ(parentKey(u"fe__..doc"_s), u"ftef.ft__.txtfile"_s);
}

TEST_F(ItemCommandsTest, AssociatingWithItsOwnTypeChangesNothing)
{
    const QByteArray before = systemReg();
    // Any letter case names the same type.
    for (const QString& key : {u"ft__.docfile"_s, u"FT__.DOCFILE"_s}) {
        auto type = control.GetItemFromKey(key);
        EXPECT_EQ(commands.Associate(control.GetItemFromKey(u"fe__..doc"_s), key), kResultCancelled);
    }
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_TRUE(shown(kDoc));
    EXPECT_EQ(systemReg(), before);
}

TEST_F(ItemCommandsTest, AssociatingAnOrphanGivesItAType)
{
    EXPECT_EQ(commands.Associate(control.GetItemFromKey(u"fe__..zzz"_s), kDoc), 0);
    EXPECT_EQ(probe::text(u".zzz"_s), u"docfile"_s);
    EXPECT_EQ(parentKey(u"fe__..zzz"_s), u"ftef.ft__.docfile"_s);
    EXPECT_FALSE(control.OrphanedExtensions().contains(u"fe__..zzz"_s));
}

TEST_F(ItemCommandsTest, AnAssociationThatCouldNotBeSavedIsReportedAndKeptForTheNextSave)
{
    prefix.store().setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 100); });
    EXPECT_EQ(commands.Associate(control.GetItemFromKey(u"fe__..vnk"_s), kTxt), ERROR_CANTWRITE);
    EXPECT_EQ(lastBoxTitle(), u"Error - 1013"_s);
    // Model and registry in memory agree; the file is untouched until a save succeeds.
    EXPECT_EQ(parentKey(u"fe__..vnk"_s), u"ftef.ft__.txtfile"_s);
    EXPECT_EQ(probe::text(u".vnk"_s), u"txtfile"_s);
    EXPECT_TRUE(systemReg().contains("vnkfile"));
    EXPECT_TRUE(prefix.store().hasUnsavedChanges());
}

// ---- Add to

TEST_F(ItemCommandsTest, AddToCopiesAnActionToAnotherType)
{
    EXPECT_EQ(commands.AddTo(control.GetItemFromKey(u"ac__.open.txtfile"_s), u"ft__.vnkfile"_s), kErrDuplicateKey)
        << "vnkfile has an open verb already";
    EXPECT_EQ(lastBoxText(), u"Error writing action data to registry."_s);
    EXPECT_EQ(probe::text(u"vnkfile\\shell\\open\\command"_s), u"vnk.exe %1"_s) << "nothing overwritten";

    ui.clear();
    EXPECT_EQ(commands.AddTo(control.GetItemFromKey(u"ac__.print.txtfile"_s), u"ft__.vnkfile"_s), 0);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(probe::text(u"vnkfile\\shell\\print\\command"_s), u"notepad.exe /p %1"_s);
    EXPECT_TRUE(shown(u"ac__.print.vnkfile"_s));
    EXPECT_TRUE(shown(u"ac__.print.txtfile"_s)) << "a copy, not a move";
}

TEST_F(ItemCommandsTest, AddToCopiesAFileTypeHandlerButNotAnExtensionsOwn)
{
    EXPECT_EQ(commands.AddTo(control.GetItemFromKey(kMenu1), u"ft__.vnkfile"_s), 0);
    EXPECT_EQ(probe::text(u"vnkfile\\shellex\\ContextMenuHandlers\\Menu1"_s), u"{11111111-0000-0000-0000-000000000001}"_s);
    EXPECT_TRUE(shown(u"sh__.{11111111-0000-0000-0000-000000000001}.1.vnkfile"_s));

    const QByteArray before = systemReg();
    EXPECT_EQ(commands.AddTo(control.GetItemFromKey(kTxtHandler), u"ft__.vnkfile"_s), kResultCancelled);
    EXPECT_EQ(systemReg(), before);
}

} // namespace
