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

const QByteArray kTypeSections = R"(
[Software\\Classes\\*] 1
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

std::shared_ptr<FileExtensionObject> extension(const QString& name)
{
    auto ext = std::make_shared<FileExtensionObject>();
    ext->Extension = name;
    return ext;
}

std::shared_ptr<FileTypeObject> typeWithExtension(const QString& internalName, const QString& extensionName = QString())
{
    auto type = std::make_shared<FileTypeObject>();
    type->InternalName = internalName;
    if (!extensionName.isEmpty()) {
        auto ext = extension(extensionName);
        ext->HostTypeKey = type->Key();
        type->FileExtensions.add(ext->Key(), ext);
    }
    return type;
}

template <typename T>
QStringList keysOf(const KeyedCollection<T>& collection)
{
    QStringList keys;
    for (const auto& entry : collection)
        keys << entry.key;
    return keys;
}

class FileTypeRecord : public ::testing::Test {
protected:
    FileTypeRecord()
        : prefix(kTypeSections)
    {
        prefix.open();
    }

    TestSettings settings;
    TestPrefix prefix;
    ScriptedUi ui;
};

TEST_F(FileTypeRecord, LoadsValuesMakesUpANameAndWritesThemBack)
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

    ASSERT_EQ(type->WriteMe(false), 0);
    // Written back unchanged: the flags keep their binary form, the made-up name stays made up.
    EXPECT_EQ(probe::type(QStringLiteral("txtfile"), QStringLiteral("EditFlags")), REG_BINARY);
    EXPECT_FALSE(probe::text(QStringLiteral("txtfile")));
    // Empty parts are removed; what WriteMe(false) does not own stays.
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

TEST_F(FileTypeRecord, FullLoadReplacesActionsAndHandlersAndLoadsExtensions)
{
    auto type = typeWithExtension(QStringLiteral("txtfile"), QStringLiteral(".txt"));
    auto stale = std::make_shared<ActionObject>();
    stale->CommandKey = QStringLiteral("stale");
    type->Actions.add(stale->Key(), stale);
    ASSERT_EQ(type->LoadMe(true), 0);
    EXPECT_EQ(type->Loaded(), LOAD_FULL);
    EXPECT_EQ(keysOf(type->Actions), (QStringList{"ac__.open.txtfile", "ac__.print.txtfile"}));
    // Two members of one group naming the same class: one record, no error.
    EXPECT_EQ(keysOf(type->ShellExtensions), (QStringList{"sh__.{11111111-0000-0000-0000-000000000001}.1.txtfile",
                                                          "sh__.{22222222-0000-0000-0000-000000000002}.6.txtfile"}));
    const auto ext = std::dynamic_pointer_cast<FileExtensionObject>(type->GetItem(ITEM_FILEEXTENSION, QStringLiteral("fe__..txt")));
    ASSERT_TRUE(ext);
    EXPECT_EQ(ext->ContentType, QStringLiteral("text/plain"));
    EXPECT_EQ(ext->InfoTip, QStringLiteral("A text"));
    // The group key and the duplicate are left out.
    EXPECT_EQ(keysOf(ext->ShellExtensions), QStringList{"sh__.{11111111-0000-0000-0000-000000000001}.-1..txt"});
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);

    // GetItem looks in the collection of the kind asked for, ignoring letter case.
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

TEST_F(FileTypeRecord, ATypeWithoutNameIsNamedFromTheSettingsOrItsKeyAndAMissingOneFails)
{
    auto all = typeWithExtension(QStringLiteral("*"));
    all->Special = true;
    all->SpecialIndex = 1;
    ASSERT_EQ(all->LoadMe(false), 0);
    EXPECT_EQ(all->Name, QStringLiteral(" All Files"));
    EXPECT_EQ(all->IconPath, QStringLiteral("<Not Defined - Use IconKey>"));

    auto lonely = typeWithExtension(QStringLiteral("lonely"));
    EXPECT_EQ(lonely->LoadMe(true), 0);
    EXPECT_EQ(lonely->Name, QStringLiteral("lonely"));
    EXPECT_EQ(lonely->Loaded(), LOAD_FULL);

    for (const char* name : {"", "   ", "nosuchtype", "\\txtfile"}) {
        auto type = typeWithExtension(QString::fromLatin1(name));
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

    // Mending one row and breaking another is reported again.
    settings.set(SECTION_SHELLEX, QStringLiteral("1_Group"), QStringLiteral("True"));
    settings.set(SECTION_SHELLEX, QStringLiteral("3_Group"), QStringLiteral("maybe"));
    ASSERT_EQ(typeWithExtension(QStringLiteral("txtfile"), QStringLiteral(".txt"))->LoadMe(true), 0);
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_TRUE(ui.boxes()[1].text.contains(QStringLiteral("\"3_Group\""))) << ui.boxes()[1].text.toStdString();
}

TEST_F(FileTypeRecord, RemoveFullTakesTheTypeAndItsExtensionsAndWriteFullPutsThemBack)
{
    auto summary = [](const FileTypeObject& t) {
        QStringList parts{t.Name, t.CLSID, t.IconPath, QString::number(t.Flags), QString::number(t.QuickView)};
        for (const auto& [key, ext] : t.FileExtensions)
            parts << key << ext->InternalName << ext->ContentType << ext->InfoTip << keysOf(ext->ShellExtensions);
        for (const auto& [key, action] : t.Actions)
            parts << key << action->Name << action->Command;
        for (const auto& [key, handler] : t.ShellExtensions)
            parts << key << handler->Name;
        return parts;
    };
    auto type = typeWithExtension(QStringLiteral("txtfile"), QStringLiteral(".txt"));
    ASSERT_EQ(type->LoadMe(true), 0);
    ASSERT_EQ(summary(*type).size(), 20); // nothing to compare would prove nothing
    ASSERT_EQ(type->RemoveMe(true), 0);
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile")));
    EXPECT_FALSE(probe::keyExists(QStringLiteral(".txt")));
    // Classes and approvals of its handlers stay.
    EXPECT_TRUE(probe::keyExists(QStringLiteral("CLSID\\{11111111-0000-0000-0000-000000000001}")));
    EXPECT_EQ(type->RemoveMe(false), ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(type->WriteMe(true), 0);
    auto back = typeWithExtension(QStringLiteral("txtfile"), QStringLiteral(".txt"));
    ASSERT_EQ(back->LoadMe(true), 0);
    EXPECT_EQ(summary(*back), summary(*type));
}

TEST_F(FileTypeRecord, AnEmptyNameIsNeverWrittenNorRemoved)
{
    auto type = typeWithExtension(QString());
    type->Name = QStringLiteral("Clobber");
    EXPECT_EQ(type->WriteMe(true), kErrCreateKey);
    auto ext = extension(QString());
    ext->InternalName = QStringLiteral("Clobber");
    EXPECT_EQ(ext->WriteMe(true), kErrCreateKey);
    EXPECT_FALSE(probe::text(QString())); // HKEY_CLASSES_ROOT got no default value
    // Refused before anything goes, the extensions it holds included.
    auto holder = typeWithExtension(QString(), QStringLiteral(".txt"));
    EXPECT_EQ(holder->RemoveMe(true), ERROR_BAD_PATHNAME);
    EXPECT_TRUE(probe::keyExists(QStringLiteral(".txt")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral("lonely"))); // nothing else was touched
}

TEST_F(FileTypeRecord, ExtensionLoadsWritesAndRemovesItsOwnKeyOnly)
{
    // Without a default value there is no internal name; a values-only load keeps the handlers.
    auto noName = extension(QStringLiteral(".noname"));
    auto kept = std::make_shared<ShellExtensionObject>();
    kept->CLSID = QStringLiteral("{x}");
    noName->ShellExtensions.add(kept->Key(), kept);
    EXPECT_EQ(noName->LoadMe(false), 0);
    EXPECT_EQ(noName->InternalName, QString());
    EXPECT_EQ(noName->ShellExtensions.count(), 1);

    auto ext = extension(QStringLiteral(".txt"));
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

    EXPECT_EQ(ext->RemoveMe(), 0);
    EXPECT_FALSE(probe::keyExists(QStringLiteral(".txt")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile")));
    EXPECT_EQ(ext->RemoveMe(), ERROR_FILE_NOT_FOUND);
}

} // namespace
