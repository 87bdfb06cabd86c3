#include "tests/regapi/RegScriptGenerator.h"
#include "tests/regapi/RegScriptInterpreter.h"
#include "tests/support/WinePrefix.h"

#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

// The engine must answer every registry call as Windows' registry API does under Wine: the same
// scripts run through the Windows build of the interpreter under Wine and through the native one
// against the engine, and their outputs are compared line by line.

namespace {

using namespace Qt::StringLiterals;

// Seeds of the generated scripts the test runs; a difference names its seed.
constexpr std::uint32_t kFirstSeed = 1;
constexpr std::uint32_t kSeeds = 200;
constexpr int kCallsPerScript = 80;
constexpr int kDifferencesShownPerScript = 5;

// Each script's output lines, by the name on its "script" line.
std::map<std::string, std::vector<std::string>> byScript(const std::string& output)
{
    std::map<std::string, std::vector<std::string>> scripts;
    std::vector<std::string>* current = nullptr;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("script ", 0) == 0)
            current = &scripts[line.substr(7, line.find(" -> ") - 7)];
        if (current)
            current->push_back(line);
    }
    return scripts;
}

QString windowsPath(const QString& path)
{
    return u"Z:"_s + QDir::toNativeSeparators(path).replace(u'/', u'\\');
}

class RegApiDifferential : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WinePrefix::wineAvailable())
            GTEST_SKIP() << "Wine is not installed";
        ASSERT_TRUE(wine.isValid()) << "wineboot did not create a prefix";
        ASSERT_TRUE(QFile::exists(QStringLiteral(REGSCRIPT_EXE))) << REGSCRIPT_EXE;
        ASSERT_TRUE(files.isValid());

        auto machine = std::make_shared<Hive>(u"REGISTRY\\Machine"_s);
        machine->root()->addChild(u"Software"_s, 1)->addChild(u"Classes"_s, 1);
        auto user = std::make_shared<Hive>(u"REGISTRY\\User\\S-1-5-21-0-0-0-1000"_s);
        user->root()->addChild(u"Software"_s, 1);
        registry.mountMachine(machine);
        registry.mountUser(user);
        Registry::setCurrent(&registry);
    }
    void TearDown() override { Registry::setCurrent(nullptr); }

    // Writes the scripts to files and runs them all in one process of each kind.
    void compare(const std::vector<std::string>& scripts)
    {
        QStringList arguments{QStringLiteral(REGSCRIPT_EXE)};
        std::ostringstream ours;
        RegScriptInterpreter interpreter(ours);
        std::size_t calls = 0;
        for (std::size_t i = 0; i < scripts.size(); ++i) {
            const QString path = files.filePath(u"script-%1.txt"_s.arg(i));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(scripts[i].data(), qint64(scripts[i].size()));
            file.close();
            arguments << windowsPath(path);
            std::istringstream in(scripts[i]);
            interpreter.run(in);
        }
        int exitCode = -1;
        const std::map<std::string, std::vector<std::string>> expected =
            byScript(wine.run(arguments, &exitCode).toStdString());
        ASSERT_EQ(exitCode, 0);
        const std::map<std::string, std::vector<std::string>> actual = byScript(ours.str());
        ASSERT_EQ(expected.size(), scripts.size()) << "every script ran under Wine";
        ASSERT_EQ(actual.size(), scripts.size());
        for (const auto& [name, wineLines] : expected) {
            const std::vector<std::string>& ourLines = actual.at(name);
            EXPECT_EQ(ourLines.size(), wineLines.size()) << name;
            int shown = 0;
            for (std::size_t i = 0; i < std::min(ourLines.size(), wineLines.size()); ++i) {
                ++calls;
                if (ourLines[i] != wineLines[i] && shown++ < kDifferencesShownPerScript)
                    ADD_FAILURE() << name << ", line " << i << ":\n  wine: " << wineLines[i]
                                  << "\n  ours: " << ourLines[i];
            }
        }
        std::cout << "compared " << scripts.size() << " scripts, " << calls << " calls\n";
    }

    WinePrefix wine;
    QTemporaryDir files;
    Registry registry;
};

TEST_F(RegApiDifferential, HandWrittenScriptsAnswerAsWine)
{
    std::vector<std::string> scripts;
    const QDir folder(QStringLiteral(REGSCRIPT_DIR));
    for (const QString& name : folder.entryList({u"*.txt"_s}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        scripts.push_back(file.readAll().toStdString());
    }
    ASSERT_FALSE(scripts.empty());
    compare(scripts);
}

TEST_F(RegApiDifferential, GeneratedScriptsAnswerAsWine)
{
    std::vector<std::string> scripts;
    for (std::uint32_t seed = kFirstSeed; seed < kFirstSeed + kSeeds; ++seed)
        scripts.push_back(RegScriptGenerator::generate(seed, kCallsPerScript));
    compare(scripts);
}

} // namespace
