#include "app/dialogs/ItemAdder.h"

#include "app/dialogs/FieldRules.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/FileTypeObject.h"
#include "control/records/RegistryAccess.h"
#include "platform/registry/Registry.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/RegistryProbe.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString kTxt = u"ft__.txtfile"_s;
const QString kDoc = u"ft__.docfile"_s;
const QString kNewClsid = u"{55555555-0000-0000-0000-000000000001}"_s;
const QString kLongName = QString(300, u'a');

class ItemAdderTest : public KestrowFixture {
protected:
    ItemAdderTest()
        : KestrowFixture(sampleSections() + classes({{R"(Vnk.Class\CLSID)", "{66666666-0000-0000-0000-000000000001}"},
                                                     {R"(CLSID\{55555555-0000-0000-0000-000000000001}\InprocServer32)",
                                                      R"(C:\other.dll)"}}) +
                         "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Shell Extensions\\\\Approved] 1\n")
    {
    }
    void SetUp() override { ASSERT_EQ(load(), 0); }

    QByteArray systemReg() const { return prefix.readFile(u"system.reg"_s); }
    QString lastBoxText() const { return ui.boxes().empty() ? QString() : ui.boxes().back().text; }
    QString lastBoxTitle() const { return ui.boxes().empty() ? QString() : ui.boxes().back().title; }

    static FileTypeFields vnkType(const QString& extension = u"vnk"_s)
    {
        FileTypeFields fields;
        fields.name = u"Varnook File"_s;
        fields.internalName = u"vnkfile"_s;
        fields.extension = extension;
        return fields;
    }
    ShellExtensionFields handler(int group, const QString& typeKey = kTxt) const
    {
        ShellExtensionFields fields;
        fields.name = u"Vnk Menu"_s;
        fields.clsid = u" {77777777-0000-0000-0000-000000000001} "_s;
        fields.inproc32 = uR"(C:\vnk.dll)"_s;
        fields.group = group;
        fields.threadModel = adder.tables().threadModelIndex(u"Apartment"_s);
        fields.approved = true;
        fields.typeKey = typeKey;
        return fields;
    }

    ItemAdder adder{control.core()};
};

// ---- each kind, as the registry then holds it

TEST_F(ItemAdderTest, AFileTypeIsWrittenWithItsDottedExtensionAndShown)
{
    FileTypeFields fields = vnkType();
    fields.defaultIcon = uR"(C:\vnk.ico,0)"_s;
    fields.flags = u" 65536 "_s;
    fields.quickView = true;
    EXPECT_EQ(adder.addFileType(fields), 0);
    EXPECT_EQ(fields.extension, u".vnk"_s) << "the box shows the dotted form";
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(probe::text(u"vnkfile"_s), u"Varnook File"_s);
    EXPECT_EQ(probe::text(u"vnkfile\\DefaultIcon"_s), uR"(C:\vnk.ico,0)"_s);
    EXPECT_EQ(probe::type(u"vnkfile"_s, u"EditFlags"_s), DWORD(REG_DWORD));
    EXPECT_EQ(probe::text(u"vnkfile\\QuickView"_s), u"*"_s);
    EXPECT_EQ(probe::text(u".vnk"_s), u"vnkfile"_s);
    EXPECT_EQ(adder.addedKey(), u"ft__.vnkfile"_s);
    EXPECT_EQ(parentKey(u"fe__..vnk"_s), u"ftef.ft__.vnkfile"_s);
    prefix.reopen();
    EXPECT_EQ(probe::text(u".vnk"_s), u"vnkfile"_s) << "saved";
}

TEST_F(ItemAdderTest, AnExtensionIsWrittenForItsType)
{
    FileExtensionFields fields{u"vnk"_s, kDoc, u"Doc File"_s, u"text/x-vnk"_s, u"A tip"_s};
    EXPECT_EQ(adder.addExtension(fields), 0);
    EXPECT_EQ(fields.extension, u".vnk"_s);
    EXPECT_EQ(probe::text(u".vnk"_s), u"docfile"_s);
    EXPECT_EQ(probe::text(u".vnk"_s, u"Content Type"_s), u"text/x-vnk"_s);
    EXPECT_EQ(probe::text(u".vnk"_s, u"InfoTip"_s), u"A tip"_s);
    EXPECT_EQ(parentKey(u"fe__..vnk"_s), u"ftef.ft__.docfile"_s);
}

TEST_F(ItemAdderTest, AnActionIsWrittenUnderItsVerbKey)
{
    ActionFields fields;
    fields.name = u"Print To"_s;
    fields.command = u"writer.exe /pt %1"_s;
    fields.usesDde = true;
    fields.ddeMessage = u"[print]"_s;
    fields.ddeTopic = u"system"_s;
    fields.typeKey = kDoc;
    EXPECT_EQ(adder.addAction(fields), 0);
    EXPECT_EQ(probe::text(u"docfile\\shell\\printto"_s), u"Print To"_s);
    EXPECT_EQ(probe::text(u"docfile\\shell\\printto\\command"_s), u"writer.exe /pt %1"_s);
    EXPECT_EQ(probe::text(u"docfile\\shell\\printto\\ddeexec\\topic"_s), u"system"_s);
    EXPECT_EQ(adder.addedKey(), u"ac__.printto.docfile"_s);
    EXPECT_TRUE(shown(u"ac__.printto.docfile"_s));
}

TEST_F(ItemAdderTest, HandlersAreRegisteredAsTheLoaderFindsThem)
{
    const QString clsid = u"{77777777-0000-0000-0000-000000000001}"_s;
    // Group 1 is a group key (a member per subkey), group 6 a single handler.
    EXPECT_EQ(adder.addShellExtension(handler(1)), 0);
    EXPECT_EQ(probe::text(u"txtfile\\shellex\\ContextMenuHandlers\\"_s + clsid), clsid);
    EXPECT_EQ(probe::text(u"CLSID\\"_s + clsid), u"Vnk Menu"_s);
    EXPECT_EQ(probe::text(u"CLSID\\"_s + clsid + u"\\InprocServer32"_s), uR"(C:\vnk.dll)"_s);
    EXPECT_EQ(probe::text(u"CLSID\\"_s + clsid + u"\\InprocServer32"_s, u"ThreadingModel"_s), u"Apartment"_s);
    EXPECT_TRUE(probe::text(approvedListPath(), clsid, HKEY_LOCAL_MACHINE).has_value());
    EXPECT_TRUE(shown(u"sh__."_s + clsid + u".1.txtfile"_s));

    EXPECT_EQ(adder.addShellExtension(handler(6, kDoc)), 0);
    EXPECT_EQ(probe::text(u"docfile\\shellex\\IconHandler"_s), clsid);
    EXPECT_EQ(adder.addedKey(), u"sh__."_s + clsid + u".6.docfile"_s);
    EXPECT_TRUE(shown(adder.addedKey()));
    EXPECT_TRUE(ui.boxes().empty());
}

// ---- refusals

struct Refusal {
    const char* label;
    std::function<long(ItemAdder&)> add;
    QString reason;
};

TEST_F(ItemAdderTest, RefusedInputIsExplainedAndChangesNothing)
{
    const auto type = [](std::function<void(FileTypeFields&)> change) {
        return [change](ItemAdder& a) {
            FileTypeFields f = vnkType();
            change(f);
            return a.addFileType(f);
        };
    };
    const auto extension = [](QString text, QString typeKey) {
        return [=](ItemAdder& a) {
            FileExtensionFields f{text, typeKey, {}, {}, {}};
            return a.addExtension(f);
        };
    };
    const auto action = [](std::function<void(ActionFields&)> change) {
        return [change](ItemAdder& a) {
            ActionFields f;
            f.name = u"Edit"_s;
            f.command = u"edit.exe %1"_s;
            f.typeKey = kTxt;
            change(f);
            return a.addAction(f);
        };
    };
    const auto shellEx = [this](std::function<void(ShellExtensionFields&)> change) {
        return [this, change](ItemAdder& a) {
            ShellExtensionFields f = handler(1);
            change(f);
            return a.addShellExtension(f);
        };
    };
    const QString badExtension = u"You have to enter a valid extension."_s;
    const QString badInternalName = u"You have to enter a valid internal name."_s;
    const QString noType = u"You have to select a file type association."_s;
    const QString badAction = u"You have to enter a valid action name."_s;
    const Refusal cases[] = {
        {"type without extension", type([](auto& f) { f.extension.clear(); }), badExtension},
        {"type with a dot only", type([](auto& f) { f.extension = u" . "_s; }), badExtension},
        {"type with a path as extension", type([](auto& f) { f.extension = u"vnk\\x"_s; }), badExtension},
        {"type without internal name", type([](auto& f) { f.internalName.clear(); }), badInternalName},
        {"internal name with a path", type([](auto& f) { f.internalName = u"vnk\\file"_s; }), badInternalName},
        {"internal name of an extension", type([](auto& f) { f.internalName = u".vnk"_s; }), badInternalName},
        {"internal name of a special type", type([](auto& f) { f.internalName = u"folder"_s; }), badInternalName},
        {"internal name of an unloaded special type", type([](auto& f) { f.internalName = u"Drive"_s; }),
         badInternalName},
        {"type without name", type([](auto& f) { f.name = u"  "_s; }), u"You have to enter a valid name."_s},
        {"flags that are no number", type([](auto& f) { f.flags = u"12x"_s; }), kInvalidFlagsMessage},
        {"extension without text", extension(QString(), kDoc), badExtension},
        {"extension without type", extension(u"vnk"_s, QString()), noType},
        {"extension of a special type", extension(u"vnk"_s, u"ft__.Folder"_s), noType},
        {"action without name", action([](auto& f) { f.name = u"   "_s; }), badAction},
        {"action name with a path", action([](auto& f) { f.name = u"a\\b"_s; }), badAction},
        {"action without command", action([](auto& f) { f.command.clear(); }),
         u"You have to enter a valid action command."_s},
        {"DDE without message", action([](auto& f) { f.usesDde = true; f.ddeTopic = u"t"_s; }),
         u"You have to enter a valid DDE message."_s},
        {"DDE without topic", action([](auto& f) { f.usesDde = true; f.ddeMessage = u"m"_s; }),
         u"You have to enter a valid DDE topic."_s},
        {"action without type", action([](auto& f) { f.typeKey = u"ft__.nothing"_s; }), noType},
        {"handler without name", shellEx([](auto& f) { f.name.clear(); }), u"You have to enter a valid name."_s},
        {"handler with a bad CLSID", shellEx([](auto& f) { f.clsid = u"{1234}"_s; }),
         u"You have to enter a valid CLSID."_s},
        {"handler without server", shellEx([](auto& f) { f.inproc32.clear(); }),
         u"You have to enter a valid inproc server."_s},
        {"handler without type", shellEx([](auto& f) { f.typeKey.clear(); }), noType},
        {"handler without group", shellEx([](auto& f) { f.group = -1; }), u"You have to select an extension type."_s},
        {"handler without threading model", shellEx([](auto& f) { f.threadModel = -1; }),
         u"You have to select a threading model."_s},
    };
    const QByteArray before = systemReg();
    const QStringList types = childKeys();
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.label);
        ui.clear();
        EXPECT_EQ(c.add(adder), kResultCancelled);
        ASSERT_EQ(ui.boxes().size(), 1u);
        EXPECT_EQ(ui.boxes()[0].text, c.reason);
        EXPECT_EQ(ui.boxes()[0].icon(), vbInformation);
        EXPECT_TRUE(adder.addedKey().isEmpty());
    }
    EXPECT_EQ(systemReg(), before);
    EXPECT_EQ(childKeys(), types);
    EXPECT_FALSE(probe::keyExists(u"vnkfile"_s));
    EXPECT_FALSE(probe::keyExists(u".vnk"_s));
    EXPECT_EQ(probe::subkeys(u"txtfile\\shell"_s), (QStringList{u"open"_s, u"print"_s}));
}

TEST_F(ItemAdderTest, ARegistryThatCannotBeWrittenIsExplainedBeforeAnything)
{
    Registry& registry = prefix.store().registry();
    registry.mountMachine(registry.machineHive(), true);
    FileTypeFields fields = vnkType();
    EXPECT_EQ(adder.addFileType(fields), kResultCancelled);
    ASSERT_EQ(ui.boxes().size(), 1u) << "no question before the refusal";
    EXPECT_EQ(ui.boxes()[0].icon(), vbInformation);
    EXPECT_FALSE(shown(u"ft__.vnkfile"_s));
}

// ---- what is there already

TEST_F(ItemAdderTest, ALoadedExtensionMovesToTheNewTypeAndItsOldTypeStays)
{
    FileTypeFields fields = vnkType(u".TXT"_s);
    ui.answer(vbYes); // the extension exists
    EXPECT_EQ(adder.addFileType(fields), 0);
    EXPECT_EQ(ui.boxes().size(), 1u) << "txtfile keeps .log: no last-extension question";
    EXPECT_EQ(probe::text(u".txt"_s), u"vnkfile"_s);
    EXPECT_EQ(parentKey(u"fe__..txt"_s), u"ftef.ft__.vnkfile"_s);
    EXPECT_TRUE(shown(kTxtHandler)) << "the extension record moved with its handler";
    EXPECT_TRUE(shown(kTxt));
    EXPECT_TRUE(probe::keyExists(u"txtfile\\shell\\open"_s));
}

TEST_F(ItemAdderTest, DecliningAQuestionChangesNothing)
{
    const QByteArray before = systemReg();
    struct {
        const char* label;
        std::vector<int> answers;
        std::function<long()> add;
    } const cases[] = {
        {"existing extension", {vbNo}, [&] { auto f = vnkType(u"doc"_s); return adder.addFileType(f); }},
        {"last extension of its type", {vbYes, vbNo}, [&] { auto f = vnkType(u"doc"_s); return adder.addFileType(f); }},
        {"existing type", {vbNo}, [&] { auto f = vnkType(); f.internalName = u"docfile"_s; return adder.addFileType(f); }},
        {"key that is no type", {vbNo}, [&] { auto f = vnkType(); f.internalName = u"vnk.class"_s; return adder.addFileType(f); }},
        {"extension of another type", {vbYes, vbNo}, [&] {
             FileExtensionFields f{u".doc"_s, kTxt, {}, {}, {}};
             return adder.addExtension(f);
         }},
        {"existing action", {vbNo}, [&] {
             ActionFields f;
             f.name = u"OPEN"_s;
             f.command = u"x.exe"_s;
             f.typeKey = kTxt;
             return adder.addAction(f);
         }},
        {"class with another server", {vbNo}, [&] {
             auto f = handler(1);
             f.clsid = kNewClsid;
             return adder.addShellExtension(f);
         }},
        {"handler in the same place", {vbNo}, [&] { return adder.addShellExtension(handler(6)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ui.clear();
        for (int answer : c.answers)
            ui.answer(answer);
        EXPECT_EQ(c.add(), kResultCancelled);
        EXPECT_EQ(ui.boxes().size(), c.answers.size());
        EXPECT_EQ(ui.boxes().back().icon(), vbQuestion);
    }
    EXPECT_EQ(systemReg(), before);
    EXPECT_TRUE(shown(kDoc));
    EXPECT_TRUE(shown(kIconHandler));
    EXPECT_FALSE(shown(u"ft__.vnkfile"_s));
    EXPECT_EQ(probe::text(u"txtfile\\shell\\open\\command"_s), u"notepad.exe %1"_s);
}

TEST_F(ItemAdderTest, AnExistingActionIsReplacedInPlace)
{
    ActionFields fields;
    fields.name = u"Open"_s;
    fields.command = u"vnk.exe %1"_s;
    fields.typeKey = kTxt;
    ui.answer(vbYes);
    EXPECT_EQ(adder.addAction(fields), 0);
    EXPECT_EQ(probe::text(u"txtfile\\shell\\open\\command"_s), u"vnk.exe %1"_s);
    EXPECT_EQ(item<FileTypeObject>(kTxt)->Actions.count(), 2);
    EXPECT_EQ(item<ActionObject>(u"ac__.open.txtfile"_s)->Command, u"vnk.exe %1"_s);
}

TEST_F(ItemAdderTest, ASingleHandlerTakesThePlaceOfTheOneRegisteredThere)
{
    ui.answer(vbYes);
    EXPECT_EQ(adder.addShellExtension(handler(6)), 0);
    EXPECT_EQ(probe::text(u"txtfile\\shellex\\IconHandler"_s), u"{77777777-0000-0000-0000-000000000001}"_s);
    EXPECT_FALSE(shown(kIconHandler));
    EXPECT_TRUE(shown(adder.addedKey()));
    EXPECT_TRUE(probe::keyExists(u"CLSID\\{11111111-0000-0000-0000-000000000003}"_s)) << "its class stays";
}

TEST_F(ItemAdderTest, ATypeOfAnExistingInternalNameInheritsOrReplacesItsMembers)
{
    for (const bool inherit : {true, false}) {
        SCOPED_TRACE(inherit ? "inherit" : "replace");
        rewrite(sampleSections());
        ASSERT_EQ(load(), 0);
        FileTypeFields fields = vnkType();
        fields.internalName = u"DOCFILE"_s;
        ui.answer(vbYes);
        ui.answer(inherit ? vbYes : vbNo);
        EXPECT_EQ(adder.addFileType(fields), 0);
        EXPECT_EQ(probe::text(u"docfile"_s), u"Varnook File"_s);
        EXPECT_EQ(probe::text(u".vnk"_s), u"docfile"_s);
        EXPECT_EQ(childKeys(u"ftef.ft__.docfile"_s),
                  inherit ? (QStringList{u"fe__..doc"_s, u"fe__..vnk"_s}) : QStringList{u"fe__..vnk"_s});
        EXPECT_EQ(probe::keyExists(u".doc"_s), inherit);
        EXPECT_EQ(probe::keyExists(u"docfile\\shell\\open"_s), inherit);
        EXPECT_EQ(shown(u"ac__.open.docfile"_s), inherit);
        EXPECT_EQ(shown(kDocPage), inherit);
        EXPECT_EQ(item<FileTypeObject>(kDoc)->Name, u"Varnook File"_s);
    }
}

TEST_F(ItemAdderTest, AKeyThatIsNoTypeKeepsWhatTheUserLeftEmpty)
{
    FileTypeFields fields = vnkType();
    fields.internalName = u"Vnk.Class"_s;
    ui.answer(vbYes);
    EXPECT_EQ(adder.addFileType(fields), 0);
    EXPECT_TRUE(lastBoxText().startsWith(u"A registry entry for a file type with the same internal name"_s));
    EXPECT_EQ(probe::text(u"Vnk.Class"_s), u"Varnook File"_s);
    EXPECT_EQ(probe::text(u"Vnk.Class\\CLSID"_s), u"{66666666-0000-0000-0000-000000000001}"_s);
}

// ---- failures

TEST_F(ItemAdderTest, AFailedWriteTakesBackOnlyWhatThisAttemptCreated)
{
    FileTypeFields longType = vnkType();
    longType.internalName = kLongName;
    EXPECT_EQ(adder.addFileType(longType), kErrCreateKey);
    EXPECT_EQ(lastBoxText(), u"Error writing file type data to registry."_s);
    EXPECT_EQ(lastBoxTitle(), u"Error - 2005"_s);
    EXPECT_FALSE(probe::keyExists(u".vnk"_s));

    FileTypeFields longExtension = vnkType(u"."_s + kLongName);
    EXPECT_EQ(adder.addFileType(longExtension), kErrCreateKey);
    EXPECT_EQ(lastBoxText(), u"Error writing file extension data to registry."_s);
    EXPECT_FALSE(probe::keyExists(u"vnkfile"_s)) << "the type this attempt created goes again";
    EXPECT_FALSE(shown(u"ft__.vnkfile"_s));

    longExtension.internalName = u"Vnk.Class"_s;
    ui.answer(vbYes);
    EXPECT_EQ(adder.addFileType(longExtension), kErrCreateKey);
    EXPECT_EQ(probe::text(u"Vnk.Class\\CLSID"_s), u"{66666666-0000-0000-0000-000000000001}"_s)
        << "a key that was there stays";

    ActionFields longAction;
    longAction.name = kLongName;
    longAction.command = u"x.exe"_s;
    longAction.typeKey = kTxt;
    EXPECT_EQ(adder.addAction(longAction), kErrCreateKey);
    EXPECT_EQ(lastBoxText(), u"Error writing action data to registry."_s);
    EXPECT_EQ(probe::subkeys(u"txtfile\\shell"_s), (QStringList{u"open"_s, u"print"_s}));
}

TEST_F(ItemAdderTest, AnAddThatCouldNotBeSavedIsReportedAndShownWhole)
{
    prefix.store().setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 100); });
    FileTypeFields fields = vnkType();
    EXPECT_EQ(adder.addFileType(fields), ERROR_CANTWRITE);
    EXPECT_EQ(lastBoxTitle(), u"Error - 1013"_s);
    // Registry in memory and model agree, type and extension alike; the next save writes them.
    EXPECT_EQ(probe::text(u".vnk"_s), u"vnkfile"_s);
    EXPECT_EQ(parentKey(u"fe__..vnk"_s), u"ftef.ft__.vnkfile"_s);
    EXPECT_FALSE(systemReg().contains("vnkfile"));
    EXPECT_TRUE(prefix.store().hasUnsavedChanges());
}

} // namespace
