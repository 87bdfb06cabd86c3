#include "app/dialogs/IconBox.h"

#include "control/records/ErrorNumbers.h"
#include "control/tree/IconList.h"
#include "tests/support/KestrowFixture.h"
#include "tests/support/TestPeWriter.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kLibrary = u"C:\\windows\\system32\\pics.dll"_s;
const QString kRedIcon = u"C:\\icons\\red.ico"_s;
const QStringList kSixEntries = {u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s};

// Six icons of six colours in a library.
QRgb libraryColour(int index)
{
    return qRgb(40 * index, 250 - 40 * index, 7);
}

class IconBoxWindow : public KestrowFixture {
protected:
    IconBoxWindow()
        : KestrowFixture(QByteArray())
    {
        writeIcon(u"icons\\red.ico"_s, kRed);
        writeIcon(u"icons\\blue.ico"_s, kBlue);
        TestPeWriter pe(TestPeWriter::Bits::Pe32);
        for (int i = 0; i < 6; ++i)
            pe.addGroup(i + 1, {TestIconData::dib(32, 24, libraryColour(i))});
        prefix.writeFile(u"drive_c/windows/system32/pics.dll"_s, pe.build());
        prefix.writeFile(u"drive_c/readme.txt"_s, QByteArray("no icons in here\n"));
    }

    QLineEdit* file() { return dialog.findChild<QLineEdit*>(u"fldFile"_s); }
    QListWidget* list() { return dialog.findChild<QListWidget*>(u"lstIcons"_s); }
    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(QLatin1String(name)); }
    QStringList entries()
    {
        QStringList texts;
        for (int row = 0; row < list()->count(); ++row)
            texts << list()->item(row)->text();
        return texts;
    }
    QRgb colourOf(int row) { return list()->item(row)->icon().pixmap(32, 32).toImage().pixel(16, 16); }
    void typeFile(const QString& text)
    {
        file()->selectAll();
        QTest::keyClicks(file(), text);
    }

    IconBox dialog;
};

TEST_F(IconBoxWindow, ListsTheIconsOfAQuotedOrPlainLocationAndSelectsItsIcon)
{
    const struct {
        QString location;
        QString selected;
    } cases[] = {
        {kLibrary, kLibrary + u",0"_s}, // a location without index names icon 0
        {u"\""_s + kLibrary + u"\",4"_s, kLibrary + u",4"_s}, // only the path quoted
        {u"\""_s + kLibrary + u",3\""_s, kLibrary + u",3"_s}, // all of it quoted
        {kLibrary + u",-3"_s, QString()}, // a resource identifier is no position
        {kLibrary + u",9"_s, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location.toStdString());
        dialog.Initialize(c.location);
        EXPECT_EQ(file()->text(), kLibrary);
        EXPECT_EQ(entries(), kSixEntries);
        EXPECT_EQ(dialog.GetSelectedIconPath(), c.selected);
        EXPECT_EQ(button("btnOK")->isEnabled(), !c.selected.isEmpty()) << "OK needs a chosen icon";
    }
    EXPECT_EQ(colourOf(4), libraryColour(4));

    // A file without icons: nothing to choose, and Enter does not end the window.
    dialog.show();
    dialog.Initialize(u"C:\\readme.txt"_s);
    EXPECT_EQ(list()->count(), 0);
    EXPECT_FALSE(button("btnOK")->isEnabled());
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(IconBoxWindow, EnterReloadsOnlyAfterAnEditAndNeverCloses)
{
    dialog.show();
    dialog.Initialize(kRedIcon);
    list()->setCurrentRow(0);
    QTest::keyClick(file(), Qt::Key_Return);
    EXPECT_EQ(list()->currentRow(), 0) << "Enter without an edit keeps the list as it is";

    typeFile(kLibrary);
    EXPECT_EQ(entries(), QStringList{u"0"_s}) << "no reload before Enter";
    EXPECT_EQ(dialog.GetSelectedIconPath(), kRedIcon + u",0"_s) << "the choice names the file it was made in";
    QTest::keyClick(file(), Qt::Key_Return);
    EXPECT_EQ(entries(), kSixEntries);
    list()->setCurrentRow(2);
    QTest::keyClick(file(), Qt::Key_Return);
    EXPECT_EQ(list()->currentRow(), 2) << "a second Enter does not reload";
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.GetSelectedIconPath(), kLibrary + u",2"_s);
}

TEST_F(IconBoxWindow, BrowseShowsTheChosenFileAsAWindowsPath)
{
    dialog.Initialize(kRedIcon);
    ui.chooseFile(prefix.filePath(u"drive_c/icons/blue.ico"_s));
    button("btnBrowse")->click();
    EXPECT_EQ(file()->text(), u"C:\\icons\\blue.ico"_s);
    ASSERT_EQ(list()->count(), 1);
    EXPECT_EQ(colourOf(0), kBlue);

    button("btnBrowse")->click(); // cancelled
    EXPECT_EQ(file()->text(), u"C:\\icons\\blue.ico"_s);

    IconBox cancelled; // no location, and no file chosen
    cancelled.Initialize();
    EXPECT_FALSE(cancelled.findChild<QPushButton*>(u"btnOK"_s)->isEnabled());
}

TEST_F(IconBoxWindow, NoSecondListingWhileOneRuns)
{
    // ListIcons handles pending events between icons: a Browse click and an edit with Enter arrive then.
    ui.chooseFile(prefix.filePath(u"drive_c/icons/blue.ico"_s));
    dialog.show();
    QTimer::singleShot(0, &dialog, [this] {
        button("btnBrowse")->click();
        typeFile(kRedIcon);
        QTest::keyClick(file(), Qt::Key_Return);
    });
    dialog.LoadIcons(kLibrary, ICON_LARGE);
    EXPECT_TRUE(ui.browseRequests().empty());
    EXPECT_EQ(entries(), kSixEntries);
    list()->setCurrentRow(5);
    EXPECT_EQ(dialog.GetSelectedIconPath(), kLibrary + u",5"_s);

    QTest::keyClick(file(), Qt::Key_Return);
    EXPECT_EQ(entries(), QStringList{u"0"_s}) << "the edit is still waiting for its Enter";
}

TEST_F(IconBoxWindow, EndsWithAcceptedOnlyForAChosenIcon)
{
    const auto press = [](const char* name) {
        return [name](IconBox& d) { d.findChild<QPushButton*>(QLatin1String(name))->click(); };
    };
    const struct {
        const char* label;
        std::function<void(IconBox&)> end;
        int result;
        QString selected;
    } cases[] = {
        {"OK", press("btnOK"), int(kResultAccepted), kLibrary + u",3"_s},
        {"Cancel", press("btnCancel"), int(kResultCancelled), {}},
        {"Escape", [](IconBox& d) { QTest::keyClick(&d, Qt::Key_Escape); }, int(kResultCancelled), {}},
        {"close box", [](IconBox& d) { d.close(); }, int(kResultCancelled), {}},
        {"double click",
         [](IconBox& d) {
             auto* icons = d.findChild<QListWidget*>(u"lstIcons"_s);
             const QPoint middle = icons->visualItemRect(icons->item(1)).center();
             QTest::mouseClick(icons->viewport(), Qt::LeftButton, {}, middle);
             QTest::mouseDClick(icons->viewport(), Qt::LeftButton, {}, middle);
         },
         int(kResultAccepted), kLibrary + u",1"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        IconBox window;
        window.Initialize(kLibrary + u",3"_s);
        window.show();
        c.end(window);
        EXPECT_EQ(window.result(), c.result);
        if (!c.selected.isEmpty()) {
            EXPECT_EQ(window.GetSelectedIconPath(), c.selected);
        }
    }
}

} // namespace
