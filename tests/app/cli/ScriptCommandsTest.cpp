#include "app/cli/ScriptCommands.h"

#include "app/shell/CommandLine.h"
#include "control/records/Definitions.h"
#include "platform/settings/Settings.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A registry whose load order differs from the sorted order everywhere: .a names zfile before
// any extension names afile, the verbs' letter case differs, and handlers load in the order of
// the group table (PropertySheetHandlers first) rather than by their group's name.
const QByteArray kSections = R"(
[Software\\Classes\\.B] 1
@="afile"

[Software\\Classes\\.a] 1
@="zfile"

[Software\\Classes\\.c] 1
@="afile"
"Content Type"="text/x-c"

[Software\\Classes\\.cc] 1
@="c"

[Software\\Classes\\.orph] 1
@="gonefile"

[Software\\Classes\\.orph\\shellex\\{BB2E617C-0920-11D1-9A0B-00C04FC2D6C1}] 1
@="{55555555-0000-0000-0000-000000000001}"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}] 1
@="Menu One"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}\\InprocServer32] 1
@="C:\\windows\\menu.dll"
"ThreadingModel"="Apartment"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000002}] 1
@="Menu Two"

[Software\\Classes\\CLSID\\{44444444-0000-0000-0000-000000000001}] 1
@="Page"

[Software\\Classes\\CLSID\\{55555555-0000-0000-0000-000000000001}] 1
@="Thumbs"

[Software\\Classes\\Folder] 1
@="Folder"

[Software\\Classes\\afile] 1
@="A File"

[Software\\Classes\\afile\\shell\\Open\\command] 1
@="open.exe %1"

[Software\\Classes\\afile\\shell\\Open\\ddeexec] 1
@="[open(\"%1\")]"

[Software\\Classes\\afile\\shell\\Open\\ddeexec\\Application] 1
@="AAPP"

[Software\\Classes\\afile\\shell\\Open\\ddeexec\\ifexec] 1
@="[noop]"

[Software\\Classes\\afile\\shell\\Open\\ddeexec\\topic] 1
@="System"

[Software\\Classes\\afile\\shell\\print\\command] 1
@="print.exe %1"

[Software\\Classes\\afile\\shellex\\ContextMenuHandlers\\M2] 1
@="{11111111-0000-0000-0000-000000000002}"

[Software\\Classes\\afile\\shellex\\ContextMenuHandlers\\M1] 1
@="{11111111-0000-0000-0000-000000000001}"

[Software\\Classes\\afile\\shellex\\PropertySheetHandlers\\Page] 1
@="{44444444-0000-0000-0000-000000000001}"

[Software\\Classes\\c] 1
@="C Source"

[Software\\Classes\\zfile] 1
@="Z File"

[Software\\Classes\\zfile\\shell\\open\\command] 1
@="z.exe"
)";

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

class ScriptCommandsTest : public ::testing::Test {
protected:
    // Runs the program's command line; the prefix is this test's unless `environment` chooses.
    Outcome run(const QStringList& arguments, bool onTestPrefix = true)
    {
        QStringList line{u"Varnook2"_s};
        if (onTestPrefix)
            line << u"--prefix"_s << prefix.path();
        Outcome outcome;
        QTextStream out(&outcome.out);
        QTextStream err(&outcome.err);
        outcome.code = ScriptCommands::run(CommandLine::parse(line + arguments), environment, out, err);
        return outcome;
    }

    TestSettings settings;
    TestPrefix prefix{kSections};
    QTemporaryDir home;
    QProcessEnvironment environment = [this] {
        QProcessEnvironment chosen;
        chosen.insert(u"HOME"_s, home.path());
        chosen.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        return chosen;
    }();
};

TEST_F(ScriptCommandsTest, ListsEveryTypeAndOrphanSortedWithoutRegardToCase)
{
    const Outcome outcome = run({u"--list"_s});
    EXPECT_EQ(outcome.code, ScriptCommands::Done);
    EXPECT_EQ(outcome.err, QString());
    EXPECT_EQ(outcome.out, uR"(afile: A File
  Extensions:
    .B
    .c
      Content Type: text/x-c
  Actions:
    Open: Open
      Command: open.exe %1
      DDE Message: [open("%1")]
      DDE Application: AAPP
      DDE Topic: System
      DDE If Exec: [noop]
    print: Print
      Command: print.exe %1
  Shell Extensions:
    ContextMenuHandlers: Menu One
      CLSID: {11111111-0000-0000-0000-000000000001}
      Server: C:\windows\menu.dll
      Threading Model: Apartment
    ContextMenuHandlers: Menu Two
      CLSID: {11111111-0000-0000-0000-000000000002}
    PropertySheetHandlers: Page
      CLSID: {44444444-0000-0000-0000-000000000001}

c: C Source
  Extensions:
    .cc

Folder: Folder

zfile: Z File
  Extensions:
    .a
  Actions:
    open: Open
      Command: z.exe

Orphaned Extensions:
  .orph
    Shell Extensions:
      {BB2E617C-0920-11D1-9A0B-00C04FC2D6C1}: Thumbs
        CLSID: {55555555-0000-0000-0000-000000000001}
)"_s);
}

TEST_F(ScriptCommandsTest, ListsAsJsonWithOptionalFieldsLeftOutWhenEmpty)
{
    const Outcome outcome = run({u"--list"_s, u"--json"_s});
    ASSERT_EQ(outcome.code, ScriptCommands::Done);
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(outcome.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << outcome.out.toStdString();
    EXPECT_EQ(root.value(u"schemaVersion"_s).toInt(), 1);

    const QJsonArray types = root.value(u"fileTypes"_s).toArray();
    QStringList names;
    for (const QJsonValue& type : types)
        names << type[u"internalName"_s].toString();
    EXPECT_EQ(names, (QStringList{u"afile"_s, u"c"_s, u"Folder"_s, u"zfile"_s}));
    const QJsonObject afile = types.at(0).toObject();
    EXPECT_EQ(afile.value(u"name"_s).toString(), u"A File"_s);
    EXPECT_FALSE(afile.value(u"special"_s).toBool());
    EXPECT_TRUE(types.at(2)[u"special"_s].toBool()) << "Folder";

    struct {
        QJsonValue value;
        QJsonValue expected;
        const char* what;
    } const cases[] = {
        {afile[u"extensions"_s][0][u"extension"_s], u".B"_s, "extensions sorted"},
        {afile[u"extensions"_s][0][u"contentType"_s], QJsonValue(QJsonValue::Undefined), "no empty content type"},
        {afile[u"extensions"_s][1][u"contentType"_s], u"text/x-c"_s, "content type"},
        {afile[u"extensions"_s][1][u"handlers"_s], QJsonArray(), "an extension without handlers"},
        {afile[u"actions"_s][0][u"verb"_s], u"Open"_s, "verbs sorted"},
        {afile[u"actions"_s][0][u"ddeMessage"_s], u"[open(\"%1\")]"_s, "DDE message"},
        {afile[u"actions"_s][0][u"ddeApplication"_s], u"AAPP"_s, "DDE application"},
        {afile[u"actions"_s][0][u"ddeTopic"_s], u"System"_s, "DDE topic"},
        {afile[u"actions"_s][0][u"ddeIfExec"_s], u"[noop]"_s, "DDE ifexec"},
        {afile[u"actions"_s][1][u"command"_s], u"print.exe %1"_s, "command"},
        {afile[u"actions"_s][1][u"ddeMessage"_s], QJsonValue(QJsonValue::Undefined), "no DDE without DDE"},
        {afile[u"handlers"_s][0][u"server"_s], u"C:\\windows\\menu.dll"_s, "server"},
        {afile[u"handlers"_s][0][u"threadingModel"_s], u"Apartment"_s, "threading model"},
        {afile[u"handlers"_s][1][u"clsid"_s], u"{11111111-0000-0000-0000-000000000002}"_s, "CLSIDs sorted in a group"},
        {afile[u"handlers"_s][1][u"server"_s], QJsonValue(QJsonValue::Undefined), "no empty server"},
        {afile[u"handlers"_s][2][u"group"_s], u"PropertySheetHandlers"_s, "groups sorted by name"},
        {root[u"orphanedExtensions"_s][0][u"extension"_s], u".orph"_s, "orphan"},
        {root[u"orphanedExtensions"_s][0][u"handlers"_s][0][u"name"_s], u"Thumbs"_s, "an orphan's handler"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, c.expected) << c.what;
}

TEST_F(ScriptCommandsTest, ShowsOneItemAsTheInformationPanelDoes)
{
    struct {
        QString item;
        int code;
        QString out;
    } const cases[] = {
        {u".c"_s, ScriptCommands::Done, u"File Type Extension\n  Extension: .c\n  Content Type: text/x-c\n  Info Tip: none\n"_s},
        {u".B"_s, ScriptCommands::Done, u"File Type Extension\n  Extension: .B\n  Content Type: none\n  Info Tip: none\n"_s},
        {u".b"_s, ScriptCommands::Done, u"File Type Extension\n  Extension: .B\n  Content Type: none\n  Info Tip: none\n"_s},
        {u"b"_s, ScriptCommands::Done, u"File Type Extension\n  Extension: .B\n  Content Type: none\n  Info Tip: none\n"_s},
        {u"AFILE"_s, ScriptCommands::Done, u"A File\n  Internal Name: afile\n  CLSID: none\n  Flags: none\n"_s},
        {u"folder"_s, ScriptCommands::Done, u"Folder\n  Internal Name: Folder\n  CLSID: none\n  Flags: none\n"_s},
        // A type of that name comes before the extension without its dot.
        {u"c"_s, ScriptCommands::Done, u"C Source\n  Internal Name: c\n  CLSID: none\n  Flags: none\n"_s},
        {u".orph"_s, ScriptCommands::Done, u"File Type Extension\n  Extension: .orph\n  Content Type: none\n  Info Tip: none\n"_s},
        {u"gonefile"_s, ScriptCommands::NotFound, {}},
        {u".afile"_s, ScriptCommands::NotFound, {}},
        {u"."_s, ScriptCommands::NotFound, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item.toStdString());
        const Outcome outcome = run({u"--show"_s, c.item});
        EXPECT_EQ(outcome.code, c.code);
        EXPECT_EQ(outcome.out, c.out);
        if (c.code == ScriptCommands::NotFound) {
            EXPECT_TRUE(outcome.err.startsWith(u"Varnook2: '"_s + c.item + u'\'')) << outcome.err.toStdString();
            EXPECT_EQ(outcome.err.count(u'\n'), 1) << "one line";
        }
    }
}

TEST_F(ScriptCommandsTest, ShowsOneItemAsJson)
{
    const Outcome outcome = run({u"--show"_s, u"C"_s, u"--json"_s});
    ASSERT_EQ(outcome.code, ScriptCommands::Done);
    const QJsonObject object = QJsonDocument::fromJson(outcome.out.toUtf8()).object();
    EXPECT_EQ(object.value(u"kind"_s).toString(), u"fileType"_s);
    EXPECT_EQ(object.value(u"caption"_s).toString(), u"C Source"_s);
    const QJsonArray rows = object.value(u"rows"_s).toArray();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows.at(0)[u"caption"_s].toString(), u"Internal Name:"_s);
    EXPECT_EQ(rows.at(0)[u"value"_s].toString(), u"c"_s);

    const QJsonObject extension = QJsonDocument::fromJson(run({u"--show"_s, u".c"_s, u"--json"_s}).out.toUtf8()).object();
    EXPECT_EQ(extension.value(u"kind"_s).toString(), u"fileExtension"_s);
    EXPECT_EQ(extension.value(u"rows"_s)[1][u"value"_s].toString(), u"text/x-c"_s);
}

TEST_F(ScriptCommandsTest, ReadsWithoutWritingAnything)
{
    const QByteArray system = prefix.readFile(u"system.reg"_s);
    const QByteArray user = prefix.readFile(u"user.reg"_s);
    const QStringList files = QDir(prefix.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    for (const QStringList& arguments : {QStringList{u"--list"_s}, QStringList{u"--show"_s, u".c"_s},
                                         QStringList{u"--list"_s, u"--read-only"_s}})
        EXPECT_EQ(run(arguments).code, ScriptCommands::Done) << arguments.join(u' ').toStdString();

    EXPECT_EQ(prefix.readFile(u"system.reg"_s), system);
    EXPECT_EQ(prefix.readFile(u"user.reg"_s), user);
    EXPECT_EQ(QDir(prefix.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), files);
}

TEST_F(ScriptCommandsTest, SaysInOneLineWhenThereIsNoRegistryToRead)
{
    QTemporaryDir empty;
    struct {
        QStringList arguments;
        bool onTestPrefix;
        QString errContains;
    } const cases[] = {
        {{u"--list"_s, u"--prefix"_s, empty.filePath(u"missing"_s)}, false, u"does not exist"_s},
        {{u"--show"_s, u".c"_s, u"--prefix"_s, empty.path()}, false, u"has no system.reg"_s},
        // No WINEPREFIX, no ~/.wine, and Varnook's own prefix never made.
        {{u"--list"_s}, false, u"no Wine prefix"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Outcome outcome = run(c.arguments, c.onTestPrefix);
        EXPECT_EQ(outcome.code, ScriptCommands::RegistryUnavailable);
        EXPECT_EQ(outcome.out, QString());
        EXPECT_TRUE(outcome.err.startsWith(u"Varnook2: "_s)) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.contains(c.errContains)) << outcome.err.toStdString();
        EXPECT_EQ(outcome.err.count(u'\n'), 1) << "one line";
    }
    EXPECT_FALSE(QDir(home.filePath(u"data"_s)).exists()) << "Varnook's own prefix is a write";
}

TEST_F(ScriptCommandsTest, ExportWritesTheItemShowFindsAndSaysWhenItCannot)
{
    // "C" is the file type c, not the extension .c: the file holds the type's key.
    const QString file = home.filePath(u"c.reg"_s);
    const Outcome outcome = run({u"--export"_s, u"C"_s, file});
    EXPECT_EQ(outcome.code, ScriptCommands::Done) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, QString());
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    ASSERT_TRUE(bytes.startsWith("\xff\xfe"));
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    EXPECT_TRUE(text.contains(u"\r\n[HKEY_CLASSES_ROOT\\c]\r\n"_s)) << text.toStdString();

    EXPECT_EQ(run({u"--export"_s, u"gonefile"_s, home.filePath(u"gone.reg"_s)}).code, ScriptCommands::NotFound);
    const Outcome unwritable = run({u"--export"_s, u".c"_s, home.filePath(u"no/such/folder/c.reg"_s)});
    EXPECT_EQ(unwritable.code, ScriptCommands::ExportFailed);
    EXPECT_TRUE(unwritable.err.contains(u"c.reg"_s)) << unwritable.err.toStdString();
    EXPECT_EQ(unwritable.err.count(u'\n'), 1) << "one line";
}

TEST_F(ScriptCommandsTest, ReportsWhatCouldNotBeReadAndListsTheRest)
{
    prefix.writeFile(u"system.reg"_s, TestPrefix::systemHeader() + kSections + "\n[Software\\\\Classes\\\\broken\n@=\"x\"\n");
    const Outcome outcome = run({u"--list"_s});
    EXPECT_EQ(outcome.code, ScriptCommands::Done);
    EXPECT_TRUE(outcome.out.contains(u"zfile: Z File"_s));
    EXPECT_TRUE(outcome.err.startsWith(u"Varnook2: "_s + prefix.filePath(u"system.reg"_s) + u':'))
        << outcome.err.toStdString();
}

TEST_F(ScriptCommandsTest, MessagesOfTheLoadBecomeLinesOnStandardError)
{
    settings.set(SECTION_SHELLEX, DefinitionFieldKey(1, FIELD_GROUP), u"Maybe"_s);
    const Outcome outcome = run({u"--list"_s});
    EXPECT_EQ(outcome.code, ScriptCommands::Done);
    EXPECT_TRUE(outcome.err.startsWith(u"Varnook2: "_s)) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(u"Maybe"_s)) << outcome.err.toStdString();
    EXPECT_EQ(outcome.err.count(u'\n'), 1) << "one line, told once";
}

class ScriptCommandsWithoutStoredTables : public ScriptCommandsTest {
protected:
    ScriptCommandsWithoutStoredTables()
    {
        // A folder of settings the program never wrote, in place of the test's.
        SetSettingsFolder(fresh.path());
    }
    QTemporaryDir fresh;
};

TEST_F(ScriptCommandsWithoutStoredTables, UsesTheDefaultTablesAndWritesNoSettings)
{
    const Outcome outcome = run({u"--list"_s});
    EXPECT_EQ(outcome.code, ScriptCommands::Done);
    EXPECT_TRUE(outcome.out.contains(u"    ContextMenuHandlers: Menu One\n"_s)) << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains(u"Folder: Folder\n"_s)) << "a special type of the default table";
    EXPECT_TRUE(QDir(fresh.path()).isEmpty());
    EXPECT_EQ(SettingsFolder(), fresh.path()) << "the user's settings folder again";
}

} // namespace
