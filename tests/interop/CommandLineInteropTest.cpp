#include "tests/interop/InteropSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The program as built, beside the test programs' folder.
QString programPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(u"../bin/Varnook2"_s);
}

// "name=value" lines, as assoc and ftype print them, by name without regard to case.
QHash<QString, std::pair<QString, QString>> pairsOf(const QString& output)
{
    QHash<QString, std::pair<QString, QString>> pairs;
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0)
            pairs.insert(line.left(equals).toCaseFolded(), {line.left(equals), line.mid(equals + 1).trimmed()});
    }
    return pairs;
}

// Varnook2 --list on a real Wine prefix, while Wine runs for it, agrees with what Wine's own assoc
// and ftype print: the same type for every extension, the same open command for every type.
class CommandLineInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WinePrefix::wineAvailable())
            GTEST_SKIP() << "Wine is not installed";
        ASSERT_TRUE(wine.isValid());
        ASSERT_TRUE(QFileInfo(programPath()).isExecutable()) << "build Varnook2 first: " << programPath().toStdString();

        const QByteArray reg = "REGEDIT4\r\n"
                               "\r\n[HKEY_CLASSES_ROOT\\.vnk]\r\n@=\"vnkfile\"\r\n"
                               "\r\n[HKEY_CLASSES_ROOT\\.VN2]\r\n@=\"vnkfile\"\r\n"
                               "\r\n[HKEY_CLASSES_ROOT\\.vno]\r\n@=\"nofile\"\r\n"
                               "\r\n[HKEY_CLASSES_ROOT\\vnkfile]\r\n@=\"Varnook File\"\r\n"
                               "\r\n[HKEY_CLASSES_ROOT\\vnkfile\\shell\\open\\command]\r\n@=\"vnk.exe \\\"%1\\\"\"\r\n"
                               "\r\n[HKEY_CLASSES_ROOT\\vnkfile\\shell\\open\\ddeexec]\r\n@=\"[open(\\\"%1\\\")]\"\r\n";
        QFile seed(wine.filePath(u"drive_c/seed.reg"_s));
        ASSERT_TRUE(seed.open(QIODevice::WriteOnly) && seed.write(reg) == reg.size());
        seed.close();
        int code = -1;
        const QString output = wine.run({u"reg"_s, u"import"_s, u"C:\\seed.reg"_s}, &code);
        ASSERT_EQ(code, 0) << output.toStdString();
        // The import reaches the files when the server ends; the next Wine program starts another.
        wine.stopServer();
    }

    void TearDown() override
    {
        if (wine.isValid())
            wine.stopServer();
    }

    // Runs the program on the prefix with settings it never wrote; its exit code goes to `code`.
    QByteArray varnook(const QStringList& arguments, int& code, QString* errors = nullptr)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_s, config.path());
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        process.setProcessEnvironment(environment);
        process.start(programPath(), QStringList{u"--prefix"_s, wine.path()} + arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        if (errors)
            *errors = QString::fromLocal8Bit(process.readAllStandardError());
        return process.readAllStandardOutput();
    }

    WinePrefix wine;
    QTemporaryDir config;
};

TEST_F(CommandLineInterop, ListsWhatAssocAndFtypePrint)
{
    const auto assoc = pairsOf(wine.run({u"cmd"_s, u"/c"_s, u"assoc"_s}));
    const auto ftype = pairsOf(wine.run({u"cmd"_s, u"/c"_s, u"ftype"_s}));
    ASSERT_TRUE(assoc.contains(u".vnk"_s)) << "Wine's assoc lists the seeded extensions";
    ASSERT_TRUE(ftype.contains(u"vnkfile"_s)) << "Wine's ftype lists the seeded type";
    const QByteArray systemBefore = readFile(wine.filePath(u"system.reg"_s));

    // Wine runs for the prefix meanwhile (assoc and ftype started its server).
    int code = -1;
    QString errors;
    const QByteArray listing = varnook({u"--list"_s, u"--json"_s}, code, &errors);
    ASSERT_EQ(code, 0) << errors.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(listing).object();

    QHash<QString, QString> typeOfExtension;  // case-folded extension -> internal name
    QHash<QString, QString> openCommandOfType; // case-folded internal name -> open command
    QSet<QString> orphans;
    for (const QJsonValue& type : root.value(u"fileTypes"_s).toArray()) {
        const QString name = type[u"internalName"_s].toString();
        for (const QJsonValue& extension : type[u"extensions"_s].toArray())
            typeOfExtension.insert(extension[u"extension"_s].toString().toCaseFolded(), name);
        for (const QJsonValue& action : type[u"actions"_s].toArray())
            if (action[u"verb"_s].toString().compare(u"open"_s, Qt::CaseInsensitive) == 0)
                openCommandOfType.insert(name.toCaseFolded(), action[u"command"_s].toString());
    }
    for (const QJsonValue& extension : root.value(u"orphanedExtensions"_s).toArray())
        orphans.insert(extension[u"extension"_s].toString().toCaseFolded());

    // Every extension Wine associates is under the type Wine names, or an orphan when that type
    // does not exist.
    for (auto it = assoc.cbegin(); it != assoc.cend(); ++it) {
        const auto& [extension, type] = it.value();
        SCOPED_TRACE(extension.toStdString() + "=" + type.toStdString());
        if (typeOfExtension.contains(it.key())) {
            EXPECT_EQ(typeOfExtension.value(it.key()).toCaseFolded(), type.toCaseFolded());
        } else {
            EXPECT_TRUE(orphans.contains(it.key()));
        }
    }
    EXPECT_EQ(typeOfExtension.value(u".vn2"_s), u"vnkfile"_s);
    EXPECT_TRUE(orphans.contains(u".vno"_s));

    // Every listed type that Wine gives an open command has that command.
    int compared = 0;
    for (auto it = ftype.cbegin(); it != ftype.cend(); ++it) {
        if (!openCommandOfType.contains(it.key()))
            continue;
        SCOPED_TRACE(it.value().first.toStdString());
        EXPECT_EQ(openCommandOfType.value(it.key()), it.value().second);
        ++compared;
    }
    EXPECT_EQ(openCommandOfType.value(u"vnkfile"_s), u"vnk.exe \"%1\""_s);
    EXPECT_GT(compared, 1);

    EXPECT_EQ(readFile(wine.filePath(u"system.reg"_s)), systemBefore) << "only read";
    EXPECT_TRUE(QDir(config.path()).isEmpty()) << "no settings written";
}

TEST_F(CommandLineInterop, ShowsAnItemAndTellsAMissingOne)
{
    int code = -1;
    const QString shown = QString::fromUtf8(varnook({u"--show"_s, u"VNK"_s}, code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(shown, u"File Type Extension\n  Extension: .vnk\n  Content Type: none\n  Info Tip: none\n"_s);

    QString errors;
    EXPECT_TRUE(varnook({u"--show"_s, u".nothere"_s}, code, &errors).isEmpty());
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(errors.contains(u"'.nothere'"_s)) << errors.toStdString();

    varnook({u"--list"_s, u"--show"_s, u".vnk"_s}, code);
    EXPECT_EQ(code, 2);
}

} // namespace
