#include "control/records/ActionObject.h"
#include "control/records/ErrorNumbers.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kSections = "\n[Software\\\\Classes\\\\txtfile\\\\shell] 1\n@=\"open\"\n"
                             "\n[Software\\\\Classes\\\\txtfile\\\\shell\\\\open\\\\Command] 1\n@=\"notepad.exe %1\"\n"
                             "\n[Software\\\\Classes\\\\txtfile\\\\shell\\\\open\\\\DDEEXEC] 1\n@=\"[open(\\\"%1\\\")]\"\n"
                             "\n[Software\\\\Classes\\\\txtfile\\\\shell\\\\open\\\\DDEEXEC\\\\Application] 1\n@=\"notepad\"\n"
                             "\n[Software\\\\Classes\\\\txtfile\\\\shell\\\\open\\\\DDEEXEC\\\\topic] 1\n@=\"System\"\n"
                             "\n[Software\\\\Classes\\\\txtfile\\\\shell\\\\play] 1\n"
                             "\n[Software\\\\Classes\\\\txtfile\\\\shell\\\\printto] 1\n"
                             "\n[Software\\\\Classes\\\\txtfile\\\\shell\\\\toolong] 1\n@=\"" +
                             QByteArray(300, 'x') + "\"\n"
                             "\n[Software\\\\Classes\\\\docfile\\\\shell\\\\open\\\\command] 1\n@=\"x\"\n";

std::shared_ptr<ActionObject> action(const QString& verb, const QString& host = QStringLiteral("txtfile"))
{
    auto a = std::make_shared<ActionObject>();
    a->HostInternalName = host;
    a->HostTypeKey = QStringLiteral("ft__.") + host;
    a->CommandKey = verb;
    return a;
}

class ActionRecord : public ::testing::Test {
protected:
    ActionRecord()
        : prefix(kSections)
    {
        prefix.open();
    }
    TestPrefix prefix;
};

TEST_F(ActionRecord, LoadsCommandAndDdeWhateverTheCaseOfTheSubkeys)
{
    auto open = action(QStringLiteral("open"));
    ASSERT_EQ(open->LoadMe(), 0);
    EXPECT_EQ(open->Name, QStringLiteral("Open"));
    EXPECT_EQ(open->Command, QStringLiteral("notepad.exe %1"));
    EXPECT_EQ(open->DDE_Message, QStringLiteral("[open(\"%1\")]"));
    EXPECT_EQ(open->DDE_App, QStringLiteral("notepad"));
    EXPECT_EQ(open->DDE_Topic, QStringLiteral("System"));
    EXPECT_EQ(open->DDE_AppNoRun, QString());
    EXPECT_EQ(open->Key(), QStringLiteral("ac__.open.txtfile"));
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);
}

// Whether its key is there without a name (play, printto) or missing, a verb shows its standard name.
TEST_F(ActionRecord, UnnamedVerbsTakeTheirStandardNamesAndUnreadableOnesFail)
{
    const std::pair<const char*, const char*> cases[] = {
        {"PRINT", "Print"},     {"printto", "Print To"}, {"Edit", "Edit"}, {"new", "New"},    {"find", "Find"},
        {"explore", "Explore"}, {"play", "play"},        {"runas", "runas"}};
    for (const auto& [verb, name] : cases) {
        SCOPED_TRACE(verb);
        auto a = action(QString::fromLatin1(verb));
        EXPECT_EQ(a->LoadMe(), 0);
        EXPECT_EQ(a->Name, QString::fromLatin1(name));
        EXPECT_EQ(a->Command, QString());
    }
    auto tooLong = action(QStringLiteral("toolong"));
    EXPECT_EQ(tooLong->LoadMe(), kErrLoadAction);
    EXPECT_EQ(tooLong->Name, QString()); // no derived name after a failure
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);
}

TEST_F(ActionRecord, WritesVerbCommandAndDdeRules)
{
    auto play = action(QStringLiteral("play"));
    ASSERT_EQ(play->LoadMe(), 0);
    play->Command = QStringLiteral("player.exe \"%1\"");
    play->DDE_Topic = QStringLiteral("Media");
    ASSERT_EQ(play->WriteMe(), 0);
    EXPECT_FALSE(probe::text(QStringLiteral("txtfile\\shell\\play"))); // the standard name is not written
    EXPECT_EQ(probe::text(QStringLiteral("txtfile\\shell\\play\\command")), play->Command);
    EXPECT_EQ(probe::text(QStringLiteral("txtfile\\shell\\play\\ddeexec")), QString());
    EXPECT_EQ(probe::text(QStringLiteral("txtfile\\shell\\play\\ddeexec\\topic")), QStringLiteral("Media"));
    EXPECT_EQ(probe::subkeys(QStringLiteral("txtfile\\shell\\play\\ddeexec")), QStringList{QStringLiteral("topic")});

    // A cleared field keeps an existing subkey; clearing all four removes ddeexec with its subkeys.
    auto open = action(QStringLiteral("open"));
    ASSERT_EQ(open->LoadMe(), 0);
    open->DDE_App.clear();
    ASSERT_EQ(open->WriteMe(), 0);
    EXPECT_EQ(probe::text(QStringLiteral("txtfile\\shell\\open\\ddeexec\\Application")), QStringLiteral("notepad"));
    open->DDE_Message.clear();
    open->DDE_Topic.clear();
    ASSERT_EQ(open->WriteMe(), 0);
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile\\shell\\open\\ddeexec")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile\\shell\\open\\command")));
}

TEST_F(ActionRecord, WriteChecksTheTypeAndTheVerb)
{
    EXPECT_EQ(action(QStringLiteral("open"), QStringLiteral("nofile"))->WriteMe(), kErrOpenKey);
    EXPECT_EQ(action(QStringLiteral("open"), QString())->WriteMe(), kErrOpenKey);
    auto noVerb = action(QString());
    noVerb->Name = QStringLiteral("Clobber");
    EXPECT_EQ(noVerb->WriteMe(), kErrCreateKey);
    EXPECT_EQ(probe::text(QStringLiteral("txtfile\\shell")), QStringLiteral("open")); // the default verb stays
    EXPECT_FALSE(probe::keyExists(QStringLiteral("nofile")));
}

TEST_F(ActionRecord, RemovesTheVerbWithEverythingBelowIt)
{
    auto open = action(QStringLiteral("open"));
    ASSERT_EQ(open->RemoveMe(), 0);
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile\\shell\\open")));
    EXPECT_EQ(open->RemoveMe(), kErrRemoveKey);
    EXPECT_EQ(action(QStringLiteral("open"), QStringLiteral("nofile"))->RemoveMe(), kErrOpenKey);
    EXPECT_EQ(action(QString())->RemoveMe(), kErrRemoveKey);
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile\\shell\\play")));

    // The shell key goes with its last verb, unless it holds a value of its own.
    for (const char* verb : {"play", "printto", "toolong"})
        ASSERT_EQ(action(QString::fromLatin1(verb))->RemoveMe(), 0);
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile\\shell")));
    ASSERT_EQ(action(QStringLiteral("open"), QStringLiteral("docfile"))->RemoveMe(), 0);
    EXPECT_FALSE(probe::keyExists(QStringLiteral("docfile\\shell")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral("docfile")));
}

} // namespace
