#include "app/shell/CommandLine.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Action = CommandLine::Action;

TEST(CommandLine, ReadsTheOptionsAUserGives)
{
    struct {
        QStringList arguments;
        Action action;
        QString prefix;
        bool readOnly;
        QString textContains;
    } const cases[] = {
        {{}, Action::Run, {}, false, {}},
        {{u"--prefix"_s, u"/p/wine"_s}, Action::Run, u"/p/wine"_s, false, {}},
        {{u"--prefix=/p/wine"_s, u"--read-only"_s}, Action::Run, u"/p/wine"_s, true, {}},
        {{u"--read-only"_s}, Action::Run, {}, true, {}},
        {{u"--help"_s}, Action::ShowHelp, {}, false, u"Usage: Varnook2 [options]"_s},
        {{u"--version"_s}, Action::ShowVersion, {}, false, u"Varnook 2."_s},
        {{u"--prefix"_s}, Action::Fail, {}, false, u"--help"_s},
        {{u"--prefix="_s}, Action::Fail, {}, false, u"needs a folder"_s},
        {{u"--bogus"_s}, Action::Fail, {}, false, u"bogus"_s},
        {{u"file.txt"_s}, Action::Fail, {}, false, u"'file.txt'"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CommandLine line = CommandLine::parse(QStringList{u"/usr/bin/Varnook2"_s} + c.arguments);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.prefixDir, c.prefix);
        EXPECT_EQ(line.readOnly, c.readOnly);
        EXPECT_TRUE(line.text.contains(c.textContains)) << line.text.toStdString();
    }
}

TEST(CommandLine, ReadsTheCommandsForScripts)
{
    QTemporaryDir folder;
    struct {
        QStringList arguments;
        Action action;
        bool json;
        QString item;
        QString exportFile;
        QString errorContains; // for Fail
    } const cases[] = {
        {{u"--list"_s}, Action::List, false, {}, {}, {}},
        {{u"--list"_s, u"--json"_s, u"--read-only"_s}, Action::List, true, {}, {}, {}},
        {{u"--json"_s, u"--prefix=/p"_s, u"--list"_s}, Action::List, true, {}, {}, {}},
        {{u"--show"_s, u".txt"_s}, Action::Show, false, u".txt"_s, {}, {}},
        {{u"--show=txtfile"_s, u"--json"_s}, Action::Show, true, u"txtfile"_s, {}, {}},
        {{u"--show"_s, u" .txt "_s}, Action::Show, false, u".txt"_s, {}, {}},
        {{u"--export"_s, u".txt"_s, u"out.reg"_s}, Action::Export, false, u".txt"_s, u"out.reg"_s, {}},
        {{u"out.reg"_s, u"--export"_s, u"txtfile"_s}, Action::Export, false, u"txtfile"_s, u"out.reg"_s, {}},
        // Bad combinations.
        {{u"--list"_s, u"--show"_s, u".txt"_s}, Action::Fail, false, {}, {}, u"only one"_s},
        {{u"--show"_s, u".txt"_s, u"--export"_s, u".txt"_s, u"x.reg"_s}, Action::Fail, false, {}, {}, u"only one"_s},
        {{u"--show"_s}, Action::Fail, false, {}, {}, u"--help"_s},
        {{u"--show="_s}, Action::Fail, false, {}, {}, u"needs an extension or a file type"_s},
        {{u"--show"_s, u"  "_s}, Action::Fail, false, {}, {}, u"needs an extension or a file type"_s},
        {{u"--show"_s, u".txt"_s, u"extra"_s}, Action::Fail, false, {}, {}, u"'extra'"_s},
        {{u"--list"_s, u"extra"_s}, Action::Fail, false, {}, {}, u"'extra'"_s},
        {{u"--json"_s}, Action::Fail, false, {}, {}, u"'--json'"_s},
        {{u"--export"_s, u".txt"_s}, Action::Fail, false, {}, {}, u"needs the file"_s},
        {{u"--export"_s, u".txt"_s, u"a.reg"_s, u"b.reg"_s}, Action::Fail, false, {}, {}, u"'b.reg'"_s},
        {{u"--export"_s, u".txt"_s, folder.path()}, Action::Fail, false, {}, {}, u"no file name"_s},
        {{u"--export"_s, u".txt"_s, u"a.reg"_s, u"--json"_s}, Action::Fail, false, {}, {}, u"'--json'"_s},
        {{u"--list"_s, u"--prefix="_s}, Action::Fail, false, {}, {}, u"needs a folder"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CommandLine line = CommandLine::parse(QStringList{u"Varnook2"_s} + c.arguments);
        EXPECT_EQ(line.action, c.action) << line.text.toStdString();
        EXPECT_EQ(line.isScriptCommand(), c.action != Action::Fail);
        EXPECT_EQ(line.json, c.json);
        EXPECT_EQ(line.item, c.item);
        EXPECT_EQ(line.exportFile, c.exportFile);
        if (c.action == Action::Fail) {
            EXPECT_TRUE(line.text.contains(c.errorContains)) << line.text.toStdString();
        }
    }
}

TEST(CommandLine, HelpOffersTheCommandsAndTheirExitCodes)
{
    const QString help = CommandLine::parse({u"Varnook2"_s, u"--help"_s}).text;
    for (const QString& offered :
         {u"--list"_s, u"--show <item>"_s, u"--export <item>"_s, u"--json"_s, u"Exit codes:"_s, u"  4  "_s})
        EXPECT_TRUE(help.contains(offered)) << offered.toStdString();
}

TEST(CommandLine, APrefixStandsForWineprefix)
{
    QProcessEnvironment system;
    system.insert(u"WINEPREFIX"_s, u"/home/u/.wine-games"_s);
    system.insert(u"HOME"_s, u"/home/u"_s);
    EXPECT_EQ(CommandLine::parse({u"Varnook2"_s}).environment(system).value(u"WINEPREFIX"_s), u"/home/u/.wine-games"_s);
    const QProcessEnvironment chosen = CommandLine::parse({u"Varnook2"_s, u"--prefix"_s, u"office"_s}).environment(system);
    EXPECT_EQ(chosen.value(u"WINEPREFIX"_s), QDir(u"office"_s).absolutePath()) << "relative to where Varnook starts";
    EXPECT_EQ(chosen.value(u"HOME"_s), u"/home/u"_s);
}

} // namespace
