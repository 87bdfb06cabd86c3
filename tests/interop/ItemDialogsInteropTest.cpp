#include "app/dialogs/frmEdit.h"
#include "control/tree/IconList.h"
#include "platform/shell/WindowsPathMapper.h"
#include "tests/interop/MainWindowFixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <functional>
#include <map>
#include <string>

using namespace Qt::StringLiterals;

namespace {

// The edit and add windows, opened from the main window on a real Wine prefix; what they write is
// read back with Wine's reg, assoc and ftype. Wine runs only after the last write of a test: a
// running Wine makes the prefix read-only.
class ItemDialogsInterop : public MainWindowInterop {
protected:
    QList<std::pair<QString, QString>> seededKeys() const override
    {
        return {{u"HKCR\\.txt"_s, u"txtfile"_s},
                {u"HKCR\\.log"_s, u"txtfile"_s},
                {u"HKCR\\.gif"_s, u"giffile"_s},
                {u"HKCR\\giffile"_s, u"GIF Image"_s},
                {u"HKCR\\giffile\\shell\\open\\command"_s, u"C:\\windows\\viewer.exe \"%1\""_s},
                {u"HKCR\\giffile\\shell\\open\\ddeexec"_s, u"[open(\"%1\")]"_s},
                {u"HKCR\\giffile\\shell\\open\\ddeexec\\topic"_s, u"System"_s},
                {u"HKCR\\.vn8"_s, u"vn8file"_s},
                {u"HKCR\\vn8file"_s, u"Eight File"_s}};
    }

    void SetUp() override
    {
        MainWindowInterop::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        SetIconPrefix(wine.path()); // as the program does for the prefix it opens
        // Each modal window is played by the script for its class.
        ui.onModal = [this](QDialog& dialog) {
            const auto play = plays.find(dialog.metaObject()->className());
            EXPECT_NE(play, plays.end()) << dialog.metaObject()->className();
            return play == plays.end() ? int(kResultCancelled) : play->second(dialog);
        };
    }

    QByteArray systemReg() const { return readFile(wine.filePath(u"system.reg"_s)); }
    QString windowsPath(const QString& path) const { return PrefixPathMapper().toWindowsPath(wine.filePath(path)); }

    template <typename T>
    static T* field(QWidget& window, const char* name)
    {
        auto* found = window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Opens the edit window on the item `key` as the user does: select it, press Edit.
    frmEdit& edit(const QString& key)
    {
        click(key);
        child<QPushButton>("btnEdit")->click();
        auto* editor = window->findChild<frmEdit*>();
        EXPECT_NE(editor, nullptr);
        EXPECT_TRUE(editor && editor->isVisible());
        return *editor;
    }

    // Presses Add with `key` selected; `fill` plays the add window, which OK then closes.
    void add(const QString& key, const QString& kind, const std::function<void(QDialog&)>& fill)
    {
        click(key);
        plays["frmAdd"] = [kind, fill](QDialog& dialog) {
            auto* kinds = field<QComboBox>(dialog, "cboItems");
            kinds->setCurrentIndex(kinds->findText(kind));
            fill(dialog);
            field<QPushButton>(dialog, "btnOK")->click();
            return dialog.result();
        };
        child<QPushButton>("btnAdd")->click();
    }

    // The chooser picks the file type named `name`.
    void chooseType(const QString& name)
    {
        plays["frmAssoc"] = [name](QDialog& dialog) {
            auto* list = field<QTreeWidget>(dialog, "lstTypes");
            list->setCurrentItem(list->findItems(name, Qt::MatchExactly).value(0));
            field<QPushButton>(dialog, "btnOK")->click();
            return dialog.result();
        };
    }

    // The flags window selects exactly the flags named.
    void chooseFlags(const QStringList& names)
    {
        plays["frmEditFlags"] = [names](QDialog& dialog) {
            auto* list = field<QListWidget>(dialog, "lstFlags");
            for (int i = 0; i < list->count(); ++i)
                list->item(i)->setSelected(names.contains(list->item(i)->text()));
            field<QPushButton>(dialog, "btnOK")->click();
            return dialog.result();
        };
    }

    std::map<std::string, std::function<int(QDialog&)>> plays;
};

// A section of system.reg without its time stamps.
QByteArray withoutTimes(QByteArray section)
{
    QList<QByteArray> lines = section.split('\n');
    lines[0] = lines[0].left(lines[0].indexOf("] ") + 1);
    lines.removeIf([](const QByteArray& line) { return line.startsWith("#time="); });
    return lines.join('\n');
}

TEST_F(ItemDialogsInterop, RenamingATypeWritesItsNameAndNothingElse)
{
    const auto before = sectionsOf(systemReg());
    frmEdit& editor = edit(u"ft__.txtfile"_s);
    EXPECT_EQ(editor.windowTitle(), u"Edit File Type..."_s);
    field<QLineEdit>(editor, "txtTypeName")->setText(u"Plain Text"_s);
    field<QPushButton>(editor, "btnOK")->click();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(ui.boxes().empty()) << ui.boxes()[0].text.toStdString();

    const auto after = sectionsOf(systemReg());
    ASSERT_EQ(after.keys(), before.keys());
    for (auto section = before.begin(); section != before.end(); ++section) {
        if (section.key() == "[Software\\\\Classes\\\\txtfile")
            EXPECT_EQ(withoutTimes(after[section.key()]),
                      withoutTimes(section.value()).replace("@=\"Text Document\"", "@=\"Plain Text\""));
        else
            EXPECT_EQ(after[section.key()], section.value()) << section.key().toStdString();
    }
    // The main window shows what was written.
    EXPECT_EQ(child<QGroupBox>("frameInfo")->title(), u"Plain Text"_s);

    EXPECT_TRUE(wineOutput({u"reg"_s, u"query"_s, u"HKCR\\txtfile"_s, u"/ve"_s}).contains(u"Plain Text"_s));
    EXPECT_EQ(ftype(u"txtfile"_s), u"txtfile=\"C:\\windows\\system32\\notepad.exe\" \"%1\""_s);
}

TEST_F(ItemDialogsInterop, UntickingDdeRemovesItAndKeepsTheCommand)
{
    frmEdit& editor = edit(u"ac__.open.giffile"_s);
    auto* dde = field<QCheckBox>(editor, "chkActionDDE");
    ASSERT_TRUE(dde->isChecked());
    EXPECT_EQ(field<QLineEdit>(editor, "txtActionDDEMesg")->text(), u"[open(\"%1\")]"_s);
    dde->click();
    field<QPushButton>(editor, "btnApply")->click();
    EXPECT_TRUE(editor.isVisible()) << "Apply keeps the window";

    int code = -1;
    wine.run({u"reg"_s, u"query"_s, u"HKCR\\giffile\\shell\\open\\ddeexec"_s}, &code);
    EXPECT_NE(code, 0);
    EXPECT_EQ(ftype(u"giffile"_s), u"giffile=C:\\windows\\viewer.exe \"%1\""_s);
}

TEST_F(ItemDialogsInterop, AddedTypesActionsAndHandlersAreWhatWineSees)
{
    add(u"ft__.txtfile"_s, u"File Type"_s, [](QDialog& dialog) {
        field<QLineEdit>(dialog, "txtTypeName")->setText(u"Varnook File"_s);
        field<QLineEdit>(dialog, "txtTypeInternalName")->setText(u"varnookfile"_s);
        field<QLineEdit>(dialog, "txtTypeExtension")->setText(u"vnk"_s);
    });
    ASSERT_TRUE(ui.boxes().empty()) << ui.boxes()[0].text.toStdString();
    ASSERT_NE(window->tree()->GetNodeFromKey(u"ft__.varnookfile"_s), nullptr);
    EXPECT_EQ(window->tree()->SelectedNode()->key(), u"ft__.varnookfile"_s) << "the new type is selected";

    const auto addAction = [this](const QString& name, const QString& command) {
        add(u"ft__.varnookfile"_s, u"Action"_s, [=](QDialog& dialog) {
            field<QComboBox>(dialog, "cboActionName")->setEditText(name);
            field<QLineEdit>(dialog, "txtActionCommand")->setText(command);
        });
    };
    addAction(u"Print To"_s, u"C:\\windows\\notepad.exe /pt \"%1\""_s);
    addAction(u"open"_s, u"C:\\windows\\notepad.exe \"%1\""_s);

    QString clsid;
    ui.chooseFile(wine.filePath(u"drive_c/windows/system32/shell32.dll"_s));
    add(u"ft__.varnookfile"_s, u"Shell Extension"_s, [&clsid](QDialog& dialog) {
        field<QLineEdit>(dialog, "txtShellExName")->setText(u"Varnook Menu"_s);
        field<QPushButton>(dialog, "btnShellExCLSID")->click();
        clsid = field<QLineEdit>(dialog, "txtShellExCLSID")->text();
        field<QPushButton>(dialog, "btnShellExInproc32")->click();
        EXPECT_EQ(field<QLineEdit>(dialog, "txtShellExInproc32")->text(), u"C:\\windows\\system32\\shell32.dll"_s);
        auto* models = field<QComboBox>(dialog, "lstShellExThread");
        models->setCurrentIndex(models->findText(u"Apartment"_s, Qt::MatchContains));
        auto* groups = field<QComboBox>(dialog, "lstShellExType");
        groups->setCurrentIndex(groups->findText(u"Context Menu Handler"_s));
        field<QCheckBox>(dialog, "chkShellExApproved")->setChecked(true);
    });
    ASSERT_EQ(clsid.size(), 38);

    // An extension of another type moves here, after the questions; the type keeps the rest.
    ui.answer(vbYes);
    add(u"ft__.varnookfile"_s, u"File Extension"_s,
        [](QDialog& dialog) { field<QLineEdit>(dialog, "txtExt")->setText(u".txt"_s); });

    // Names of special types and system keys never become file types.
    const QByteArray beforeRefusals = systemReg();
    ui.clear();
    for (const QString& name : {u"Folder"_s, u"CLSID"_s}) {
        ui.answer(vbNo);
        add(u"ft__.varnookfile"_s, u"File Type"_s, [name](QDialog& dialog) {
            field<QLineEdit>(dialog, "txtTypeName")->setText(name);
            field<QLineEdit>(dialog, "txtTypeInternalName")->setText(name);
            field<QLineEdit>(dialog, "txtTypeExtension")->setText(u".vnz"_s);
        });
    }
    EXPECT_EQ(systemReg(), beforeRefusals);
    ASSERT_EQ(ui.boxes().size(), 2u);

    // Now Wine may look.
    EXPECT_EQ(assoc(u".vnk"_s), u".vnk=varnookfile"_s);
    EXPECT_EQ(ftype(u"varnookfile"_s), u"varnookfile=C:\\windows\\notepad.exe \"%1\""_s);
    EXPECT_TRUE(wineOutput({u"reg"_s, u"query"_s, u"HKCR\\varnookfile\\shell\\printto\\command"_s, u"/ve"_s})
                    .contains(u"/pt"_s));
    EXPECT_TRUE(keyExists(u"HKCR\\varnookfile\\shellex\\ContextMenuHandlers\\"_s + clsid));
    EXPECT_TRUE(wineOutput({u"reg"_s, u"query"_s, u"HKCR\\CLSID\\"_s + clsid + u"\\InprocServer32"_s})
                    .contains(u"ThreadingModel    REG_SZ    Apartment"_s));
    int code = -1;
    wine.run({u"reg"_s, u"query"_s, u"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved"_s,
              u"/v"_s, clsid},
             &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(assoc(u".txt"_s), u".txt=varnookfile"_s);
    EXPECT_EQ(assoc(u".log"_s), u".log=txtfile"_s);
    EXPECT_EQ(ftype(u"txtfile"_s), u"txtfile=\"C:\\windows\\system32\\notepad.exe\" \"%1\""_s);
    EXPECT_TRUE(keyExists(u"HKCR\\Folder"_s));
    EXPECT_FALSE(keyExists(u"HKCR\\.vnz"_s));
}

TEST_F(ItemDialogsInterop, AnIconPickedFromShell32IsStoredAsAWindowsLocation)
{
    frmEdit& editor = edit(u"ft__.txtfile"_s);
    // No icon yet: the picker asks for a file first.
    ui.chooseFile(wine.filePath(u"drive_c/windows/system32/shell32.dll"_s));
    plays["IconBox"] = [](QDialog& dialog) {
        auto* icons = field<QListWidget>(dialog, "lstIcons");
        EXPECT_GT(icons->count(), 4);
        icons->setCurrentItem(icons->findItems(u"4"_s, Qt::MatchExactly).value(0));
        field<QPushButton>(dialog, "btnOK")->click();
        return dialog.result();
    };
    field<QPushButton>(editor, "btnTypeDefaultIcon")->click();
    EXPECT_EQ(field<QLineEdit>(editor, "txtTypeDefaultIcon")->text(), u"C:\\windows\\system32\\shell32.dll,4"_s);
    field<QPushButton>(editor, "btnOK")->click();

    EXPECT_TRUE(wineOutput({u"reg"_s, u"query"_s, u"HKCR\\txtfile\\DefaultIcon"_s, u"/ve"_s})
                    .endsWith(u"C:\\windows\\system32\\shell32.dll,4"_s));
}

TEST_F(ItemDialogsInterop, FlagsChosenByNameBecomeTheEditFlagsDword)
{
    frmEdit& editor = edit(u"ft__.txtfile"_s);
    chooseFlags({u"FTA_NoEdit"_s, u"FTA_OpenIsSafe"_s});
    field<QPushButton>(editor, "btnTypeFlags")->click();
    EXPECT_EQ(field<QLineEdit>(editor, "txtTypeFlags")->text(), u"65544"_s);
    field<QPushButton>(editor, "btnOK")->click();

    EXPECT_TRUE(wineOutput({u"reg"_s, u"query"_s, u"HKCR\\txtfile"_s, u"/v"_s, u"EditFlags"_s})
                    .contains(u"REG_DWORD    0x10008"_s));
}

TEST_F(ItemDialogsInterop, NoFlagsDeleteTheValueAndUnlistedBitsSurvive)
{
    frmEdit& editor = edit(u"ft__.txtfile"_s);
    auto* flags = field<QLineEdit>(editor, "txtTypeFlags");
    flags->setText(u"16388"_s);
    field<QPushButton>(editor, "btnApply")->click();
    chooseFlags({u"FTA_HasExtension"_s}); // as preselected
    field<QPushButton>(editor, "btnTypeFlags")->click();
    EXPECT_EQ(flags->text(), u"16388"_s) << "0x4000 is no listed flag and stays";
    field<QPushButton>(editor, "btnApply")->click();
    const QString kept = wineOutput({u"reg"_s, u"query"_s, u"HKCR\\txtfile"_s, u"/v"_s, u"EditFlags"_s});
    wine.stopServer();
    EXPECT_TRUE(kept.contains(u"REG_DWORD    0x4004"_s)) << kept.toStdString();

    // Wine wrote its files when it stopped: read them again before the next change.
    store = std::make_unique<PrefixStore>(wine.path());
    QString error;
    ASSERT_TRUE(store->open(error)) << error.toStdString();
    Registry::setCurrent(&store->registry());
    window->setPrefix(store.get());
    window->LoadFileTypes();
    frmEdit& again = edit(u"ft__.txtfile"_s);
    field<QLineEdit>(again, "txtTypeFlags")->setText(u"0"_s);
    field<QPushButton>(again, "btnOK")->click();
    int code = -1;
    wine.run({u"reg"_s, u"query"_s, u"HKCR\\txtfile"_s, u"/v"_s, u"EditFlags"_s}, &code);
    EXPECT_NE(code, 0) << "no flags, no value";
}

TEST_F(ItemDialogsInterop, MovingTheLastExtensionAsksAndTakesItsTypeOnlyOnYes)
{
    frmEdit& editor = edit(u"fe__..vn8"_s);
    EXPECT_EQ(editor.windowTitle(), u"Edit File Extension..."_s);
    chooseType(u"Text Document"_s);
    const QByteArray before = systemReg();

    ui.answer(vbNo);
    field<QPushButton>(editor, "btnExtAssoc")->click();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_TRUE(ui.boxes()[0].text.contains(u"Removing the last file extension"_s));
    EXPECT_EQ(field<QLineEdit>(editor, "txtExtAssoc")->text(), u"Eight File"_s);
    field<QPushButton>(editor, "btnApply")->click();
    EXPECT_EQ(systemReg(), before) << "No changes nothing";

    ui.answer(vbYes);
    field<QPushButton>(editor, "btnExtAssoc")->click();
    EXPECT_EQ(field<QLineEdit>(editor, "txtExtAssoc")->text(), u"Text Document"_s);
    field<QPushButton>(editor, "btnOK")->click();
    EXPECT_EQ(ui.boxes().size(), 2u) << "asked once, when the type was chosen";

    EXPECT_EQ(assoc(u".vn8"_s), u".vn8=txtfile"_s);
    EXPECT_FALSE(keyExists(u"HKCR\\vn8file"_s));
}

} // namespace
