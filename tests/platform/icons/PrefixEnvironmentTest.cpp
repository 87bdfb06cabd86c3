// First, so that GoogleTest finds it when it instantiates its printers.
#include "tests/support/QStringPrinter.h"

#include "platform/shell/PrefixEnvironment.h"

#include "platform/registry/Registry.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

PrefixEnvironment sample()
{
    PrefixEnvironment env;
    env.set(u"SystemRoot"_s, u"C:\\windows"_s);
    env.set(u"Outer"_s, u"%Inner%\\x"_s);
    env.set(u"Inner"_s, u"%systemroot%"_s);
    env.set(u"Loop"_s, u"a%Loop%"_s);
    env.set(u"Empty"_s, QString());
    return env;
}

TEST(PrefixEnvironmentTest, Expands)
{
    const PrefixEnvironment env = sample();
    const QList<std::pair<const char*, const char*>> cases{
        {"%SystemRoot%\\system32", "C:\\windows\\system32"},
        {"%SYSTEMROOT%", "C:\\windows"},
        {"%Outer%", "C:\\windows\\x"},
        {"[%Empty%]", "[]"},
        {"%Unknown%\\x", "%Unknown%\\x"},
        {"100%", "100%"},
        {"50%%", "50%%"},
        {"%%SystemRoot%", "%C:\\windows"},
        // An unknown name gives its closing '%' to the next one, as Windows does.
        {"%nope%SystemRoot%", "%nopeC:\\windows"},
        {"no variables", "no variables"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(env.expand(QString::fromLatin1(text)), QString::fromLatin1(expected)) << text;
}

TEST(PrefixEnvironmentTest, RunawayValuesStop)
{
    PrefixEnvironment env = sample();
    const QString loop = env.expand(u"%Loop%"_s);
    EXPECT_EQ(loop, QString(PrefixEnvironment::kMaxExpansionDepth, QLatin1Char('a')) + u"%Loop%"_s);

    // Each level names the next a hundred times: without limits a hundred to the eighth substitutions.
    for (int level = 0; level < 8; ++level)
        env.set(u"L%1"_s.arg(level), u"%L%1%"_s.arg(level + 1).repeated(100));
    const QString bomb = env.expand(u"%L0%"_s);
    EXPECT_LE(bomb.size(), PrefixEnvironment::kMaxExpandedLength);
}

TEST(PrefixEnvironmentTest, ReadsThePrefixRegistry)
{
    TestPrefix prefix(
        "\n[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1\n"
        "\"SystemRoot\"=\"D:\\\\winnt\"\n"
        "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1\n"
        "\"CommonFilesDir\"=\"D:\\\\Programs\\\\Common\"\n"
        "\"ProgramFilesDir\"=\"D:\\\\Programs\"\n"
        "\"ProgramFilesDir (x86)\"=\"D:\\\\Programs (x86)\"\n"
        "\n[System\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\Environment] 1\n"
        "\"Count\"=dword:00000002\n"
        "\"PATH\"=str(2):\"%SystemRoot%\\\\system32;%SystemRoot%\"\n"
        "\"Shared\"=\"machine\"\n"
        "\"TEMP\"=str(2):\"%SystemRoot%\\\\temp\"\n"
        "\"windir\"=str(2):\"%SystemRoot%\"\n",
        "\n[Environment] 1\n"
        "\"Path\"=\"D:\\\\tools\"\n"
        "\"Shared\"=\"user\"\n"
        "\n[Volatile Environment] 1\n"
        "\"APPDATA\"=\"D:\\\\users\\\\me\\\\AppData\\\\Roaming\"\n"
        "\"USERPROFILE\"=\"D:\\\\users\\\\me\"\n");
    prefix.open();
    const PrefixEnvironment env = PrefixEnvironment::fromRegistry();
    Registry::setCurrent(nullptr);

    const QList<std::pair<const char*, const char*>> cases{
        {"%SystemRoot%", "D:\\winnt"},
        {"%windir%", "D:\\winnt"},
        {"%SystemDrive%", "D:"},
        {"%TEMP%", "D:\\winnt\\temp"},
        {"%PATH%", "D:\\winnt\\system32;D:\\winnt;D:\\tools"},
        {"%Shared%", "user"},
        {"%ProgramFiles%|%ProgramFiles(x86)%|%CommonProgramFiles%", "D:\\Programs|D:\\Programs (x86)|D:\\Programs\\Common"},
        {"%USERPROFILE%|%APPDATA%", "D:\\users\\me|D:\\users\\me\\AppData\\Roaming"},
        {"%Count%", "%Count%"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(env.expand(QString::fromLatin1(text)), QString::fromLatin1(expected)) << text;
}

TEST(PrefixEnvironmentTest, WithoutRegistryOnlyTheSystemFolders)
{
    Registry::setCurrent(nullptr);
    const PrefixEnvironment env = PrefixEnvironment::fromRegistry();
    EXPECT_EQ(env.expand(u"%SystemRoot%|%windir%|%SystemDrive%|%ProgramFiles%"_s),
              u"C:\\windows|C:\\windows|C:|%ProgramFiles%"_s);
}

} // namespace
