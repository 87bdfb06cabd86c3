#include "control/records/ActionObject.h"
#include "control/records/Definitions.h"
#include "control/records/FileExtensionObject.h"
#include "control/records/FileTypeObject.h"
#include "control/records/ShellExtensionObject.h"
#include "tests/support/RegistryRecords.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestNames.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include "platform/registry/RegistryApi.h"

#include <QMap>

#include <gtest/gtest.h>

#include <functional>
#include <type_traits>

// A record written back as it was loaded changes nothing; a changed field writes exactly that value.

namespace {

const QString kMenu = QStringLiteral("{11111111-0000-0000-0000-000000000001}");
const QString kServer = QStringLiteral("{22222222-0000-0000-0000-000000000002}");
const QString kBare = QStringLiteral("{33333333-0000-0000-0000-000000000003}");
const QString kLong = QStringLiteral("{44444444-0000-0000-0000-000000000004}");
const QString kNew = QStringLiteral("{55555555-0000-0000-0000-000000000005}");

QByteArray text(int length, char c)
{
    return QByteArray(length, c);
}

// What a stock prefix holds that a careless write back would change, one case each.
const QByteArray kRegistry = R"(
[Software\\Classes\\*] 1
[Software\\Classes\\*\\shellex\\ContextMenuHandlers\\Menu] 1
@="{11111111-0000-0000-0000-000000000001}"
[Software\\Classes\\.bin] 1
@="binfile"
[Software\\Classes\\.cmd] 1
@="cmdfile"
[Software\\Classes\\.exe] 1
@="exefile"
"Content Type"="application/x-msdownload"
[Software\\Classes\\.foo] 1
@="foofile"
"Content Type"=str(2):"text/%FOO%"
[Software\\Classes\\.foo\\shellex\\{22222222-0000-0000-0000-000000000002}] 1
[Software\\Classes\\.htm] 1
@="htmlfile"
[Software\\Classes\\.long] 1
@="longfile"
"InfoTip"=")" + text(300, 'i') + R"("
[Software\\Classes\\.nodefault] 1
[Software\\Classes\\.orphan] 1
@="nosuchtype"
[Software\\Classes\\.url] 1
@="InternetShortcut"
[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}] 1
@="Menu Handler"
[Software\\Classes\\CLSID\\{22222222-0000-0000-0000-000000000002}\\InprocServer32] 1
@="server.dll"
[Software\\Classes\\CLSID\\{33333333-0000-0000-0000-000000000003}] 1
[Software\\Classes\\CLSID\\{44444444-0000-0000-0000-000000000004}\\InprocServer32] 1
@=str(2):"%SystemRoot%\\system32\\long.dll"
"ThreadingModel"=")" + text(300, 't') + R"("
[Software\\Classes\\Drive\\DefaultIcon] 1
@=""
[Software\\Classes\\Folder\\shell\\open\\ddeexec] 1
@="[ViewFolder(%l, %I, %S)]"
"NoActivateHandler"=""
[Software\\Classes\\Folder\\shell\\open\\ddeexec\\application] 1
@="Folders"
[Software\\Classes\\InternetShortcut] 1
@="Internet Shortcut"
"EditFlags"="2"
[Software\\Classes\\InternetShortcut\\shell\\open\\command] 1
@="rundll32.exe url.dll,FileProtocolHandler %l"
[Software\\Classes\\binfile] 1
@="Binary File"
"EditFlags"=hex:01,00,00,00,00,00,00,00
[Software\\Classes\\cmdfile] 1
@="Windows Command Script"
[Software\\Classes\\cmdfile\\shell\\open\\command] 1
@=")" + text(299, 'c') + R"("
[Software\\Classes\\exefile] 1
@="Application"
[Software\\Classes\\exefile\\shell\\open\\command] 1
@="\"%1\" %*"
[Software\\Classes\\exefile\\shell\\runas\\command] 1
@="\"%1\" %*"
[Software\\Classes\\foofile] 1
"EditFlags"=hex:02
[Software\\Classes\\foofile\\QuickView] 1
@=""
[Software\\Classes\\foofile\\shell\\open\\command] 1
@="foo.exe \"%1\""
[Software\\Classes\\foofile\\shell\\play\\ddeexec] 1
@="[play]"
[Software\\Classes\\foofile\\shell\\play\\ddeexec\\topic] 1
@=")" + text(299, 'p') + R"("
[Software\\Classes\\foofile\\shellex\\ContextMenuHandlers\\Blanks] 1
@="  {11111111-0000-0000-0000-000000000001}  "
[Software\\Classes\\foofile\\shellex\\IconHandler] 1
@="{33333333-0000-0000-0000-000000000003}"
[Software\\Classes\\foofile\\shellex\\PropertySheetHandlers\\{44444444-0000-0000-0000-000000000004}] 1
@=""
[Software\\Classes\\htmlfile] 1
@="HTML Document"
[Software\\Classes\\htmlfile\\DefaultIcon] 1
@=str(2):"%SystemRoot%\\system32\\mshtml.dll,1"
[Software\\Classes\\longfile] 1
@=")" + text(300, 'n') + R"("
[Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved] 1
"{11111111-0000-0000-0000-000000000001}"="Menu Handler"
"{44444444-0000-0000-0000-000000000004}"=")" + text(200, 'a') + R"("
)";

QString typeName(DWORD type)
{
    switch (type) {
    case REG_SZ: return QStringLiteral("REG_SZ");
    case REG_EXPAND_SZ: return QStringLiteral("REG_EXPAND_SZ");
    case REG_BINARY: return QStringLiteral("REG_BINARY");
    case REG_DWORD: return QStringLiteral("REG_DWORD");
    default: return QStringLiteral("type %1").arg(type);
    }
}

QString dataText(const RegValue& value)
{
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ)
        return regTextFromBytes(reinterpret_cast<const std::uint8_t*>(value.data.constData()),
                                static_cast<DWORD>(value.data.size()));
    return QString::fromLatin1(value.data.toHex(','));
}

// Every key (below HKEY_CLASSES_ROOT, or from HKEY_LOCAL_MACHINE for anything else) and value of
// the machine hive: "path" for a key, "path|name" (@ the default value) for a value, mapped to
// the value's type and data.
void dumpKey(const RegKey& key, const QString& path, QMap<QString, QString>& out)
{
    const QString shown = path.startsWith(QStringLiteral("Software\\Classes\\"), Qt::CaseInsensitive)
                              ? path.mid(17)
                              : path;
    out.insert(shown, QString());
    for (const RegValue& value : key.values())
        out.insert(shown + u'|' + (value.name.isEmpty() ? QStringLiteral("@") : value.name),
                   typeName(value.type) + u':' + dataText(value));
    for (const RegKey::Ptr& child : key.children())
        dumpKey(*child, path.isEmpty() ? child->name() : path + u'\\' + child->name(), out);
}

QMap<QString, QString> dump(PrefixStore& store)
{
    QMap<QString, QString> out;
    dumpKey(*store.registry().machineHive()->root(), QString(), out);
    return out;
}

// The changes from `before` to `after`: "path +" and "path -" for a key created or removed,
// "path|name = TYPE:data" for a value set, "path|name -" for a value removed (but not the values
// of a removed key).
QStringList changes(const QMap<QString, QString>& before, const QMap<QString, QString>& after)
{
    auto isKey = [](const QString& entry) { return !entry.contains(u'|'); };
    QStringList out;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (isKey(it.key())) {
            if (!before.contains(it.key()))
                out << it.key() + QStringLiteral(" +");
        } else if (before.value(it.key()) != it.value()) {
            out << it.key() + QStringLiteral(" = ") + it.value();
        }
    }
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (after.contains(it.key()))
            continue;
        const QString keyPath = it.key().section(u'|', 0, 0);
        if (isKey(it.key()))
            out << it.key() + QStringLiteral(" -");
        else if (after.contains(keyPath))
            out << it.key() + QStringLiteral(" -");
    }
    out.sort();
    return out;
}

// The test cases of a table reach into the fixture, so it is open to them.
class RecordWrite : public ::testing::Test {
public:
    RecordWrite()
        : prefix(kRegistry)
    {
        prefix.open();
        records = RegistryRecords::load();
        original = dump(prefix.store());
    }

    std::shared_ptr<ActionObject> action(const QString& type, const QString& verb) const
    {
        return records.type(type)->Actions.value(ActionKey(verb, type));
    }
    std::shared_ptr<ShellExtensionObject> handler(const QString& type, const QString& clsid, int group) const
    {
        return records.type(type)->ShellExtensions.value(ShellExtensionKey(clsid, group, type));
    }

    TestSettings settings;
    TestPrefix prefix;
    ScriptedUi ui;
    RegistryRecords records;
    QMap<QString, QString> original;
};

TEST_F(RecordWrite, EveryRecordWrittenBackUnchangedLeavesTheFileAsItWas)
{
    // Every case of the registry was loaded, or the comparison would prove little.
    ASSERT_EQ(records.types.count(), 10);
    ASSERT_EQ(records.orphans.count(), 2);
    EXPECT_EQ(records.type(QStringLiteral("foofile"))->ShellExtensions.count(), 3);
    EXPECT_EQ(records.extension(QStringLiteral(".foo"))->ShellExtensions.count(), 1);
    EXPECT_EQ(records.type(QStringLiteral("*"))->ShellExtensions.count(), 1);
    EXPECT_TRUE(records.type(QStringLiteral("cmdfile"))->Actions.isEmpty()); // its command is too long to load
    const QByteArray before = prefix.readFile(QStringLiteral("system.reg"));

    EXPECT_EQ(records.writeAll(), 0);
    for (const auto& entry : records.types) {
        for (const auto& action : entry.item->Actions)
            EXPECT_EQ(action.item->WriteMe(), 0) << action.key.toStdString();
        for (const auto& handler : entry.item->ShellExtensions)
            EXPECT_EQ(handler.item->WriteMe(), 0) << handler.key.toStdString();
    }

    EXPECT_EQ(changes(original, dump(prefix.store())), QStringList());
    EXPECT_FALSE(prefix.store().registry().machineHive()->isDirty());
    // Not saved at all, so not even a key's time changed.
    EXPECT_TRUE(prefix.readFile(QStringLiteral("system.reg")) == before) << "system.reg was rewritten";
    EXPECT_TRUE(ui.boxes().empty());
}

struct Change {
    const char* label;
    std::function<long(RecordWrite&)> change; // changes one record and writes it
    QStringList expected;
};

class OneChange : public RecordWrite, public ::testing::WithParamInterface<Change> {};

TEST_P(OneChange, WritesExactlyThatValue)
{
    ASSERT_EQ(GetParam().change(*this), 0);
    QStringList expected = GetParam().expected;
    expected.sort();
    EXPECT_EQ(changes(original, dump(prefix.store())), expected);
    // Written once, the record is as loaded again: writing it again changes nothing more.
    const QMap<QString, QString> once = dump(prefix.store());
    ASSERT_EQ(records.writeAll(), 0);
    EXPECT_EQ(changes(once, dump(prefix.store())), QStringList());
}

const Change kChanges[] = {
    // ---- file types
    Change{"type name keeps its type",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("htmlfile"));
               type->Name = QStringLiteral("Web Page");
               return type->WriteMe(false);
           },
           {"htmlfile|@ = REG_SZ:Web Page"}},
    Change{"made-up type name written once changed",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("foofile"));
               type->Name = QStringLiteral("Foo Document");
               return type->WriteMe(false);
           },
           {"foofile|@ = REG_SZ:Foo Document"}},
    Change{"unreadable type name replaced",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("longfile"));
               type->Name = QStringLiteral("Long");
               return type->WriteMe(false);
           },
           {"longfile|@ = REG_SZ:Long"}},
    Change{"expandable icon stays expandable",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("htmlfile"));
               type->IconPath = QStringLiteral("%SystemRoot%\\system32\\mshtml.dll,2");
               return type->WriteMe(false);
           },
           {"htmlfile\\DefaultIcon|@ = REG_EXPAND_SZ:%SystemRoot%\\system32\\mshtml.dll,2"}},
    Change{"emptied icon removes DefaultIcon",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("htmlfile"));
               type->IconPath.clear();
               return type->WriteMe(false);
           },
           {"htmlfile\\DefaultIcon -"}},
    Change{"icon of a special type",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("*"));
               type->IconPath = QStringLiteral("shell32.dll,3");
               return type->WriteMe(false);
           },
           {"*\\DefaultIcon +", "*\\DefaultIcon|@ = REG_SZ:shell32.dll,3"}},
    Change{"new CLSID",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("htmlfile"));
               type->CLSID = kBare;
               return type->WriteMe(false);
           },
           {"htmlfile\\CLSID +", "htmlfile\\CLSID|@ = REG_SZ:" + kBare}},
    Change{"text flags stay decimal text",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("InternetShortcut"));
               type->Flags = 0x10002;
               return type->WriteMe(false);
           },
           {"InternetShortcut|EditFlags = REG_SZ:65538"}},
    Change{"unreadable binary flags replaced by four bytes",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("binfile"));
               type->Flags = 0x10;
               return type->WriteMe(false);
           },
           {"binfile|EditFlags = REG_BINARY:10,00,00,00"}},
    Change{"short binary flags become four bytes",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("foofile"));
               type->Flags = 0x10002;
               return type->WriteMe(false);
           },
           {"foofile|EditFlags = REG_BINARY:02,00,01,00"}},
    Change{"new flags are a number",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("htmlfile"));
               type->Flags = 0x10000;
               return type->WriteMe(false);
           },
           {"htmlfile|EditFlags = REG_DWORD:00,00,01,00"}},
    Change{"cleared flags removed",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("InternetShortcut"));
               type->Flags = 0;
               return type->WriteMe(false);
           },
           {"InternetShortcut|EditFlags -"}},
    Change{"quick view set where its key had no star",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("foofile"));
               type->QuickView = true;
               return type->WriteMe(false);
           },
           {"foofile\\QuickView|@ = REG_SZ:*"}},
    Change{"type moved to a new internal name writes everything there",
           [](RecordWrite& t) {
               auto type = t.records.type(QStringLiteral("foofile"));
               type->InternalName = QStringLiteral("foo2file");
               return type->WriteMe(false);
           },
           {"foo2file +", "foo2file|@ = REG_SZ:FOO File Type", "foo2file|EditFlags = REG_DWORD:02,00,00,00"}},
    // ---- file extensions
    Change{"extension's type",
           [](RecordWrite& t) {
               auto ext = t.records.extension(QStringLiteral(".url"));
               ext->InternalName = QStringLiteral("urlfile");
               return ext->WriteMe(false);
           },
           {".url|@ = REG_SZ:urlfile"}},
    Change{"expandable content type stays expandable",
           [](RecordWrite& t) {
               auto ext = t.records.extension(QStringLiteral(".foo"));
               ext->ContentType = QStringLiteral("text/%BAR%");
               return ext->WriteMe(false);
           },
           {".foo|Content Type = REG_EXPAND_SZ:text/%BAR%"}},
    Change{"emptied content type removed",
           [](RecordWrite& t) {
               auto ext = t.records.extension(QStringLiteral(".exe"));
               ext->ContentType.clear();
               return ext->WriteMe(false);
           },
           {".exe|Content Type -"}},
    Change{"unreadable info tip replaced",
           [](RecordWrite& t) {
               auto ext = t.records.extension(QStringLiteral(".long"));
               ext->InfoTip = QStringLiteral("Long");
               return ext->WriteMe(false);
           },
           {".long|InfoTip = REG_SZ:Long"}},
    Change{"orphan given a type",
           [](RecordWrite& t) {
               auto ext = t.records.extension(QStringLiteral(".orphan"));
               ext->InternalName = QStringLiteral("foofile");
               return ext->WriteMe(false);
           },
           {".orphan|@ = REG_SZ:foofile"}},
    Change{"extension moved writes everything there",
           [](RecordWrite& t) {
               auto ext = t.records.extension(QStringLiteral(".foo"));
               ext->Extension = QStringLiteral(".foo2");
               return ext->WriteMe(false);
           },
           {".foo2 +", ".foo2|@ = REG_SZ:foofile", ".foo2|Content Type = REG_SZ:text/%FOO%"}},
    // ---- actions
    Change{"command",
           [](RecordWrite& t) {
               auto open = t.action(QStringLiteral("foofile"), QStringLiteral("open"));
               open->Command = QStringLiteral("foo.exe /view \"%1\"");
               return open->WriteMe();
           },
           {"foofile\\shell\\open\\command|@ = REG_SZ:foo.exe /view \"%1\""}},
    Change{"display name of a verb that had none",
           [](RecordWrite& t) {
               auto open = t.action(QStringLiteral("foofile"), QStringLiteral("open"));
               open->Name = QStringLiteral("&Open");
               return open->WriteMe();
           },
           {"foofile\\shell\\open|@ = REG_SZ:&Open"}},
    Change{"DDE application of a DDE-only verb",
           [](RecordWrite& t) {
               auto open = t.action(QStringLiteral("Folder"), QStringLiteral("open"));
               open->DDE_App = QStringLiteral("Explorer");
               return open->WriteMe();
           },
           {"Folder\\shell\\open\\ddeexec\\application|@ = REG_SZ:Explorer"}},
    Change{"command of a DDE-only verb",
           [](RecordWrite& t) {
               auto open = t.action(QStringLiteral("Folder"), QStringLiteral("open"));
               open->Command = QStringLiteral("explorer.exe /root,\"%1\"");
               return open->WriteMe();
           },
           {"Folder\\shell\\open\\command +", "Folder\\shell\\open\\command|@ = REG_SZ:explorer.exe /root,\"%1\""}},
    Change{"DDE message cleared beside an unreadable topic",
           [](RecordWrite& t) {
               auto play = t.action(QStringLiteral("foofile"), QStringLiteral("play"));
               play->DDE_Message.clear();
               return play->WriteMe();
           },
           {"foofile\\shell\\play\\ddeexec|@ = REG_SZ:"}},
    Change{"DDE cleared entirely",
           [](RecordWrite& t) {
               auto open = t.action(QStringLiteral("Folder"), QStringLiteral("open"));
               open->DDE_Message.clear();
               open->DDE_App.clear();
               return open->WriteMe();
           },
           {"Folder\\shell\\open\\ddeexec -", "Folder\\shell\\open\\ddeexec\\application -"}},
    Change{"verb renamed writes everything at the new verb",
           [](RecordWrite& t) {
               auto open = t.action(QStringLiteral("foofile"), QStringLiteral("open"));
               open->CommandKey = QStringLiteral("view");
               return open->WriteMe();
           },
           {"foofile\\shell\\view +", "foofile\\shell\\view|@ = REG_SZ:Open", "foofile\\shell\\view\\command +",
            "foofile\\shell\\view\\command|@ = REG_SZ:foo.exe \"%1\""}},
    // ---- shell extensions
    Change{"class name",
           [](RecordWrite& t) {
               auto menu = t.handler(QStringLiteral("foofile"), kMenu, 1);
               menu->Name = QStringLiteral("Foo Menu");
               return menu->WriteMe();
           },
           {"CLSID\\" + kMenu + "|@ = REG_SZ:Foo Menu"}},
    Change{"in-process server of a class that had none",
           [](RecordWrite& t) {
               auto icon = t.handler(QStringLiteral("foofile"), kBare, 6);
               icon->Inproc32 = QStringLiteral("fooicon.dll");
               return icon->WriteMe();
           },
           {"CLSID\\" + kBare + "\\InprocServer32 +", "CLSID\\" + kBare + "\\InprocServer32|@ = REG_SZ:fooicon.dll",
            "CLSID\\" + kBare + "\\InprocServer32|ThreadingModel = REG_SZ:"}},
    Change{"unreadable threading model replaced, expandable server untouched",
           [](RecordWrite& t) {
               auto sheet = t.handler(QStringLiteral("foofile"), kLong, 0);
               sheet->ThreadModel = QStringLiteral("Both");
               return sheet->WriteMe();
           },
           {"CLSID\\" + kLong + "\\InprocServer32|ThreadingModel = REG_SZ:Both"}},
    Change{"approval withdrawn",
           [](RecordWrite& t) {
               auto menu = t.handler(QStringLiteral("foofile"), kMenu, 1);
               menu->Approved = false;
               return menu->WriteMe();
           },
           {"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved|" + kMenu + " -"}},
    Change{"approval given",
           [](RecordWrite& t) {
               auto icon = t.handler(QStringLiteral("foofile"), kBare, 6);
               icon->Approved = true;
               return icon->WriteMe();
           },
           {"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved|" + kBare + " = REG_SZ:"}},
    Change{"new CLSID writes the class in full and the registration",
           [](RecordWrite& t) {
               auto menu = t.handler(QStringLiteral("foofile"), kMenu, 1);
               menu->CLSID = kNew;
               return menu->WriteMe();
           },
           {"CLSID\\" + kNew + " +", "CLSID\\" + kNew + "|@ = REG_SZ:Menu Handler",
            "CLSID\\" + kNew + "\\InprocServer32 +", "CLSID\\" + kNew + "\\InprocServer32|@ = REG_SZ:",
            "CLSID\\" + kNew + "\\InprocServer32|ThreadingModel = REG_SZ:",
            "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved|" + kNew + " = REG_SZ:",
            "foofile\\shellex\\ContextMenuHandlers\\Blanks|@ = REG_SZ:" + kNew}},
    Change{"handler moved to another group writes its registration there",
           [](RecordWrite& t) {
               auto icon = t.handler(QStringLiteral("foofile"), kBare, 6);
               icon->ExtTypeKey = QStringLiteral("DropHandler");
               icon->InternalName = QStringLiteral("DropHandler");
               icon->ExtTypeIndex = 5;
               return icon->WriteMe();
           },
           {"foofile\\shellex\\DropHandler +", "foofile\\shellex\\DropHandler|@ = REG_SZ:" + kBare}}
};

INSTANTIATE_TEST_SUITE_P(RecordWrite, OneChange, ::testing::ValuesIn(kChanges),
                         [](const auto& param) { return testName(param.param.label); });

TEST_F(RecordWrite, DisplayValuesSetAfterTheLoadAreNoChangeOnceKeptAsLoaded)
{
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "kept as loaded" : "not kept");
        auto drive = std::make_shared<FileTypeObject>();
        drive->Special = true;
        drive->SpecialIndex = 2;
        drive->InternalName = QStringLiteral("Drive");
        ASSERT_EQ(drive->LoadMe(false), 0);
        ASSERT_EQ(drive->IconPath, QStringLiteral("<Not Defined - Use IconKey>"));
        drive->IconPath.clear(); // as the loader clears the stand-in
        auto orphan = std::make_shared<FileExtensionObject>();
        orphan->Extension = QStringLiteral(".orphan");
        ASSERT_EQ(orphan->LoadMe(false), 0);
        orphan->InternalName = QStringLiteral("<not defined>");
        if (keep) {
            drive->KeepAsLoaded();
            orphan->KeepAsLoaded();
        }
        ASSERT_EQ(drive->WriteMe(false), 0);
        ASSERT_EQ(orphan->WriteMe(false), 0);
        EXPECT_EQ(changes(original, dump(prefix.store())),
                  (keep ? QStringList() : QStringList{".orphan|@ = REG_SZ:<not defined>", "Drive\\DefaultIcon -"}));
    }
}

TEST_F(RecordWrite, KeepingAsLoadedNeitherInventsALoadNorAdoptsAMove)
{
    // Never loaded: everything is written, the name the registry does not have included.
    auto fresh = std::make_shared<ActionObject>();
    fresh->HostInternalName = QStringLiteral("foofile");
    fresh->CommandKey = QStringLiteral("open");
    fresh->Name = QStringLiteral("Open");
    fresh->Command = QStringLiteral("foo.exe \"%1\"");
    fresh->KeepAsLoaded();
    ASSERT_EQ(fresh->WriteMe(), 0);
    EXPECT_EQ(changes(original, dump(prefix.store())), QStringList{"foofile\\shell\\open|@ = REG_SZ:Open"});

    // Moved: what was read of the old verb does not apply to the new one.
    const QMap<QString, QString> before = dump(prefix.store());
    auto exe = action(QStringLiteral("exefile"), QStringLiteral("runas"));
    exe->CommandKey = QStringLiteral("runasuser");
    exe->KeepAsLoaded();
    ASSERT_EQ(exe->WriteMe(), 0);
    EXPECT_EQ(changes(before, dump(prefix.store())),
              (QStringList{"exefile\\shell\\runasuser +", "exefile\\shell\\runasuser\\command +",
                           "exefile\\shell\\runasuser\\command|@ = REG_SZ:\"%1\" %*",
                           "exefile\\shell\\runasuser|@ = REG_SZ:runas"}));
}

TEST_F(RecordWrite, ValuesThatCouldNotBeReadAreToldFieldByField)
{
    const auto longType = records.type(QStringLiteral("longfile"));
    const auto binary = records.type(QStringLiteral("binfile"));
    const auto shortcut = records.type(QStringLiteral("InternetShortcut"));
    const auto longExt = records.extension(QStringLiteral(".long"));
    const auto play = action(QStringLiteral("foofile"), QStringLiteral("play"));
    const auto sheet = handler(QStringLiteral("foofile"), kLong, 0);
    ASSERT_TRUE(longType && binary && shortcut && longExt && play && sheet);
    const struct {
        const char* field;
        bool unreadable;
        bool expected;
    } cases[] = {
        {"long type name", longType->Unreadable(&FileTypeObject::Name), true},
        {"its icon", longType->Unreadable(&FileTypeObject::IconPath), false},
        {"8-byte flags", binary->Unreadable(&FileTypeObject::Flags), true},
        {"text flags", shortcut->Unreadable(&FileTypeObject::Flags), false},
        {"quick view", binary->Unreadable(&FileTypeObject::QuickView), false},
        {"long info tip", longExt->Unreadable(&FileExtensionObject::InfoTip), true},
        {"its content type", longExt->Unreadable(&FileExtensionObject::ContentType), false},
        {"long DDE topic", play->Unreadable(&ActionObject::DDE_Topic), true},
        {"its DDE message", play->Unreadable(&ActionObject::DDE_Message), false},
        {"long threading model", sheet->Unreadable(&ShellExtensionObject::ThreadModel), true},
        {"long approval text", sheet->Unreadable(&ShellExtensionObject::Approved), true},
        {"expandable server", sheet->Unreadable(&ShellExtensionObject::Inproc32), false},
        {"a field of no value", sheet->Unreadable(&ShellExtensionObject::InternalName), false},
        {"never loaded", FileTypeObject().Unreadable(&FileTypeObject::Name), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.unreadable, c.expected) << c.field;
    EXPECT_EQ(shortcut->Flags, 2u); // "2" is the number 2, not the bytes of its text
    EXPECT_EQ(longType->Name, QStringLiteral("LONG File Type"));

    // Once the user replaced it, the value is readable.
    longType->Name = QStringLiteral("Long");
    ASSERT_EQ(longType->WriteMe(false), 0);
    EXPECT_FALSE(longType->Unreadable(&FileTypeObject::Name));
}

static_assert(std::is_copy_constructible_v<ActionObject> && std::is_copy_assignable_v<ActionObject>);
static_assert(std::is_copy_constructible_v<ShellExtensionObject> && std::is_copy_assignable_v<ShellExtensionObject>);

TEST_F(RecordWrite, ACopiedActionIsANewUnlockedRecordThatWritesEverything)
{
    const auto open = action(QStringLiteral("Folder"), QStringLiteral("open"));
    open->Locked = true;
    const auto copy = std::make_shared<ActionObject>(*open);
    EXPECT_FALSE(copy->Locked);
    EXPECT_TRUE(open->Locked);
    const auto fields = [](const ActionObject& a) {
        return QStringList{a.Name,       a.Command,     a.DDE_App,    a.DDE_AppNoRun,     a.DDE_Message,
                           a.DDE_Topic, a.HostTypeKey, a.CommandKey, a.HostInternalName, a.Key()};
    };
    EXPECT_EQ(fields(*copy), fields(*open));
    ASSERT_EQ(copy->WriteMe(), 0);
    // Nothing is known of a copy's load: the standard name and the empty command are written.
    EXPECT_EQ(changes(original, dump(prefix.store())),
              (QStringList{"Folder\\shell\\open\\command +", "Folder\\shell\\open\\command|@ = REG_SZ:",
                           "Folder\\shell\\open|@ = REG_SZ:Open"}));
}

TEST_F(RecordWrite, AnEditedCopyAssignedBackKeepsTheLockAndWritesOnlyTheEdit)
{
    const auto open = action(QStringLiteral("Folder"), QStringLiteral("open"));
    open->Locked = true;
    ActionObject edited(*open);
    edited.DDE_Topic = QStringLiteral("AppProperties");
    *open = edited;
    EXPECT_TRUE(open->Locked);
    EXPECT_EQ(open->DDE_Topic, QStringLiteral("AppProperties"));
    ASSERT_EQ(open->WriteMe(), 0);
    EXPECT_EQ(changes(original, dump(prefix.store())),
              (QStringList{"Folder\\shell\\open\\ddeexec\\topic +",
                           "Folder\\shell\\open\\ddeexec\\topic|@ = REG_SZ:AppProperties"}));
}

TEST_F(RecordWrite, ACopiedHandlerIsANewRecordAndAssignmentKeepsWhatTheTargetLoaded)
{
    const auto icon = handler(QStringLiteral("foofile"), kBare, 6);
    icon->Locked = true;
    ShellExtensionObject edited(*icon);
    EXPECT_FALSE(edited.Locked);
    EXPECT_EQ(edited.Key(), icon->Key());
    EXPECT_EQ((QStringList{edited.Name, edited.InternalName, edited.ExtTypeKey, edited.HostTypeKey, edited.HostInternalName,
                           QString::number(edited.ExtTypeIndex), QString::number(edited.FileExtensionSH)}),
              (QStringList{icon->Name, icon->InternalName, icon->ExtTypeKey, icon->HostTypeKey, icon->HostInternalName,
                           QString::number(icon->ExtTypeIndex), QString::number(icon->FileExtensionSH)}));

    edited.Name = QStringLiteral("Foo Icons");
    *icon = edited;
    EXPECT_TRUE(icon->Locked);
    ASSERT_EQ(icon->WriteMe(), 0);
    EXPECT_EQ(changes(original, dump(prefix.store())), QStringList{"CLSID\\" + kBare + "|@ = REG_SZ:Foo Icons"});

    // The copy itself remembers no load: it writes the whole class.
    const QMap<QString, QString> before = dump(prefix.store());
    ASSERT_EQ(edited.WriteMe(), 0);
    EXPECT_EQ(changes(before, dump(prefix.store())),
              (QStringList{"CLSID\\" + kBare + "\\InprocServer32 +", "CLSID\\" + kBare + "\\InprocServer32|@ = REG_SZ:",
                           "CLSID\\" + kBare + "\\InprocServer32|ThreadingModel = REG_SZ:"}));
}

} // namespace
