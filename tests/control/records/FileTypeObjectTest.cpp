#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/FileTypeObject.h"
#include "control/records/OperationError.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kSections = R"(
[Software\\Classes\\*\\shell\\open\\command] 1
@="viewer.exe %1"

[Software\\Classes\\.txt] 1
@="txtfile"
"Content Type"="text/plain"
"InfoTip"="A text"

[Software\\Classes\\.txt\\shellex\\ContextMenuHandlers] 1

[Software\\Classes\\.txt\\shellex\\{11111111-0000-0000-0000-000000000001}] 1

[Software\\Classes\\.txt\\shellex\\Same] 1
@="{11111111-0000-0000-0000-000000000001}"

[Software\\Classes\\.noname] 1

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}] 1
@="Menu Handler"

[Software\\Classes\\CLSID\\{22222222-0000-0000-0000-000000000002}] 1
@="Icon Handler"

[Software\\Classes\\lonely] 1

[Software\\Classes\\txtfile] 1
"EditFlags"=hex:04,00,01,00

[Software\\Classes\\txtfile\\CLSID] 1
@="{55555555-0000-0000-0000-000000000005}"

[Software\\Classes\\txtfile\\DefaultIcon] 1
@="shell32.dll,-2"

[Software\\Classes\\txtfile\\QuickView] 1
@="*"

[Software\\Classes\\txtfile\\shell\\open\\command] 1
@="notepad.exe %1"

[Software\\Classes\\txtfile\\shell\\print\\command] 1
@="notepad.exe /p %1"

[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\A] 1
@="{11111111-0000-0000-0000-000000000001}"

[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\B] 1
@="{11111111-0000-0000-0000-000000000001}"

[Software\\Classes\\txtfile\\shellex\\IconHandler] 1
@="{22222222-0000-0000-0000-000000000002}"
)";

std::shared_ptr<FileTypeObject> typeWithExtension(const QString& internalName, const QString& extension)
{
    auto type = std::make_shared<FileTypeObject>();
    type->InternalName = internalName;
    if (!extension.isEmpty()) {
        auto ext = std::make_shared<FileExtensionObject>();
        ext->Extension = extension;
        ext->HostTypeKey = type->Key();
        type->FileExtensions.add(ext->Key(), ext);
    }
    return type;
}

class FileTypeRecord : public ::testing::Test {
protected:
    FileTypeRecord()
        : prefix(kSections)
    {
        prefix.open();
    }

    TestSettings settings;
    TestPrefix prefix;
    ScriptedUi ui;
};

TEST_F(FileTypeRecord, LoadsValuesAndMakesUpAName)
{
    auto type = typeWithExtension(QStringLiteral("txtfile"), QStringLiteral(".txt"));
    EXPECT_EQ(type->Loaded(), LOAD_NOTLOADED);
    ASSERT_EQ(type->LoadMe(false), 0);
    EXPECT_EQ(type->Loaded(), LOAD_VALUES);
    EXPECT_EQ(type->Name, QStringLiteral("TXT File Type"));
    EXPECT_EQ(type->CLSID, QStringLiteral("{55555555-0000-0000-0000-000000000005}"));
    EXPECT_EQ(type->IconPath, QStringLiteral("shell32.dll,-2"));
    EXPECT_EQ(type->Flags, 0x10004u); // a 4-byte binary value reads like a number
    EXPECT_TRUE(type->QuickView);
    EXPECT_TRUE(type->Actions.isEmpty());
    EXPECT_FALSE(probe::text(QStringLiteral("txtfile"))); // the made-up name is not written
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);
}

TEST_F(FileTypeRecord, FullLoadReplacesActionsAndHandlersAndLoadsExtensions)
{
    auto type = typeWithExtension(QStringLiteral("txtfile"), QStringLiteral(".txt"));
    auto stale = std::make_shared<ActionObject>();
    stale->CommandKey = QStringLiteral("stale");
    type->Actions.add(stale->Key(), stale);
    ASSERT_EQ(type->LoadMe(true), 0);
    EXPECT_EQ(type->Loaded(), LOAD_FULL);
    QStringList actions;
    for (const auto& entry : type->Actions)
        actions << entry.key;
    EXPECT_EQ(actions, (QStringList{"ac__.open.txtfile", "ac__.print.txtfile"}));
    // Two members of one group naming the same class: one record, no error.
    QStringList handlers;
    for (const auto& entry : type->ShellExtensions)
        handlers << entry.key;
    EXPECT_EQ(handlers, (QStringList{"sh__.{11111111-0000-0000-0000-000000000001}.1.txtfile",
                                     "sh__.{22222222-0000-0000-0000-000000000002}.6.txtfile"}));
    const auto ext = std::dynamic_pointer_cast<FileExtensionObject>(type->GetItem(ITEM_FILEEXTENSION, QStringLiteral("fe__..txt")));
    ASSERT_TRUE(ext);
    EXPECT_EQ(ext->ContentType, QStringLiteral("text/plain"));
    EXPECT_EQ(ext->InfoTip, QStringLiteral("A text"));
    ASSERT_EQ(ext->ShellExtensions.count(), 1); // the group key and the duplicate are left out
    EXPECT_EQ(ext->ShellExtensions.first()->Key(), QStringLiteral("sh__.{11111111-0000-0000-0000-000000000001}.-1..txt"));
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);
}

TEST_F(FileTypeRecord, GetItemFindsMembersByKind)
{
    auto type = typeWithExtension(QStringLiteral("txtfile"), QStringLiteral(".txt"));
    ASSERT_EQ(type->LoadMe(true), 0);
    EXPECT_FALSE(type->GetItem(ITEM_FILETYPE, type->Key()));
    EXPECT_TRUE(std::dynamic_pointer_cast<ActionObject>(type->GetItem(ITEM_ACTION, QStringLiteral("AC__.OPEN.TXTFILE"))));
    EXPECT_TRUE(type->GetItem(ITEM_SHELLEXTENSION, QStringLiteral("sh__.{22222222-0000-0000-0000-000000000002}.6.txtfile")));
    try {
        type->GetItem(ITEM_ACTION, QStringLiteral("ac__.nothing.txtfile"));
        ADD_FAILURE() << "a missing member must fail";
    } catch (const OperationError& e) {
        EXPECT_EQ(e.number(), kErrMissingKey);
    }
}

TEST_F(FileTypeRecord, SpecialTypesTakeTheirNameAndIconFromTheSettings)
{
    auto all = std::make_shared<FileTypeObject>();
    all->InternalName = QStringLiteral("*");
    all->Special = true;
    all->SpecialIndex = 1;
    ASSERT_EQ(all->LoadMe(false), 0);
    EXPECT_EQ(all->Name, QStringLiteral(" All Files"));
    EXPECT_EQ(all->IconPath, QStringLiteral("<Not Defined - Use IconKey>"));
}

TEST_F(FileTypeRecord, ATypeWithoutNameOrExtensionIsNamedAfterItsKey)
{
    auto lonely = typeWithExtension(QStringLiteral("lonely"), QString());
    EXPECT_EQ(lonely->LoadMe(true), 0);
    EXPECT_EQ(lonely->Name, QStringLiteral("lonely"));
    EXPECT_EQ(lonely->Loaded(), LOAD_FULL);
}

TEST_F(FileTypeRecord, MissingOrNamelessTypesFailWith4005)
{
    for (const char* name : {"", "   ", "nosuchtype", "\\txtfile"}) {
        auto type = typeWithExtension(QString::fromLatin1(name), QString());
        EXPECT_EQ(type->LoadMe(true), kErrNoInternalName) << name;
        EXPECT_EQ(type->Loaded(), LOAD_VALUES) << name;
    }
}

TEST_F(FileTypeRecord, ABrokenGroupSettingIsReportedOnceAndTheOtherGroupsLoad)
{
    settings.set(SECTION_SHELLEX, QStringLiteral("1_Group"), QStringLiteral("maybe"));
    for (int i = 0; i < 3; ++i) {
        auto type = typeWithExtension(QStringLiteral("txtfile"), QStringLiteral(".txt"));
        ASSERT_EQ(type->LoadMe(true), 0);
        ASSERT_EQ(type->ShellExtensions.count(), 1);
        EXPECT_EQ(type->ShellExtensions.first()->ExtTypeIndex, 6);
    }
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, QStringLiteral("Error - 13"));
    EXPECT_TRUE(ui.boxes()[0].text.contains(QStringLiteral("\"1_Group\""))) << ui.boxes()[0].text.toStdString();
}

TEST_F(FileTypeRecord, WritesEveryPartAndRemovesWhatIsEmpty)
{
    auto type = typeWithExtension(QStringLiteral("txtfile"), QStringLiteral(".txt"));
    ASSERT_EQ(type->LoadMe(false), 0);
    ASSERT_EQ(type->WriteMe(false), 0);
    // Written back: the flags as a number, the made-up name as the description.
    EXPECT_EQ(probe::type(QStringLiteral("txtfile"), QStringLiteral("EditFlags")), REG_DWORD);
    EXPECT_EQ(probe::text(QStringLiteral("txtfile")), QStringLiteral("TXT File Type"));

    type->Flags = 0;
    type->IconPath.clear();
    type->CLSID.clear();
    type->QuickView = false;
    ASSERT_EQ(type->WriteMe(false), 0);
    EXPECT_FALSE(probe::type(QStringLiteral("txtfile"), QStringLiteral("EditFlags")));
    for (const char* sub : {"txtfile\\DefaultIcon", "txtfile\\CLSID", "txtfile\\QuickView"})
        EXPECT_FALSE(probe::keyExists(QString::fromLatin1(sub))) << sub;
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile\\shell\\open\\command")));
}

TEST_F(FileTypeRecord, WriteFullCreatesANewAssociation)
{
    auto type = typeWithExtension(QStringLiteral("newfile"), QStringLiteral(".new"));
    type->Name = QStringLiteral("New Document");
    type->IconPath = QStringLiteral("shell32.dll,1");
    type->Flags = 0x10000;
    type->FileExtensions.first()->InternalName = QStringLiteral("newfile");
    type->FileExtensions.first()->ContentType = QStringLiteral("text/x-new");
    auto open = std::make_shared<ActionObject>();
    open->HostInternalName = QStringLiteral("newfile");
    open->CommandKey = QStringLiteral("open");
    open->Name = QStringLiteral("Open");
    open->Command = QStringLiteral("editor.exe \"%1\"");
    type->Actions.add(open->Key(), open);
    auto handler = std::make_shared<ShellExtensionObject>();
    handler->HostInternalName = QStringLiteral("newfile");
    handler->ExtTypeKey = QStringLiteral("ContextMenuHandlers");
    handler->ExtTypeGroup = true;
    handler->ExtTypeIndex = 1;
    handler->InternalName = QStringLiteral("NewMenu");
    handler->CLSID = QStringLiteral("{66666666-0000-0000-0000-000000000006}");
    handler->Name = QStringLiteral("New Menu");
    type->ShellExtensions.add(handler->Key(), handler);
    ASSERT_EQ(type->WriteMe(true), 0);

    auto back = typeWithExtension(QStringLiteral("newfile"), QStringLiteral(".new"));
    ASSERT_EQ(back->LoadMe(true), 0);
    EXPECT_EQ(back->Name, QStringLiteral("New Document"));
    EXPECT_EQ(back->IconPath, QStringLiteral("shell32.dll,1"));
    EXPECT_EQ(back->Flags, 0x10000u);
    EXPECT_EQ(back->FileExtensions.first()->InternalName, QStringLiteral("newfile"));
    EXPECT_EQ(back->FileExtensions.first()->ContentType, QStringLiteral("text/x-new"));
    ASSERT_EQ(back->Actions.count(), 1);
    EXPECT_EQ(back->Actions.first()->Command, open->Command);
    ASSERT_EQ(back->ShellExtensions.count(), 1);
    EXPECT_EQ(back->ShellExtensions.first()->Name, QStringLiteral("New Menu"));
}

TEST_F(FileTypeRecord, WriteRefusesAnEmptyName)
{
    auto type = typeWithExtension(QString(), QString());
    type->Name = QStringLiteral("Clobber");
    EXPECT_EQ(type->WriteMe(true), kErrCreateKey);
    EXPECT_FALSE(probe::text(QString())); // HKEY_CLASSES_ROOT got no default value
}

TEST_F(FileTypeRecord, RemoveFullTakesTheTypeAndItsExtensions)
{
    auto type = typeWithExtension(QStringLiteral("txtfile"), QStringLiteral(".txt"));
    ASSERT_EQ(type->LoadMe(true), 0);
    ASSERT_EQ(type->RemoveMe(true), 0);
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile")));
    EXPECT_FALSE(probe::keyExists(QStringLiteral(".txt")));
    // Classes and approvals of its handlers stay.
    EXPECT_TRUE(probe::keyExists(QStringLiteral("CLSID\\{11111111-0000-0000-0000-000000000001}")));
    EXPECT_EQ(type->RemoveMe(false), ERROR_FILE_NOT_FOUND);

    auto noName = typeWithExtension(QString(), QString());
    EXPECT_EQ(noName->RemoveMe(true), ERROR_BAD_PATHNAME);
    EXPECT_TRUE(probe::keyExists(QStringLiteral("lonely"))); // nothing else was touched
}

TEST_F(FileTypeRecord, ExtensionRemoveLeavesTheTypeAndReportsMissingKeys)
{
    auto ext = std::make_shared<FileExtensionObject>();
    ext->Extension = QStringLiteral(".txt");
    EXPECT_EQ(ext->RemoveMe(), 0);
    EXPECT_FALSE(probe::keyExists(QStringLiteral(".txt")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile")));
    EXPECT_EQ(ext->RemoveMe(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileTypeRecord, ExtensionWithoutDefaultValueHasNoInternalName)
{
    auto ext = std::make_shared<FileExtensionObject>();
    ext->Extension = QStringLiteral(".noname");
    auto kept = std::make_shared<ShellExtensionObject>();
    kept->CLSID = QStringLiteral("{x}");
    ext->ShellExtensions.add(kept->Key(), kept);
    EXPECT_EQ(ext->LoadMe(false), 0);
    EXPECT_EQ(ext->InternalName, QString());
    EXPECT_EQ(ext->ShellExtensions.count(), 1); // a values-only load keeps the handlers
}

TEST_F(FileTypeRecord, ExtensionWriteSetsOrDeletesItsValues)
{
    auto ext = std::make_shared<FileExtensionObject>();
    ext->Extension = QStringLiteral(".txt");
    ASSERT_EQ(ext->LoadMe(false), 0);
    ext->ContentType.clear();
    ext->InfoTip.clear();
    ASSERT_EQ(ext->WriteMe(false), 0);
    EXPECT_FALSE(probe::text(QStringLiteral(".txt"), QStringLiteral("Content Type")));
    EXPECT_FALSE(probe::text(QStringLiteral(".txt"), QStringLiteral("InfoTip")));
    EXPECT_EQ(probe::text(QStringLiteral(".txt")), QStringLiteral("txtfile"));
    ext->ContentType = QStringLiteral("text/x-new");
    ASSERT_EQ(ext->WriteMe(false), 0);
    EXPECT_EQ(probe::type(QStringLiteral(".txt"), QStringLiteral("Content Type")), REG_SZ);

    auto noName = std::make_shared<FileExtensionObject>();
    noName->InternalName = QStringLiteral("Clobber");
    EXPECT_EQ(noName->WriteMe(true), kErrCreateKey);
    EXPECT_FALSE(probe::text(QString()));
}

} // namespace
