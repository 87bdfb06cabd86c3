#include "control/records/ErrorNumbers.h"
#include "control/records/ShellExtensionObject.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kHandlerSections = R"(
[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}] 1
@="Menu Handler"
[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}\\InprocServer] 1
@="menu16.dll"
[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}\\InprocServer32] 1
@="C:\\windows\\system32\\menu.dll"
"ThreadingModel"="Apartment"
[Software\\Classes\\CLSID\\{22222222-0000-0000-0000-000000000002}\\InprocServer32] 1
@="icons.dll"
[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\Blanks] 1
@="  {11111111-0000-0000-0000-000000000001}  "
[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\{22222222-0000-0000-0000-000000000002}] 1
@=""
[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\NoClass] 1
@="{99999999-0000-0000-0000-000000000009}"
[Software\\Classes\\txtfile\\shellex\\IconHandler] 1
@="{22222222-0000-0000-0000-000000000002}"
[Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved] 1
"{11111111-0000-0000-0000-000000000001}"=""
)";

const QString kMenuClass = QStringLiteral("{11111111-0000-0000-0000-000000000001}");
const QString kIconClass = QStringLiteral("{22222222-0000-0000-0000-000000000002}");

const QString kMenus = QStringLiteral("ContextMenuHandlers");

// A member of a group, unless it is named after the group key as a single handler is.
std::shared_ptr<ShellExtensionObject> handler(const QString& group, const QString& name, int index)
{
    auto h = std::make_shared<ShellExtensionObject>();
    h->HostInternalName = QStringLiteral("txtfile");
    h->HostTypeKey = QStringLiteral("ft__.txtfile");
    h->ExtTypeKey = group;
    h->ExtTypeGroup = group != name;
    h->ExtTypeIndex = static_cast<qint16>(index);
    h->InternalName = name;
    return h;
}

// The approval of a class, read straight from the approved list.
std::optional<QString> approval(const QString& clsid)
{
    return probe::text(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved"),
                       clsid, HKEY_LOCAL_MACHINE);
}

class ShellExtensionRecord : public ::testing::Test {
protected:
    ShellExtensionRecord()
        : prefix(kHandlerSections)
    {
        prefix.open();
    }

    TestSettings settings;
    TestPrefix prefix;
    ScriptedUi ui;
};

TEST_F(ShellExtensionRecord, LoadsAGroupMemberWithItsClass)
{
    auto h = handler(kMenus, QStringLiteral("Blanks"), 1);
    ASSERT_EQ(h->LoadMe(), 0);
    EXPECT_EQ(h->CLSID, kMenuClass); // blanks removed
    EXPECT_EQ(h->Name, QStringLiteral("Menu Handler"));
    EXPECT_EQ(h->Inproc, QStringLiteral("menu16.dll"));
    EXPECT_EQ(h->Inproc32, QStringLiteral("C:\\windows\\system32\\menu.dll"));
    EXPECT_EQ(h->ThreadModel, QStringLiteral("Apartment"));
    EXPECT_TRUE(h->Approved);
    EXPECT_EQ(h->Key(), QStringLiteral("sh__.{11111111-0000-0000-0000-000000000001}.1.txtfile"));
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);
}

TEST_F(ShellExtensionRecord, FallsBackToTheKeyNameForClsidAndName)
{
    auto member = handler(kMenus, kIconClass, 1);
    ASSERT_EQ(member->LoadMe(), 0);
    EXPECT_EQ(member->CLSID, member->InternalName);
    EXPECT_EQ(member->Name, member->InternalName); // the class has no name
    EXPECT_FALSE(member->Approved);
}

TEST_F(ShellExtensionRecord, MissingHandlerOrClassFailsQuietly)
{
    EXPECT_EQ(handler(kMenus, QStringLiteral("NoClass"), 1)->LoadMe(), kErrClsid);
    EXPECT_EQ(handler(QStringLiteral("DropHandler"), QStringLiteral("DropHandler"), 5)->LoadMe(), kErrInternalName);
    EXPECT_EQ(handler(kMenus, QStringLiteral("Absent"), 1)->LoadMe(), kErrInternalName);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);
}

TEST_F(ShellExtensionRecord, WritesClassApprovalAndRegistration)
{
    auto member = handler(QStringLiteral("PropertySheetHandlers"), QStringLiteral("Props"), 0);
    member->CLSID = QStringLiteral("{33333333-0000-0000-0000-000000000003}");
    member->Name = QStringLiteral("Property Pages");
    member->Inproc32 = QStringLiteral("props.dll");
    member->Approved = true;
    ASSERT_EQ(member->WriteMe(), 0);
    const QString cls = QStringLiteral("CLSID\\") + member->CLSID;
    EXPECT_EQ(probe::text(cls), QStringLiteral("Property Pages"));
    EXPECT_EQ(probe::text(cls + QStringLiteral("\\InprocServer32")), QStringLiteral("props.dll"));
    EXPECT_EQ(probe::text(cls + QStringLiteral("\\InprocServer32"), QStringLiteral("ThreadingModel")), QString());
    EXPECT_EQ(probe::text(QStringLiteral("txtfile\\shellex\\PropertySheetHandlers\\Props")), member->CLSID);
    EXPECT_EQ(approval(member->CLSID), QString());

    auto drop = handler(QStringLiteral("DropHandler"), QStringLiteral("DropHandler"), 5);
    drop->CLSID = kMenuClass;
    drop->Approved = false;
    ASSERT_EQ(drop->WriteMe(), 0);
    EXPECT_EQ(probe::text(QStringLiteral("txtfile\\shellex\\DropHandler")), kMenuClass);
    EXPECT_FALSE(approval(kMenuClass));
    // The 16-bit server is never written and stays as it was.
    EXPECT_EQ(probe::text(QStringLiteral("CLSID\\%1\\InprocServer").arg(kMenuClass)), QStringLiteral("menu16.dll"));
}

TEST_F(ShellExtensionRecord, RefusesToWriteWithoutTheNamesItNeeds)
{
    const QString clsid = QStringLiteral("{44444444-0000-0000-0000-000000000004}");
    const struct {
        const char* what;
        QString clsid, extTypeKey, internalName;
        long expected;
    } cases[] = {
        {"no CLSID", QString(), kMenus, QStringLiteral("X"), kErrCreateKey},
        {"no group key", clsid, QString(), QStringLiteral("X"), kErrOpenKey},
        {"no member name", clsid, kMenus, QString(), kErrCreateKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto h = handler(c.extTypeKey, c.internalName, 1);
        h->CLSID = c.clsid;
        h->Name = QStringLiteral("Clobber");
        EXPECT_EQ(h->WriteMe(), c.expected);
        // Neither the CLSID key itself nor the group key got a value of this handler's.
        EXPECT_FALSE(probe::text(QStringLiteral("CLSID")));
        EXPECT_FALSE(probe::text(QStringLiteral("txtfile\\shellex")));
        EXPECT_FALSE(probe::text(QStringLiteral("txtfile\\shellex\\ContextMenuHandlers")));
    }
}

TEST_F(ShellExtensionRecord, RemovesRegistrationsWithoutLeavingEmptyContainersAndWithRemoveFullTheClass)
{
    auto member = handler(kMenus, QStringLiteral("Blanks"), 1);
    ASSERT_EQ(member->LoadMe(), 0);
    ASSERT_EQ(member->RemoveMe(false), 0);
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile\\shellex\\ContextMenuHandlers\\Blanks")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral("CLSID\\") + kMenuClass));
    EXPECT_EQ(member->RemoveMe(false), kErrRemoveKey); // already gone

    for (const QString& name : {kIconClass, QStringLiteral("NoClass")}) {
        auto h = handler(kMenus, name, 1);
        h->CLSID = QStringLiteral("{x}");
        ASSERT_EQ(h->RemoveMe(false), 0) << name.toStdString();
    }
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile\\shellex\\ContextMenuHandlers")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile\\shellex"))); // IconHandler is still there

    auto icon = handler(QStringLiteral("IconHandler"), QStringLiteral("IconHandler"), 6);
    ASSERT_EQ(icon->LoadMe(), 0);
    ASSERT_EQ(icon->RemoveMe(true), 0);
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile\\shellex")));
    EXPECT_TRUE(probe::keyExists(QStringLiteral("txtfile")));
    EXPECT_FALSE(probe::keyExists(QStringLiteral("CLSID\\") + kIconClass)); // with InprocServer32
    EXPECT_TRUE(approval(kMenuClass)); // the approved list is not touched
}

TEST_F(ShellExtensionRecord, RemoveReportsWhatIsMissing)
{
    auto noHost = handler(QStringLiteral("IconHandler"), QStringLiteral("IconHandler"), 6);
    noHost->HostInternalName = QStringLiteral("nofile");
    EXPECT_EQ(noHost->RemoveMe(true), kErrOpenKey);
    EXPECT_EQ(handler(QStringLiteral("DragDropHandlers"), QStringLiteral("X"), 3)->RemoveMe(true), kErrOpenKey);
    auto noClass = handler(kMenus, QStringLiteral("NoClass"), 1);
    noClass->CLSID = QStringLiteral("{99999999-0000-0000-0000-000000000009}");
    EXPECT_EQ(noClass->RemoveMe(true), kErrRemoveKey);
    EXPECT_FALSE(probe::keyExists(QStringLiteral("txtfile\\shellex\\ContextMenuHandlers\\NoClass")));
}

} // namespace
