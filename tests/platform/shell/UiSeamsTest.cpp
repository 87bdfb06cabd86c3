#include "tests/support/QStringPrinter.h"

#include "platform/shell/UiSeams.h"
#include "tests/support/ActiveWindow.h"
#include "tests/support/ScriptedUi.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace Qt::StringLiterals;

// Plays the user on the next modal dialog once it is on screen; `act` must close it.
void onNextModal(std::function<void(QDialog&)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(*dialog);
    });
    timer->start();
}

// Whether a handler is installed, found without calling it (or the real window it stands for).
template <class Handler>
bool installed(Handler (*set)(Handler))
{
    Handler current = set({});
    const bool isSet = bool(current);
    set(std::move(current));
    return isSet;
}

TEST(UiSeams, ScriptedUiRecordsAndAnswersFromItsScript)
{
    ScriptedUi ui;
    QWidget owner;
    const QUrl help = QUrl::fromLocalFile(u"/opt/varnook/Help/index.html"_s);
    EXPECT_TRUE(UiSeams::openUrl(help));
    ui.onOpenUrl = [](const QUrl& url) { return url.isLocalFile(); };
    EXPECT_FALSE(UiSeams::openUrl(QUrl(u"https://example.org"_s)));
    EXPECT_TRUE(UiSeams::showFileProperties(u"/a b/ä.exe"_s, &owner));
    ui.onFileProperties = [](const FilePropertiesRequest&) { return false; };
    EXPECT_FALSE(UiSeams::showFileProperties(u"/c.exe"_s, nullptr));

    const FileBrowseRequest request{u"Open Icon File..."_s, u"Icon File (*.ico)"_s, u"/icons"_s, &owner};
    EXPECT_EQ(UiSeams::browseForFile(request), QString()); // cancelled while nothing is scripted
    ui.chooseFile(u"/icons/A.ICO"_s);
    ui.chooseFile(QString());
    ui.chooseFile(u"/icons/b.dll"_s);
    EXPECT_EQ(UiSeams::browseForFile(request), u"/icons/A.ICO"_s);
    EXPECT_EQ(UiSeams::browseForFile(request), QString());
    EXPECT_EQ(UiSeams::browseForFile(request), u"/icons/b.dll"_s);
    EXPECT_EQ(UiSeams::browseForFile(request), QString());

    ASSERT_EQ(ui.openedUrls().size(), 2u);
    EXPECT_EQ(ui.openedUrls()[0], help);
    ASSERT_EQ(ui.propertiesRequests().size(), 2u);
    EXPECT_EQ(ui.propertiesRequests()[0].linuxPath, u"/a b/ä.exe"_s);
    EXPECT_EQ(ui.propertiesRequests()[0].owner, &owner);
    ASSERT_EQ(ui.browseRequests().size(), 5u);
    EXPECT_EQ(ui.browseRequests()[0].title, u"Open Icon File..."_s);
    EXPECT_EQ(ui.browseRequests()[0].filter, u"Icon File (*.ico)"_s);
    EXPECT_EQ(ui.browseRequests()[0].startFolder, u"/icons"_s);
    EXPECT_EQ(ui.browseRequests()[0].owner, &owner);

    ui.clear();
    EXPECT_TRUE(ui.openedUrls().empty() && ui.propertiesRequests().empty() && ui.browseRequests().empty());
}

TEST(UiSeams, ScriptedUiPutsBackWhatWasThereBefore)
{
    {
        ScriptedUi outer;
        {
            ScriptedUi inner;
            UiSeams::openUrl(QUrl(u"https://inner.example"_s));
            UiSeams::browseForFile({});
            EXPECT_EQ(inner.openedUrls().size(), 1u);
            EXPECT_EQ(inner.browseRequests().size(), 1u);
        }
        // Checked first: with the real behaviour back the calls below would open windows.
        ASSERT_TRUE(installed(&UiSeams::setOpenUrlHandler) && installed(&UiSeams::setFilePropertiesHandler) &&
                    installed(&UiSeams::setBrowseHandler) && installed(&UiSeams::setMessageBoxHandler));
        UiSeams::openUrl(QUrl(u"https://outer.example"_s));
        UiSeams::showFileProperties(u"/x"_s, nullptr);
        UiSeams::browseForFile({});
        EXPECT_EQ(UiSeams::messageBox({u"T"_s, u"M"_s, vbOKOnly, nullptr}), vbOK);
        ASSERT_EQ(outer.openedUrls().size(), 1u);
        EXPECT_EQ(outer.openedUrls()[0], QUrl(u"https://outer.example"_s));
        EXPECT_EQ(outer.propertiesRequests().size(), 1u);
        EXPECT_EQ(outer.browseRequests().size(), 1u);
        EXPECT_EQ(outer.boxes().size(), 1u);
    }
    EXPECT_FALSE(installed(&UiSeams::setOpenUrlHandler));
    EXPECT_FALSE(installed(&UiSeams::setFilePropertiesHandler));
    EXPECT_FALSE(installed(&UiSeams::setBrowseHandler));
    EXPECT_FALSE(installed(&UiSeams::setMessageBoxHandler));
    EXPECT_FALSE(installed(&UiSeams::setModalHandler));
}

TEST(UiSeams, WithoutHandlerAMissingFileHasNoProperties)
{
    EXPECT_FALSE(UiSeams::showFileProperties(u"/no/such/file.exe"_s, nullptr));
    EXPECT_FALSE(UiSeams::showFileProperties(QString(), nullptr));
}

TEST(UiSeamsOnScreen, MessageBoxWithoutOwnerBelongsToTheActiveWindow)
{
    QWidget main;
    ASSERT_TRUE(activate(main));
    QWidget other;
    const QList<std::pair<QWidget*, QWidget*>> cases{{nullptr, &main}, {&other, &other}};
    for (const auto& [owner, expectedParent] : cases) {
        QWidget* parent = nullptr;
        QString text;
        onNextModal([&](QDialog& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            parent = box.parentWidget();
            text = box.text();
            box.button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(UiSeams::messageBox({u"Varnook"_s, u"First line.\r\nSecond line."_s, vbInformation, owner}), vbOK);
        EXPECT_EQ(parent, expectedParent);
        EXPECT_EQ(text, u"First line.\nSecond line."_s);
    }
}

class FileDialogOnScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"SETUP.EXE", "Tool.Exe", "run.exe", "readme.txt", "NOTES"}) {
            QFile file(m_dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(activate(m_main));
    }

    QTemporaryDir m_dir;
    QWidget m_main;
};

TEST_F(FileDialogOnScreenTest, ShowsTheFiltersAsWrittenAndListsNamesInCapitals)
{
    QString title;
    QWidget* parent = nullptr;
    QString folder;
    QStringList visibleFilters;
    QStringList patterns;
    onNextModal([&](QDialog& dialog) {
        auto& fileDialog = dynamic_cast<QFileDialog&>(dialog);
        title = fileDialog.windowTitle();
        parent = fileDialog.parentWidget();
        folder = fileDialog.directory().absolutePath();
        if (auto* combo = fileDialog.findChild<QComboBox*>(u"fileTypeCombo"_s)) {
            for (int i = 0; i < combo->count(); ++i)
                visibleFilters.append(combo->itemText(i));
        }
        if (auto* model = fileDialog.findChild<QFileSystemModel*>())
            patterns = model->nameFilters();
        fileDialog.selectFile(m_dir.filePath(u"SETUP.EXE"_s));
        dialog.accept();
    });
    const QString chosen = UiSeams::browseForFile(
        {u"Select Application..."_s, u"Application (*.exe);;All Files (*.*)"_s, m_dir.path(), nullptr});

    EXPECT_EQ(QFileInfo(chosen).canonicalFilePath(), QFileInfo(m_dir.filePath(u"SETUP.EXE"_s)).canonicalFilePath());
    EXPECT_EQ(title, u"Select Application..."_s);
    EXPECT_EQ(parent, &m_main);
    EXPECT_EQ(folder, QDir(m_dir.path()).absolutePath());
    EXPECT_EQ(visibleFilters, (QStringList{u"Application (*.exe)"_s, u"All Files (*.*)"_s}));
    // The patterns the dialog lists files with, matched with the file system's letter case.
    const QStringList listed = QDir(m_dir.path()).entryList(patterns, QDir::Files | QDir::CaseSensitive, QDir::Name);
    EXPECT_EQ(listed, (QStringList{u"SETUP.EXE"_s, u"Tool.Exe"_s, u"run.exe"_s}));
}

TEST_F(FileDialogOnScreenTest, CancelledDialogGivesNoFile)
{
    onNextModal([](QDialog& dialog) { dialog.reject(); });
    const QString chosen =
        UiSeams::browseForFile({u"Open Icon File..."_s, u"Icon File (*.ico)"_s, m_dir.path(), nullptr});
    EXPECT_EQ(chosen, QString());
}

} // namespace
