// First, so that GoogleTest finds it when it instantiates its printers.
#include "tests/support/QStringPrinter.h"

#include "app/shell/FileProperties.h"
#include "control/tree/IconList.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

const QString kNoFile = u"Error displaying file properties.\r\n\r\n"
                        u"Either the file does not exist or the path was in an invalid format."_s;

TEST(ExtractCommandFile, TakesTheQuotedPathOrTheTextUpToTheFirstBlank)
{
    const struct {
        QString command;
        QString file;
    } cases[] = {
        {u"C:\\Tools\\edit.exe %1"_s, u"C:\\Tools\\edit.exe "_s},
        {u"\"C:\\Program Files\\App\\app.exe\" \"%1\""_s, u"\"C:\\Program Files\\App\\app.exe\""_s},
        {u"C:\\Tools\\edit.exe"_s, u"C:\\Tools\\edit.exe"_s},
        {u"\"C:\\Program Files\\App\\app.exe %1"_s, QString()}, // the quote is never closed
        {u"\""_s, QString()},
        {u"\"\""_s, u"\"\""_s},
        {QString(), QString()},
        {u"\"a\"b c"_s, u"\"a\""_s},
        {u"notepad.exe  %1"_s, u"notepad.exe "_s},
        {u"rundll32.exe shell32.dll,Control_RunDLL"_s, u"rundll32.exe "_s},
        // A blank only counts from the second character on.
        {u" notepad.exe %1"_s, u" notepad.exe "_s},
        {u" notepad.exe"_s, u" notepad.exe"_s},
        // Only blanks end the file, not tabs.
        {u"notepad.exe\t%1"_s, u"notepad.exe\t%1"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractCommandFile(c.command), c.file) << c.command.toStdString();
}

class ShowFilePropertiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_prefix.open();
        SetIconPrefix(m_prefix.path());
        for (const QString& file : {u"drive_c/windows/system32/notepad.exe"_s, u"drive_c/Program Files/Ärger App/app.dll"_s,
                                    u"drive_c/Program Files/Ärger App/Setup Tool.exe"_s}) {
            ASSERT_TRUE(QDir(m_prefix.path()).mkpath(QFileInfo(m_prefix.filePath(file)).path()));
            QFile f(m_prefix.filePath(file));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }

    // The Linux path of a file of drive C:, as the request names it.
    QString onDriveC(const QString& path) const
    {
        return QFileInfo(m_prefix.filePath(u"drive_c/"_s + path)).canonicalFilePath();
    }

    TestPrefix m_prefix{"\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1\n"
                        "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n"};
    ScriptedUi m_ui;
    QWidget m_owner;
};

TEST_F(ShowFilePropertiesTest, FindsTheFileInThePrefixOrSaysThereIsNone)
{
    const QString notepad = onDriveC(u"windows/system32/notepad.exe"_s);
    const QString app = onDriveC(u"Program Files/Ärger App/app.dll"_s);
    const QString setup = onDriveC(u"Program Files/Ärger App/Setup Tool.exe"_s);
    const struct {
        QString command;
        QString shown; // empty: the information box
    } cases[] = {
        {u"%SystemRoot%\\system32\\notepad.exe %1"_s, notepad},
        {u"notepad.exe %1"_s, notepad}, // bare names are searched in system32
        {u"C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE"_s, notepad},
        {u"\"%ProgramFiles%\\Ärger App\\app.dll\",1"_s, app},
        {u"\"C:\\Program Files\\Ärger App\\Setup Tool.exe\" /install \"%1\""_s, setup},
        // Server paths are stored without quotes.
        {u"C:\\Program Files\\Ärger App\\app.dll"_s, app},
        {u"C:\\Program Files\\Ärger App\\Setup Tool.exe /install %1"_s, setup},
        {u"\"C:\\Program Files\\Ärger App\\app.dll"_s, QString()},
        {u"\"C:\\Program Files\\Ärger\" App\\app.dll"_s, QString()},
        {u"\"\""_s, QString()},
        {QString(), QString()},
        {u" "_s, QString()},
        {u"C:\\windows\\system32\\missing.exe %1"_s, QString()},
        {u"C:\\Program Files\\Ärger App\\missing.dll"_s, QString()},
        {u"D:\\notepad.exe"_s, QString()},
        {u"\\\\server\\share\\notepad.exe"_s, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        m_ui.clear();
        ShowFileProperties(c.command, &m_owner);
        if (c.shown.isEmpty()) {
            EXPECT_TRUE(m_ui.propertiesRequests().empty());
            ASSERT_EQ(m_ui.boxes().size(), 1u);
            EXPECT_EQ(m_ui.boxes()[0].title, u"Varnook"_s);
            EXPECT_EQ(m_ui.boxes()[0].text, kNoFile);
            EXPECT_EQ(m_ui.boxes()[0].style, vbOKOnly | vbInformation);
        } else {
            EXPECT_TRUE(m_ui.boxes().empty());
            ASSERT_EQ(m_ui.propertiesRequests().size(), 1u);
            EXPECT_EQ(m_ui.propertiesRequests()[0].linuxPath, c.shown);
            EXPECT_EQ(m_ui.propertiesRequests()[0].owner, &m_owner);
        }
    }
}

TEST_F(ShowFilePropertiesTest, AFileNothingCouldShowIsReported)
{
    m_ui.onFileProperties = [](const FilePropertiesRequest&) { return false; };
    ShowFileProperties(u"notepad.exe"_s, &m_owner);
    EXPECT_EQ(m_ui.propertiesRequests().size(), 1u);
    ASSERT_EQ(m_ui.boxes().size(), 1u);
    EXPECT_EQ(m_ui.boxes()[0].text, kNoFile);
}

} // namespace
