#include "app/shell/CommandLine.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(CommandLine, ReadsTheOptionsAUserGives)
{
    struct {
        QStringList arguments;
        CommandLine::Action action;
        QString prefix;
        bool readOnly;
        QString textContains;
    } const cases[] = {
        {{}, CommandLine::Action::Run, {}, false, {}},
        {{u"--prefix"_s, u"/p/wine"_s}, CommandLine::Action::Run, u"/p/wine"_s, false, {}},
        {{u"--prefix=/p/wine"_s, u"--read-only"_s}, CommandLine::Action::Run, u"/p/wine"_s, true, {}},
        {{u"--read-only"_s}, CommandLine::Action::Run, {}, true, {}},
        {{u"--help"_s}, CommandLine::Action::ShowHelp, {}, false, u"Usage: Varnook2 [options]"_s},
        {{u"--version"_s}, CommandLine::Action::ShowVersion, {}, false, u"Varnook 2."_s},
        {{u"--prefix"_s}, CommandLine::Action::Fail, {}, false, u"--help"_s},
        {{u"--prefix="_s}, CommandLine::Action::Fail, {}, false, u"needs a folder"_s},
        {{u"--bogus"_s}, CommandLine::Action::Fail, {}, false, u"bogus"_s},
        {{u"file.txt"_s}, CommandLine::Action::Fail, {}, false, u"'file.txt'"_s},
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
