#include "app/shell/Startup.h"
#include "common/MessageBoxes.h"
#include "platform/registry/CommandScope.h"
#include "platform/registry/RegistryApi.h"
#include "tests/interop/InteropSupport.h"

#include <QProcessEnvironment>

#include <gtest/gtest.h>

// Wine running, or having run, while Varnook has the prefix open: Varnook never writes over what
// Wine keeps or wrote, and never loses the user's change either.

namespace {

using namespace Qt::StringLiterals;

const QString kKey = u"varnook.meanwhile"_s;

class WineMeanwhileInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WinePrefix::wineAvailable())
            GTEST_SKIP() << "Wine is not installed";
        ASSERT_TRUE(wine.isValid()) << "wineboot did not create a prefix";
        QProcessEnvironment environment;
        environment.insert(u"WINEPREFIX"_s, wine.path());
        store = OpenPrefixRegistry(environment);
        ASSERT_TRUE(store);
        ASSERT_FALSE(store->isReadOnly()) << store->readOnlyReason().toStdString();
        ASSERT_TRUE(ui.boxes().empty());
    }

    // One user command: sets HKCR\varnook.meanwhile's default value; returns the command's outcome.
    static long setDefault(const QString& text)
    {
        CommandScope command;
        HKEY key = 0;
        long rc = RegCreateKeyEx(HKEY_CLASSES_ROOT, kKey, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (rc == ERROR_SUCCESS) {
            const QByteArray data = regTextBytes(text);
            rc = RegSetValueEx(key, QString(), 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.constData()),
                               DWORD(data.size()));
            RegCloseKey(key);
        }
        return command.finish(rc);
    }

    QByteArray systemReg() const { return readFile(wine.filePath(u"system.reg"_s)); }

    TestSettings settings;
    ScriptedUi ui;
    WinePrefix wine;
    std::unique_ptr<PrefixStore> store;
};

TEST_F(WineMeanwhileInterop, AServerThatStartsRefusesTheSaveKeepsTheChangeAndARetrySavesIt)
{
    const QByteArray before = systemReg();
    wine.startServer();

    EXPECT_EQ(setDefault(u"first"_s), ERROR_CANTWRITE);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, ApplicationTitle());
    EXPECT_TRUE(ui.boxes()[0].text.startsWith(u"Wine started running for the prefix "_s + wine.path()))
        << ui.boxes()[0].text.toStdString();
    EXPECT_TRUE(ui.boxes()[0].text.contains(u"\"wineserver -k\""_s));
    EXPECT_EQ(systemReg(), before);
    // The change stays in memory, visible to the program, and waits for the next save.
    EXPECT_TRUE(store->hasUnsavedChanges());
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);

    wine.stopServer(); // wineserver -k
    EXPECT_EQ(systemReg(), before) << "a server that changed nothing writes nothing";
    ASSERT_TRUE(store->save()) << store->lastError().toStdString();
    EXPECT_FALSE(store->hasUnsavedChanges());
    EXPECT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(wine.query(u"HKCR\\"_s + kKey), QStringList(u"(Default)|REG_SZ|first"_s));
}

TEST_F(WineMeanwhileInterop, TheNextCommandAfterTheServerStoppedSavesTheEarlierChangeToo)
{
    wine.startServer();
    EXPECT_EQ(setDefault(u"first"_s), ERROR_CANTWRITE);
    wine.stopServer();
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, kKey + u"\\shell"_s, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_FALSE(store->hasUnsavedChanges());
    EXPECT_EQ(wine.query(u"HKCR\\"_s + kKey), QStringList(u"(Default)|REG_SZ|first"_s));
}

TEST_F(WineMeanwhileInterop, AWineProgramsChangeIsDetectedAndNeverOverwritten)
{
    int code = -1;
    wine.run({u"reg"_s, u"add"_s, u"HKCR\\varnook.fromwine"_s, u"/ve"_s, u"/d"_s, u"wine's"_s, u"/f"_s}, &code);
    ASSERT_EQ(code, 0);
    wine.stopServer(); // the server writes its registry as it goes
    const QByteArray wineWrote = systemReg();
    ASSERT_TRUE(wineWrote.contains("varnook.fromwine"));

    EXPECT_EQ(setDefault(u"ours"_s), ERROR_CANTWRITE);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text,
              wine.filePath(u"system.reg"_s) +
                  u" was changed by another program after Varnook read it. Varnook did not save, so nothing of "
                  "that program's change is lost; your last change was not saved. Start Varnook again to see the "
                  "registry as it is now."_s);
    EXPECT_EQ(systemReg(), wineWrote);
    // Neither a retry nor a later command writes over it.
    EXPECT_FALSE(store->save());
    EXPECT_EQ(setDefault(u"ours again"_s), ERROR_CANTWRITE);
    EXPECT_EQ(systemReg(), wineWrote);
    EXPECT_EQ(wine.query(u"HKCR\\varnook.fromwine"_s), QStringList(u"(Default)|REG_SZ|wine's"_s));
    EXPECT_TRUE(wine.query(u"HKCR\\"_s + kKey).isEmpty());
    wine.stopServer();

    // Started again, Varnook sees Wine's change and saves on top of it.
    store.reset();
    QProcessEnvironment environment;
    environment.insert(u"WINEPREFIX"_s, wine.path());
    store = OpenPrefixRegistry(environment);
    ASSERT_TRUE(store);
    EXPECT_EQ(setDefault(u"ours"_s), ERROR_SUCCESS);
    EXPECT_EQ(wine.query(u"HKCR\\varnook.fromwine"_s), QStringList(u"(Default)|REG_SZ|wine's"_s));
    EXPECT_EQ(wine.query(u"HKCR\\"_s + kKey), QStringList(u"(Default)|REG_SZ|ours"_s));
}

TEST_F(WineMeanwhileInterop, AUserChangeByWineIsDetectedInUserRegToo)
{
    int code = -1;
    wine.run({u"reg"_s, u"add"_s, u"HKCU\\Software\\VarnookMeanwhile"_s, u"/v"_s, u"x"_s, u"/d"_s, u"1"_s, u"/f"_s},
             &code);
    ASSERT_EQ(code, 0);
    wine.stopServer();
    const QByteArray userWrote = readFile(wine.filePath(u"user.reg"_s));

    CommandScope command;
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\VarnookMeanwhile"_s, 0, QString(), 0, KEY_ALL_ACCESS,
                             nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const QByteArray data = regTextBytes(u"2"_s);
    EXPECT_EQ(RegSetValueEx(key, u"x"_s, 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.constData()),
                            DWORD(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(command.finish(), ERROR_CANTWRITE);
    EXPECT_EQ(readFile(wine.filePath(u"user.reg"_s)), userWrote);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_TRUE(ui.boxes()[0].text.startsWith(wine.filePath(u"user.reg"_s) + u" was changed by another program"_s));
    EXPECT_EQ(wine.query(u"HKCU\\Software\\VarnookMeanwhile"_s), QStringList(u"x|REG_SZ|1"_s));
}

} // namespace
