#include "app/shell/UnsavedChanges.h"
#include "app/shell/frmMain.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestNames.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Why the registry could not save a change, and what the user answers when asked about closing.
struct Closing {
    const char* label;
    bool changeFails;       // the disk is full when the change is made
    bool diskFreedAfterwards;
    bool changedByOthers;   // another program wrote system.reg after the load
    int answer;             // to the question, if one is asked
    bool asked;
    bool mayClose;
    const char* reason;     // a part of the reason the question gives
};

void PrintTo(const Closing& c, std::ostream* os)
{
    *os << c.label;
}

class UnsavedChangesTest : public ::testing::TestWithParam<Closing> {
protected:
    UnsavedChangesTest() { prefix.open(); }

    void change()
    {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u".mine"_s, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    TestSettings settings;
    ScriptedUi ui;
    TestPrefix prefix{"\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n"};
};

TEST_P(UnsavedChangesTest, AsksOnlyWhenAChangeCannotReachTheDisk)
{
    const Closing& c = GetParam();
    PrefixStore& store = prefix.store();
    if (c.changeFails)
        store.setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 10); });
    if (c.changedByOthers)
        prefix.writeFile(u"system.reg"_s, prefix.readFile(u"system.reg"_s) + "\n[Software\\\\Theirs] 1\n");
    change();
    ui.clear(); // the store's own warning about the failed save
    if (c.diskFreedAfterwards)
        store.setSaveFileFactory({});
    ui.answer(c.answer);

    EXPECT_EQ(MayCloseWithUnsavedChanges(store), c.mayClose);
    ASSERT_EQ(ui.boxes().size(), c.asked ? 1u : 0u);
    if (c.asked) {
        const MessageBoxRequest& box = ui.boxes().front();
        EXPECT_EQ(box.title, u"Varnook"_s);
        EXPECT_EQ(box.style, vbYesNo | vbQuestion | vbDefaultButton2) << "No is the default: Enter keeps the changes";
        EXPECT_TRUE(box.text.startsWith(u"Some changes could not be saved to the registry of %1:\r\n"_s.arg(prefix.path())))
            << box.text.toStdString();
        EXPECT_TRUE(box.text.endsWith(u"\r\n\r\nClose anyway and lose them?"_s));
        EXPECT_TRUE(box.text.contains(QLatin1String(c.reason))) << box.text.toStdString();
    }
    EXPECT_EQ(prefix.readFile(u"system.reg"_s).contains(".mine"), c.mayClose && !c.asked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnsavedChangesTest,
    ::testing::Values(Closing{"everything saved", false, false, false, vbYes, false, true, ""},
                      Closing{"disk full, the user keeps them", true, false, false, vbNo, true, false, "No space left"},
                      Closing{"disk full, the user closes", true, false, false, vbYes, true, true, "No space left"},
                      Closing{"space freed meanwhile: saved on the way out", true, true, false, vbNo, false, true, ""},
                      Closing{"file changed by another program", false, false, true, vbNo, true, false,
                              "changed by another program"}),
    [](const auto& param) { return testName(param.param.label); });

TEST(MainWindowClosing, StaysOpenWhenTheUserKeepsUnsavedChanges)
{
    TestSettings settings;
    ScriptedUi ui;
    TestPrefix prefix("\n[Software\\\\Classes\\\\.txt] 1\n");
    PrefixStore& store = prefix.open();
    store.setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 10); });
    HKEY key = 0;
    RegCreateKeyEx(HKEY_CLASSES_ROOT, u".mine"_s, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);

    frmMain window;
    window.setPrefix(&store);
    int unloaded = 0;
    QObject::connect(&window, &frmMain::unloaded, [&unloaded] { ++unloaded; });
    window.show();
    ui.clear();
    ui.answer(vbNo);
    window.close();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isUnloaded());
    EXPECT_EQ(unloaded, 0);
    ui.answer(vbYes);
    window.close();
    EXPECT_TRUE(window.isUnloaded());
    EXPECT_EQ(unloaded, 1);
    EXPECT_EQ(ui.boxes().size(), 2u);
}

} // namespace
