#include "control/tools/ItemExport.h"

#include "control/records/ErrorNumbers.h"
#include "control/records/FileTypeObject.h"
#include "control/tree/ItemKinds.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/RegistryRecords.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kMenu = u"{11111111-0000-0000-0000-000000000001}"_s;
const QString kIcon = u"{11111111-0000-0000-0000-000000000003}"_s;
const QString kPreview = u"{33333333-0000-0000-0000-000000000001}"_s;

// txtfile with values no record reads, a verb with DDE, three context-menu handlers (two naming
// one class, one whose class is missing) and an icon handler; its extensions .log and .txt, .txt
// with a handler of its own. docfile and its class are not part of txtfile; neither is the
// approved entry of docfile's class.
const QByteArray kExportRegistry = R"(
[Software\\Classes\\.log] 1
@="txtfile"

[Software\\Classes\\.txt] 1
@="txtfile"
"Content Type"="text/plain"

[Software\\Classes\\.txt\\ShellNew] 1

[Software\\Classes\\.txt\\shellex\\{33333333-0000-0000-0000-000000000001}] 1
@="{33333333-0000-0000-0000-000000000001}"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}] 1
@="Menu One"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}\\InprocServer32] 1
@="menu.dll"
"ThreadingModel"="Apartment"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000003}] 1
@="Icon Painter"

[Software\\Classes\\CLSID\\{33333333-0000-0000-0000-000000000001}] 1
@="Text Preview"

[Software\\Classes\\CLSID\\{44444444-0000-0000-0000-000000000001}] 1
@="Doc Page"

[Software\\Classes\\docfile] 1
@="Doc File"

[Software\\Classes\\docfile\\shellex\\ContextMenuHandlers\\Page] 1
@="{44444444-0000-0000-0000-000000000001}"

[Software\\Classes\\txtfile] 1
@="Text Document"
"EditFlags"=hex:00,00,01,00
"Unknown"=hex(7):61,00,00,00,00,00

[Software\\Classes\\txtfile\\DefaultIcon] 1
@=str(2):"%1"

[Software\\Classes\\txtfile\\shell\\open\\command] 1
@="notepad.exe \"%1\""

[Software\\Classes\\txtfile\\shell\\open\\ddeexec] 1
@="[open(\"%1\")]"

[Software\\Classes\\txtfile\\shell\\open\\ddeexec\\Application] 1
@="notepad"

[Software\\Classes\\txtfile\\shell\\print\\command] 1
@="notepad.exe /p %1"

[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\Menu1] 1
@="{11111111-0000-0000-0000-000000000001}"

[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\Menu1Again] 1
@="{11111111-0000-0000-0000-000000000001}"

[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\Menu3] 1
@="{99999999-0000-0000-0000-000000000001}"

[Software\\Classes\\txtfile\\shellex\\IconHandler] 1
@="{11111111-0000-0000-0000-000000000003}"

[Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved] 1
"{11111111-0000-0000-0000-000000000001}"="Menu One"
"{44444444-0000-0000-0000-000000000001}"="Doc Page"
"{33333333-0000-0000-0000-000000000001}"="Text Preview"
)";

QString crlf(const char* text)
{
    return QString::fromUtf8(text).replace(u"\n"_s, u"\r\n"_s);
}

class ItemExportTest : public ::testing::Test {
protected:
    ItemExportTest()
    {
        prefix.open();
        records = RegistryRecords::load();
        txtfile = records.type(u"txtfile"_s);
    }

    std::shared_ptr<ShellExtensionObject> handler(const std::shared_ptr<ItemObject>& host, const QString& keyName) const
    {
        const auto& handlers = host->ItemType() == ITEM_FILETYPE
                                   ? std::static_pointer_cast<FileTypeObject>(host)->ShellExtensions
                                   : std::static_pointer_cast<FileExtensionObject>(host)->ShellExtensions;
        for (const auto& entry : handlers)
            if (entry.item->InternalName == keyName)
                return entry.item;
        return nullptr;
    }

    // Exports the item and returns the file's text; a failure fails the test.
    QString exported(const std::shared_ptr<ItemObject>& item)
    {
        EXPECT_NE(item, nullptr);
        if (!item)
            return QString();
        QString error;
        EXPECT_EQ(ItemExport::Export(item->ItemType(), item, file, error), 0) << error.toStdString();
        EXPECT_EQ(Registry::current()->openHandleCount(), 0u) << "every key is closed again";
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return QString();
        const QByteArray bytes = in.readAll();
        EXPECT_TRUE(bytes.startsWith("\xff\xfe"));
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    }

    TestSettings settings;
    TestPrefix prefix{kExportRegistry};
    ScriptedUi ui;
    RegistryRecords records;
    std::shared_ptr<FileTypeObject> txtfile;
    QTemporaryDir dir;
    QString file = dir.filePath(u"export.reg"_s);
};

TEST_F(ItemExportTest, AFileTypeTakesItsExtensionsHandlerClassesAndApprovals)
{
    ASSERT_NE(txtfile, nullptr);
    const QByteArray before = prefix.readFile(u"system.reg"_s);
    EXPECT_EQ(exported(txtfile), crlf(R"(Windows Registry Editor Version 5.00

[HKEY_CLASSES_ROOT\txtfile]
@="Text Document"
"EditFlags"=hex:00,00,01,00
"Unknown"=hex(7):61,00,00,00,00,00

[HKEY_CLASSES_ROOT\txtfile\DefaultIcon]
@=hex(2):25,00,31,00,00,00

[HKEY_CLASSES_ROOT\txtfile\shell]

[HKEY_CLASSES_ROOT\txtfile\shell\open]

[HKEY_CLASSES_ROOT\txtfile\shell\open\command]
@="notepad.exe \"%1\""

[HKEY_CLASSES_ROOT\txtfile\shell\open\ddeexec]
@="[open(\"%1\")]"

[HKEY_CLASSES_ROOT\txtfile\shell\open\ddeexec\Application]
@="notepad"

[HKEY_CLASSES_ROOT\txtfile\shell\print]

[HKEY_CLASSES_ROOT\txtfile\shell\print\command]
@="notepad.exe /p %1"

[HKEY_CLASSES_ROOT\txtfile\shellex]

[HKEY_CLASSES_ROOT\txtfile\shellex\ContextMenuHandlers]

[HKEY_CLASSES_ROOT\txtfile\shellex\ContextMenuHandlers\Menu1]
@="{11111111-0000-0000-0000-000000000001}"

[HKEY_CLASSES_ROOT\txtfile\shellex\ContextMenuHandlers\Menu1Again]
@="{11111111-0000-0000-0000-000000000001}"

[HKEY_CLASSES_ROOT\txtfile\shellex\ContextMenuHandlers\Menu3]
@="{99999999-0000-0000-0000-000000000001}"

[HKEY_CLASSES_ROOT\txtfile\shellex\IconHandler]
@="{11111111-0000-0000-0000-000000000003}"

[HKEY_CLASSES_ROOT\.log]
@="txtfile"

[HKEY_CLASSES_ROOT\.txt]
@="txtfile"
"Content Type"="text/plain"

[HKEY_CLASSES_ROOT\.txt\shellex]

[HKEY_CLASSES_ROOT\.txt\shellex\{33333333-0000-0000-0000-000000000001}]
@="{33333333-0000-0000-0000-000000000001}"

[HKEY_CLASSES_ROOT\.txt\ShellNew]

[HKEY_CLASSES_ROOT\CLSID\{11111111-0000-0000-0000-000000000001}]
@="Menu One"

[HKEY_CLASSES_ROOT\CLSID\{11111111-0000-0000-0000-000000000001}\InprocServer32]
@="menu.dll"
"ThreadingModel"="Apartment"

[HKEY_CLASSES_ROOT\CLSID\{11111111-0000-0000-0000-000000000003}]
@="Icon Painter"

[HKEY_CLASSES_ROOT\CLSID\{33333333-0000-0000-0000-000000000001}]
@="Text Preview"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved]
"{11111111-0000-0000-0000-000000000001}"="Menu One"
"{33333333-0000-0000-0000-000000000001}"="Text Preview"

)"));
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), before) << "exporting changes nothing";
}

// The key lines and approved entries of the export of one item of each other kind.
TEST_F(ItemExportTest, EachKindTakesItsOwnKeysAndNoMore)
{
    const QString approved = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved"_s;
    const auto txt = records.extension(u".txt"_s);
    const struct {
        const char* label;
        std::shared_ptr<ItemObject> item;
        QStringList lines; // key lines, and the names of approved entries
    } cases[] = {
        {"extension",
         txt,
         {u"[HKEY_CLASSES_ROOT\\.txt]"_s, u"[HKEY_CLASSES_ROOT\\.txt\\shellex]"_s,
          u"[HKEY_CLASSES_ROOT\\.txt\\shellex\\"_s + kPreview + u']', u"[HKEY_CLASSES_ROOT\\.txt\\ShellNew]"_s,
          u"[HKEY_CLASSES_ROOT\\CLSID\\"_s + kPreview + u']', u'[' + approved + u']', u'"' + kPreview + u'"'}},
        {"action with DDE",
         txtfile->Actions.value(ActionKey(u"open"_s, u"txtfile"_s)),
         {u"[HKEY_CLASSES_ROOT\\txtfile\\shell\\open]"_s, u"[HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\command]"_s,
          u"[HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\ddeexec]"_s,
          u"[HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\ddeexec\\Application]"_s}},
        {"handler of a group",
         handler(txtfile, u"Menu1"_s),
         {u"[HKEY_CLASSES_ROOT\\txtfile\\shellex\\ContextMenuHandlers\\Menu1]"_s,
          u"[HKEY_CLASSES_ROOT\\CLSID\\"_s + kMenu + u']', u"[HKEY_CLASSES_ROOT\\CLSID\\"_s + kMenu + u"\\InprocServer32]"_s,
          u'[' + approved + u']', u'"' + kMenu + u'"'}},
        {"single handler, not approved",
         handler(txtfile, u"IconHandler"_s),
         {u"[HKEY_CLASSES_ROOT\\txtfile\\shellex\\IconHandler]"_s, u"[HKEY_CLASSES_ROOT\\CLSID\\"_s + kIcon + u']'}},
        {"handler of an extension",
         handler(txt, kPreview),
         {u"[HKEY_CLASSES_ROOT\\.txt\\shellex\\"_s + kPreview + u']', u"[HKEY_CLASSES_ROOT\\CLSID\\"_s + kPreview + u']',
          u'[' + approved + u']', u'"' + kPreview + u'"'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QStringList lines;
        for (const QString& line : exported(c.item).split(u"\r\n"_s))
            if (line.startsWith(u'[') || line.startsWith(u"\"{"_s))
                lines << line.section(u'=', 0, 0);
        EXPECT_EQ(lines, c.lines);
    }
}

TEST_F(ItemExportTest, AKeyGoneSinceTheLoadFailsAndWritesNoFile)
{
    const auto open = txtfile->Actions.value(ActionKey(u"open"_s, u"txtfile"_s));
    ASSERT_NE(open, nullptr);
    ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, u"txtfile\\shell\\open"_s), ERROR_SUCCESS);
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    QString error;
    EXPECT_EQ(ItemExport::Export(ITEM_ACTION, open, file, error), kErrOpenKey);
    EXPECT_TRUE(error.contains(u"HKEY_CLASSES_ROOT\\txtfile\\shell\\open"_s)) << error.toStdString();
    EXPECT_EQ(Registry::current()->openHandleCount(), 0u);
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old")) << "the earlier file is left as it was";
}

TEST_F(ItemExportTest, FailuresGiveTheirNumberAndSayWhat)
{
    const auto txt = records.extension(u".txt"_s);
    const QString unwritable = dir.filePath(u"missing folder/x.reg"_s);
    const struct {
        const char* label;
        qint16 kind;
        std::shared_ptr<ItemObject> item;
        QString fileName;
        long result;
        QString errorPart;
    } cases[] = {
        {"file cannot be written", ITEM_FILEEXTENSION, txt, unwritable, ItemExport::kErrWriteFile, unwritable},
        {"kind outside 1 to 4", 9, txt, file, kResultBadItemType, u"9"_s},
        {"no record", ITEM_ACTION, nullptr, file, kErrNoObject, u"not set"_s},
        {"record of another kind", ITEM_ACTION, txt, file, kErrNoObject, u"not set"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QString error;
        EXPECT_EQ(ItemExport::Export(c.kind, c.item, c.fileName, error), c.result);
        EXPECT_TRUE(error.contains(c.errorPart)) << error.toStdString();
        EXPECT_FALSE(QFile::exists(file));
    }
}

TEST_F(ItemExportTest, SuggestedFileNamesAreSafeAndVisible)
{
    auto handlerNamed = [](const QString& name, const QString& clsid) {
        auto handler = std::make_shared<ShellExtensionObject>();
        handler->Name = name;
        handler->CLSID = clsid;
        return handler;
    };
    auto typeNamed = [](const QString& name) {
        auto type = std::make_shared<FileTypeObject>();
        type->InternalName = name;
        return type;
    };
    const struct {
        qint16 kind;
        std::shared_ptr<ItemObject> item;
        QString expected;
    } cases[] = {
        {ITEM_FILETYPE, txtfile, u"txtfile.reg"_s},
        {ITEM_FILEEXTENSION, records.extension(u".txt"_s), u"txt.reg"_s},
        {ITEM_ACTION, txtfile->Actions.value(ActionKey(u"print"_s, u"txtfile"_s)), u"print.reg"_s},
        {ITEM_SHELLEXTENSION, handler(txtfile, u"Menu1"_s), u"Menu One.reg"_s},
        {ITEM_SHELLEXTENSION, handlerNamed(u"A/B: \"C\"?"_s, kMenu), u"A_B_ _C__.reg"_s},
        {ITEM_SHELLEXTENSION, handlerNamed(QString(), kMenu), kMenu + u".reg"_s},
        {ITEM_FILETYPE, typeNamed(u"Word.Document.8"_s), u"Word.Document.8.reg"_s},
        {ITEM_FILETYPE, typeNamed(u"..."_s), u"export.reg"_s},
        {ITEM_FILETYPE, nullptr, u"export.reg"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ItemExport::SuggestedFileName(c.kind, c.item), c.expected);
}

} // namespace
