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
const QByteArray kWriteRegistry = R"(
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
        : prefix(kWriteRegistry)
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

void PrintTo(const Change& c, std::ostream* os)
{
    *os << c.label;
}

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

// Each case finds one record, changes it and writes it.
using Edit = std::function<long(RecordWrite&)>;

Edit editType(const char* name, std::function<void(FileTypeObject&)> change)
{
    return [=](RecordWrite& w) {
        auto type = w.records.type(QString::fromLatin1(name));
        change(*type);
        return type->WriteMe(false);
    };
}

Edit editExtension(const char* name, std::function<void(FileExtensionObject&)> change)
{
    return [=](RecordWrite& w) {
        auto ext = w.records.extension(QString::fromLatin1(name));
        change(*ext);
        return ext->WriteMe(false);
    };
}

Edit editAction(const char* type, const char* verb, std::function<void(ActionObject&)> change)
{
    return [=](RecordWrite& w) {
        auto action = w.action(QString::fromLatin1(type), QString::fromLatin1(verb));
        change(*action);
        return action->WriteMe();
    };
}

Edit editHandler(const QString& clsid, int group, std::function<void(ShellExtensionObject&)> change)
{
    return [=](RecordWrite& w) {
        auto handler = w.handler(QStringLiteral("foofile"), clsid, group);
        change(*handler);
        return handler->WriteMe();
    };
}

const QString kApproved = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved|");

const Change kChanges[] = {
    // ---- file types
    {"type name keeps its type", editType("htmlfile", [](FileTypeObject& t) { t.Name = QStringLiteral("Web Page"); }),
     {"htmlfile|@ = REG_SZ:Web Page"}},
    {"made-up type name written once changed",
     editType("foofile", [](FileTypeObject& t) { t.Name = QStringLiteral("Foo Document"); }),
     {"foofile|@ = REG_SZ:Foo Document"}},
    {"unreadable type name replaced", editType("longfile", [](FileTypeObject& t) { t.Name = QStringLiteral("Long"); }),
     {"longfile|@ = REG_SZ:Long"}},
    {"expandable icon stays expandable",
     editType("htmlfile", [](FileTypeObject& t) { t.IconPath = QStringLiteral("%SystemRoot%\\system32\\mshtml.dll,2"); }),
     {"htmlfile\\DefaultIcon|@ = REG_EXPAND_SZ:%SystemRoot%\\system32\\mshtml.dll,2"}},
    {"emptied icon removes DefaultIcon", editType("htmlfile", [](FileTypeObject& t) { t.IconPath.clear(); }),
     {"htmlfile\\DefaultIcon -"}},
    {"icon of a special type", editType("*", [](FileTypeObject& t) { t.IconPath = QStringLiteral("shell32.dll,3"); }),
     {"*\\DefaultIcon +", "*\\DefaultIcon|@ = REG_SZ:shell32.dll,3"}},
    {"new CLSID", editType("htmlfile", [](FileTypeObject& t) { t.CLSID = kBare; }),
     {"htmlfile\\CLSID +", "htmlfile\\CLSID|@ = REG_SZ:" + kBare}},
    {"text flags stay decimal text", editType("InternetShortcut", [](FileTypeObject& t) { t.Flags = 0x10002; }),
     {"InternetShortcut|EditFlags = REG_SZ:65538"}},
    {"unreadable binary flags replaced by four bytes", editType("binfile", [](FileTypeObject& t) { t.Flags = 0x10; }),
     {"binfile|EditFlags = REG_BINARY:10,00,00,00"}},
    {"short binary flags become four bytes", editType("foofile", [](FileTypeObject& t) { t.Flags = 0x10002; }),
     {"foofile|EditFlags = REG_BINARY:02,00,01,00"}},
    {"new flags are a number", editType("htmlfile", [](FileTypeObject& t) { t.Flags = 0x10000; }),
     {"htmlfile|EditFlags = REG_DWORD:00,00,01,00"}},
    {"cleared flags removed", editType("InternetShortcut", [](FileTypeObject& t) { t.Flags = 0; }),
     {"InternetShortcut|EditFlags -"}},
    {"quick view set where its key had no star", editType("foofile", [](FileTypeObject& t) { t.QuickView = true; }),
     {"foofile\\QuickView|@ = REG_SZ:*"}},
    {"type moved to a new internal name writes everything there",
     editType("foofile", [](FileTypeObject& t) { t.InternalName = QStringLiteral("foo2file"); }),
     {"foo2file +", "foo2file|@ = REG_SZ:FOO File Type", "foo2file|EditFlags = REG_DWORD:02,00,00,00"}},
    // ---- file extensions
    {"extension's type", editExtension(".url", [](FileExtensionObject& e) { e.InternalName = QStringLiteral("urlfile"); }),
     {".url|@ = REG_SZ:urlfile"}},
    {"expandable content type stays expandable",
     editExtension(".foo", [](FileExtensionObject& e) { e.ContentType = QStringLiteral("text/%BAR%"); }),
     {".foo|Content Type = REG_EXPAND_SZ:text/%BAR%"}},
    {"emptied content type removed", editExtension(".exe", [](FileExtensionObject& e) { e.ContentType.clear(); }),
     {".exe|Content Type -"}},
    {"unreadable info tip replaced", editExtension(".long", [](FileExtensionObject& e) { e.InfoTip = QStringLiteral("Long"); }),
     {".long|InfoTip = REG_SZ:Long"}},
    {"orphan given a type",
     editExtension(".orphan", [](FileExtensionObject& e) { e.InternalName = QStringLiteral("foofile"); }),
     {".orphan|@ = REG_SZ:foofile"}},
    {"extension moved writes everything there",
     editExtension(".foo", [](FileExtensionObject& e) { e.Extension = QStringLiteral(".foo2"); }),
     {".foo2 +", ".foo2|@ = REG_SZ:foofile", ".foo2|Content Type = REG_SZ:text/%FOO%"}},
    // ---- actions
    {"command", editAction("foofile", "open", [](ActionObject& a) { a.Command = QStringLiteral("foo.exe /view \"%1\""); }),
     {"foofile\\shell\\open\\command|@ = REG_SZ:foo.exe /view \"%1\""}},
    {"display name of a verb that had none",
     editAction("foofile", "open", [](ActionObject& a) { a.Name = QStringLiteral("&Open"); }),
     {"foofile\\shell\\open|@ = REG_SZ:&Open"}},
    {"DDE application of a DDE-only verb",
     editAction("Folder", "open", [](ActionObject& a) { a.DDE_App = QStringLiteral("Explorer"); }),
     {"Folder\\shell\\open\\ddeexec\\application|@ = REG_SZ:Explorer"}},
    {"command of a DDE-only verb",
     editAction("Folder", "open", [](ActionObject& a) { a.Command = QStringLiteral("explorer.exe /root,\"%1\""); }),
     {"Folder\\shell\\open\\command +", "Folder\\shell\\open\\command|@ = REG_SZ:explorer.exe /root,\"%1\""}},
    {"DDE message cleared beside an unreadable topic",
     editAction("foofile", "play", [](ActionObject& a) { a.DDE_Message.clear(); }),
     {"foofile\\shell\\play\\ddeexec|@ = REG_SZ:"}},
    {"DDE cleared entirely",
     editAction("Folder", "open",
                [](ActionObject& a) {
                    a.DDE_Message.clear();
                    a.DDE_App.clear();
                }),
     {"Folder\\shell\\open\\ddeexec -", "Folder\\shell\\open\\ddeexec\\application -"}},
    {"verb renamed writes everything at the new verb",
     editAction("foofile", "open", [](ActionObject& a) { a.CommandKey = QStringLiteral("view"); }),
     {"foofile\\shell\\view +", "foofile\\shell\\view|@ = REG_SZ:Open", "foofile\\shell\\view\\command +",
      "foofile\\shell\\view\\command|@ = REG_SZ:foo.exe \"%1\""}},
    // ---- shell extensions
    {"class name", editHandler(kMenu, 1, [](ShellExtensionObject& h) { h.Name = QStringLiteral("Foo Menu"); }),
     {"CLSID\\" + kMenu + "|@ = REG_SZ:Foo Menu"}},
    {"in-process server of a class that had none",
     editHandler(kBare, 6, [](ShellExtensionObject& h) { h.Inproc32 = QStringLiteral("fooicon.dll"); }),
     {"CLSID\\" + kBare + "\\InprocServer32 +", "CLSID\\" + kBare + "\\InprocServer32|@ = REG_SZ:fooicon.dll",
      "CLSID\\" + kBare + "\\InprocServer32|ThreadingModel = REG_SZ:"}},
    {"unreadable threading model replaced, expandable server untouched",
     editHandler(kLong, 0, [](ShellExtensionObject& h) { h.ThreadModel = QStringLiteral("Both"); }),
     {"CLSID\\" + kLong + "\\InprocServer32|ThreadingModel = REG_SZ:Both"}},
    {"approval withdrawn", editHandler(kMenu, 1, [](ShellExtensionObject& h) { h.Approved = false; }),
     {kApproved + kMenu + " -"}},
    {"approval given", editHandler(kBare, 6, [](ShellExtensionObject& h) { h.Approved = true; }),
     {kApproved + kBare + " = REG_SZ:"}},
    {"new CLSID writes the class in full and the registration",
     editHandler(kMenu, 1, [](ShellExtensionObject& h) { h.CLSID = kNew; }),
     {"CLSID\\" + kNew + " +", "CLSID\\" + kNew + "|@ = REG_SZ:Menu Handler", "CLSID\\" + kNew + "\\InprocServer32 +",
      "CLSID\\" + kNew + "\\InprocServer32|@ = REG_SZ:", "CLSID\\" + kNew + "\\InprocServer32|ThreadingModel = REG_SZ:",
      kApproved + kNew + " = REG_SZ:", "foofile\\shellex\\ContextMenuHandlers\\Blanks|@ = REG_SZ:" + kNew}},
    {"handler moved to another group writes its registration there",
     editHandler(kBare, 6,
                 [](ShellExtensionObject& h) {
                     h.ExtTypeKey = QStringLiteral("DropHandler");
                     h.InternalName = QStringLiteral("DropHandler");
                     h.ExtTypeIndex = 5;
                 }),
     {"foofile\\shellex\\DropHandler +", "foofile\\shellex\\DropHandler|@ = REG_SZ:" + kBare}},
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
// Their collections share member records, which a copy must not do by accident.
static_assert(!std::is_copy_constructible_v<FileTypeObject> && !std::is_copy_constructible_v<FileExtensionObject>);

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
