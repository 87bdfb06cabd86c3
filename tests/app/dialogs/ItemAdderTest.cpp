#include "app/dialogs/ItemAdder.h"

#include "app/dialogs/FieldRules.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/FileTypeObject.h"
#include "platform/registry/Registry.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/RegistryProbe.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString kClsid = u"{77777777-0000-0000-0000-000000000001}"_s;
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

    static FileTypeFields vnkType(const QString& extension = u"vnk"_s)
    {
        FileTypeFields fields;
        fields.name = u"Varnook File"_s;
        fields.internalName = u"vnkfile"_s;
        fields.extension = extension;
        return fields;
    }
    static ActionFields action(const QString& name, const QString& typeKey = kTxt)
    {
        ActionFields fields;
        fields.name = name;
        fields.command = u"vnk.exe %1"_s;
        fields.typeKey = typeKey;
        return fields;
    }
    ShellExtensionFields handler(int group, const QString& typeKey = kTxt) const
    {
        ShellExtensionFields fields;
        fields.name = u"Vnk Menu"_s;
        fields.clsid = u" "_s + kClsid + u" "_s;
        fields.inproc32 = uR"(C:\vnk.dll)"_s;
        fields.group = group;
        fields.threadModel = adder.tables().threadModelIndex(u"Apartment"_s);
        fields.typeKey = typeKey;
        return fields;
    }

    ItemAdder adder{control.core()};
};

TEST_F(ItemAdderTest, EachKindIsWrittenAndShownWhereALoadWouldPutIt)
{
    const struct {
        const char* label;
        std::function<long()> add;
        QString key;
        QString parent;
        QString registryPath;
        QString registryText;
    } cases[] = {
        {"type", [&] { auto f = vnkType(); return adder.addFileType(f); }, u"ft__.vnkfile"_s, QString(), u".vnk"_s,
         u"vnkfile"_s},
        {"extension", [&] { FileExtensionFields f{u"vn2"_s, kDoc, {}, {}, {}}; return adder.addExtension(f); },
         u"fe__..vn2"_s, u"ftef.ft__.docfile"_s, u".vn2"_s, u"docfile"_s},
        {"action", [&] { return adder.addAction(action(u"Print To"_s, kDoc)); }, u"ac__.printto.docfile"_s, QString(),
         u"docfile\\shell\\printto\\command"_s, u"vnk.exe %1"_s},
        // A member of a group key is named by its CLSID; a single handler by the group key.
        {"group member", [&] { return adder.addShellExtension(handler(1)); }, u"sh__."_s + kClsid + u".1.txtfile"_s,
         QString(), u"txtfile\\shellex\\ContextMenuHandlers\\"_s + kClsid, kClsid},
        {"single handler", [&] { return adder.addShellExtension(handler(6, kDoc)); }, u"sh__."_s + kClsid + u".6.docfile"_s,
         QString(), u"docfile\\shellex\\IconHandler"_s, kClsid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.add(), 0);
        EXPECT_EQ(adder.addedKey(), c.key);
        EXPECT_TRUE(shown(c.key));
        if (!c.parent.isEmpty()) {
            EXPECT_EQ(parentKey(c.key), c.parent);
        }
        EXPECT_EQ(probe::text(c.registryPath), c.registryText);
    }
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(parentKey(u"fe__..vnk"_s), u"ftef.ft__.vnkfile"_s) << "the new type shows its extension";
    prefix.reopen();
    EXPECT_EQ(probe::text(u".vnk"_s), u"vnkfile"_s) << "saved";
}

TEST_F(ItemAdderTest, RefusedInputIsExplainedAndChangesNothing)
{
    const auto type = [this](std::function<void(FileTypeFields&)> change) {
        return [this, change] { FileTypeFields f = vnkType(); change(f); return adder.addFileType(f); };
    };
    const auto shellEx = [this](std::function<void(ShellExtensionFields&)> change) {
        return [this, change] { ShellExtensionFields f = handler(1); change(f); return adder.addShellExtension(f); };
    };
    const QString badInternalName = u"You have to enter a valid internal name."_s;
    const QString noType = u"You have to select a file type association."_s;
    const struct {
        const char* label;
        std::function<long()> add;
        QString reason;
    } cases[] = {
        {"type with a path as extension", type([](auto& f) { f.extension = u"vnk\\x"_s; }),
         u"You have to enter a valid extension."_s},
        {"internal name with a path", type([](auto& f) { f.internalName = u"vnk\\file"_s; }), badInternalName},
        {"internal name of an extension", type([](auto& f) { f.internalName = u".vnk"_s; }), badInternalName},
        {"internal name of a special type", type([](auto& f) { f.internalName = u"folder"_s; }), badInternalName},
        {"internal name of an unloaded special type", type([](auto& f) { f.internalName = u"Drive"_s; }),
         badInternalName},
        {"flags that are no number", type([](auto& f) { f.flags = u"12x"_s; }), kInvalidFlagsMessage},
        {"extension of a special type", [&] { FileExtensionFields f{u"vnk"_s, u"ft__.Folder"_s, {}, {}, {}}; return adder.addExtension(f); },
         noType},
        {"action name with a path", [&] { return adder.addAction(action(u"a\\b"_s)); },
         u"You have to enter a valid action name."_s},
        {"action without type", [&] { return adder.addAction(action(u"Edit"_s, u"ft__.nothing"_s)); }, noType},
        {"handler with a bad CLSID", shellEx([](auto& f) { f.clsid = u"{1234}"_s; }), u"You have to enter a valid CLSID."_s},
        {"handler without group", shellEx([](auto& f) { f.group = -1; }), u"You have to select an extension type."_s},
        {"handler without threading model", shellEx([](auto& f) { f.threadModel = -1; }),
         u"You have to select a threading model."_s},
    };
    const QByteArray before = systemReg();
    const QStringList types = childKeys();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ui.clear();
        EXPECT_EQ(c.add(), kResultCancelled);
        ASSERT_EQ(ui.boxes().size(), 1u);
        EXPECT_EQ(ui.boxes()[0].text, c.reason);
        EXPECT_TRUE(adder.addedKey().isEmpty());
    }
    EXPECT_EQ(systemReg(), before);
    EXPECT_EQ(childKeys(), types);

    // A registry that cannot be written is explained before any question.
    ui.clear();
    Registry& registry = prefix.store().registry();
    registry.mountMachine(registry.machineHive(), true);
    FileTypeFields existing = vnkType(u"txt"_s);
    EXPECT_EQ(adder.addFileType(existing), kResultCancelled);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].icon(), vbInformation);
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
        {"existing action", {vbNo}, [&] { return adder.addAction(action(u"OPEN"_s)); }},
        {"class with another server", {vbNo}, [&] {
             auto f = handler(1);
             f.clsid = u"{55555555-0000-0000-0000-000000000001}"_s;
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
}

TEST_F(ItemAdderTest, ALoadedExtensionMovesToTheNewTypeAndItsOldTypeStays)
{
    FileTypeFields fields = vnkType(u".TXT"_s);
    ui.answer(vbYes); // the extension exists
    EXPECT_EQ(adder.addFileType(fields), 0);
    EXPECT_EQ(ui.boxes().size(), 1u) << "txtfile keeps .log: no last-extension question";
    EXPECT_EQ(parentKey(u"fe__..txt"_s), u"ftef.ft__.vnkfile"_s);
    EXPECT_EQ(childKeys(u"ftef.ft__.vnkfile"_s), QStringList{u"fe__..txt"_s}) << "moved, not doubled";
    EXPECT_TRUE(shown(kTxtHandler)) << "the extension record moved with its handler";
    EXPECT_TRUE(shown(kTxt));
}

TEST_F(ItemAdderTest, AnActionOfTheSameVerbIsReplacedOnlyOnceTheNewOneIsWritten)
{
    // The registry turns read-only while the question is open: the write fails, the old action stays.
    UiSeams::MessageBoxHandler previous;
    previous = UiSeams::setMessageBoxHandler([&](const MessageBoxRequest& request) {
        if (request.buttons() == vbYesNo) {
            Registry& registry = prefix.store().registry();
            registry.mountMachine(registry.machineHive(), true);
            return vbYes;
        }
        return previous(request);
    });
    EXPECT_NE(adder.addAction(action(u"Open"_s)), 0);
    UiSeams::setMessageBoxHandler(previous);
    EXPECT_TRUE(shown(u"ac__.open.txtfile"_s));
    EXPECT_EQ(item<ActionObject>(u"ac__.open.txtfile"_s)->Command, u"notepad.exe %1"_s);
    EXPECT_EQ(probe::text(u"txtfile\\shell\\open\\command"_s), u"notepad.exe %1"_s);

    Registry& registry = prefix.store().registry();
    registry.mountMachine(registry.machineHive(), false);
    ui.answer(vbYes);
    EXPECT_EQ(adder.addAction(action(u"Open"_s)), 0);
    EXPECT_EQ(probe::text(u"txtfile\\shell\\open\\command"_s), u"vnk.exe %1"_s);
    EXPECT_EQ(item<FileTypeObject>(kTxt)->Actions.count(), 2) << "replaced, not doubled";
    EXPECT_EQ(item<ActionObject>(u"ac__.open.txtfile"_s)->Command, u"vnk.exe %1"_s);
}

TEST_F(ItemAdderTest, ATypeOfAnExistingInternalNameInheritsOrReplacesItsMembers)
{
    for (const bool inherit : {true, false}) {
        SCOPED_TRACE(inherit ? "inherit" : "replace");
        rewrite(sampleSections());
        ASSERT_EQ(load(), 0);
        FileTypeFields fields = vnkType();
        fields.internalName = u"DOCFILE"_s; // names are compared without letter case
        ui.answer(vbYes);
        ui.answer(inherit ? vbYes : vbNo);
        EXPECT_EQ(adder.addFileType(fields), 0);
        EXPECT_EQ(probe::text(u"docfile"_s), u"Varnook File"_s);
        EXPECT_EQ(childKeys(u"ftef.ft__.docfile"_s),
                  inherit ? (QStringList{u"fe__..doc"_s, u"fe__..vnk"_s}) : QStringList{u"fe__..vnk"_s});
        EXPECT_EQ(probe::keyExists(u".doc"_s), inherit);
        EXPECT_EQ(probe::keyExists(u"docfile\\shell\\open"_s), inherit);
        EXPECT_EQ(shown(kDocPage), inherit);
    }
}

TEST_F(ItemAdderTest, AKeyThatIsNoTypeKeepsWhatTheUserLeftEmpty)
{
    FileTypeFields fields = vnkType();
    fields.internalName = u"Vnk.Class"_s;
    ui.answer(vbYes);
    EXPECT_EQ(adder.addFileType(fields), 0);
    EXPECT_EQ(probe::text(u"Vnk.Class"_s), u"Varnook File"_s);
    EXPECT_EQ(probe::text(u"Vnk.Class\\CLSID"_s), u"{66666666-0000-0000-0000-000000000001}"_s);
}

TEST_F(ItemAdderTest, AFailedWriteTakesBackOnlyWhatThisAttemptCreated)
{
    FileTypeFields longType = vnkType();
    longType.internalName = kLongName;
    EXPECT_EQ(adder.addFileType(longType), kErrCreateKey);
    EXPECT_EQ(ui.boxes().back().title, u"Error - 2005"_s);
    EXPECT_FALSE(probe::keyExists(u".vnk"_s));

    FileTypeFields longExtension = vnkType(u"."_s + kLongName);
    EXPECT_EQ(adder.addFileType(longExtension), kErrCreateKey);
    EXPECT_FALSE(probe::keyExists(u"vnkfile"_s)) << "the type this attempt created goes again";
    EXPECT_FALSE(shown(u"ft__.vnkfile"_s));

    longExtension.internalName = u"Vnk.Class"_s;
    ui.answer(vbYes);
    EXPECT_EQ(adder.addFileType(longExtension), kErrCreateKey);
    EXPECT_EQ(probe::text(u"Vnk.Class\\CLSID"_s), u"{66666666-0000-0000-0000-000000000001}"_s)
        << "a key that was there stays";

    EXPECT_EQ(adder.addAction(action(kLongName)), kErrCreateKey);
    EXPECT_EQ(probe::subkeys(u"txtfile\\shell"_s), (QStringList{u"open"_s, u"print"_s}));
}

TEST_F(ItemAdderTest, AnAddThatCouldNotBeSavedIsReportedAndShownWhole)
{
    prefix.store().setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 100); });
    FileTypeFields fields = vnkType();
    EXPECT_EQ(adder.addFileType(fields), ERROR_CANTWRITE);
    EXPECT_EQ(ui.boxes().back().title, u"Error - 1013"_s);
    // Registry in memory and model agree, type and extension alike; the next save writes them.
    EXPECT_EQ(probe::text(u".vnk"_s), u"vnkfile"_s);
    EXPECT_EQ(parentKey(u"fe__..vnk"_s), u"ftef.ft__.vnkfile"_s);
    EXPECT_FALSE(systemReg().contains("vnkfile"));
    EXPECT_TRUE(prefix.store().hasUnsavedChanges());
}

} // namespace
