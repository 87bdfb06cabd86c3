// First, so that GoogleTest finds it when it instantiates its printers.
#include "tests/support/QStringPrinter.h"

#include "app/shell/FileProperties.h"
#include "app/shell/FilePropertiesInfo.h"
#include "app/shell/frmProperties.h"
#include "control/tree/IconList.h"
#include "platform/shell/WindowsPathMapper.h"

#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPeWriter.h"
#include "tests/support/TestPrefix.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using Field = FilePropertiesInfo::Field;

QStringList namesOf(const QList<Field>& fields)
{
    QStringList names;
    for (const Field& field : fields)
        names << field.name;
    return names;
}

QString textOf(const QList<Field>& fields, const QString& name)
{
    for (const Field& field : fields)
        if (field.name == name)
            return field.text;
    return {};
}

// The properties windows open now, closing ones not counted.
QList<frmProperties*> openWindows()
{
    QList<frmProperties*> open;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* properties = qobject_cast<frmProperties*>(window); properties && properties->isVisible())
            open << properties;
    return open;
}

void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const QList<std::pair<QString, QString>> kStrings = {
    {u"CompanyName"_s, u"Ärger Software"_s}, {u"FileDescription"_s, u"Ärger Editor"_s},
    {u"InternalName"_s, u"aerger"_s},        {u"LegalCopyright"_s, u"© 2024 Ärger"_s},
    {u"OriginalFilename"_s, u"app.exe"_s},   {u"ProductName"_s, u"Ärger"_s},
    {u"OLESelfRegister"_s, u"yes"_s},        {u"Build Date"_s, u"2024-05-06"_s},
};

class PropertiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_prefix.open();
        SetIconPrefix(m_prefix.path());
        TestPeWriter pe(TestPeWriter::Bits::Pe32);
        pe.addGroup(1, {TestIconData::dib(32, 32, qRgb(200, 0, 0))});
        pe.setVersion(TestPeWriter::versionResource(0x0002000500010012ULL, 0x0002000500000000ULL,
                                                    {{u"040904b0"_s, kStrings}}));
        QByteArray program = pe.build();
        program.append(8000 - program.size(), char(0));
        m_program = write(u"drive_c/Program Files/Ärger App/app.exe"_s, program);
        m_text = write(u"drive_c/readme.txt"_s, "hello\n");
    }

    void TearDown() override
    {
        for (frmProperties* window : openWindows())
            window->close();
        deleteClosedWindows();
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_prefix.filePath(name);
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return QFileInfo(path).canonicalFilePath();
    }

    TestPrefix m_prefix;
    ScriptedUi m_ui;
    QWidget m_owner;
    QString m_program;
    QString m_text;
};

TEST_F(PropertiesTest, GeneralFieldsOfAFile)
{
    QFile file(m_program);
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ExeGroup));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), QFileDevice::FileModificationTime));
    file.close();

    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const FilePropertiesInfo info(m_program, PrefixPathMapper());
    ASSERT_TRUE(info.exists());
    EXPECT_EQ(info.displayName(), u"app.exe"_s);
    const QList<Field> fields = info.generalFields(english);
    QStringList expected{u"WindowsPath"_s, u"LinuxPath"_s, u"Type"_s,   u"Size"_s,  u"Created"_s,
                         u"Modified"_s,    u"Accessed"_s,  u"Permissions"_s, u"Owner"_s, u"Group"_s};
    if (!QFileInfo(m_program).birthTime().isValid())
        expected.removeOne(u"Created"_s); // the file system keeps no creation time
    EXPECT_EQ(namesOf(fields), expected);
    EXPECT_EQ(textOf(fields, u"WindowsPath"_s), u"C:\\Program Files\\Ärger App\\app.exe"_s);
    EXPECT_EQ(textOf(fields, u"LinuxPath"_s), m_program);
    EXPECT_EQ(textOf(fields, u"Type"_s), u"DOS/Windows executable (application/x-ms-dos-executable)"_s);
    EXPECT_EQ(textOf(fields, u"Size"_s), u"7.81 KiB (8,000 bytes)"_s);
    EXPECT_TRUE(textOf(fields, u"Modified"_s).contains(u"February 3, 2001"_s)) << textOf(fields, u"Modified"_s).toStdString();
    EXPECT_EQ(textOf(fields, u"Permissions"_s), u"-rwxr-x--- (750)"_s);
    EXPECT_FALSE(textOf(fields, u"Owner"_s).isEmpty());

    const FilePropertiesInfo text(m_text, PrefixPathMapper());
    EXPECT_EQ(textOf(text.generalFields(english), u"Type"_s), u"plain text document (text/plain)"_s);
    EXPECT_FALSE(text.version());
    EXPECT_TRUE(text.versionFields().isEmpty());
}

TEST_F(PropertiesTest, FoldersAndDrivesHaveNoSize)
{
    const struct {
        QString path;
        const char* name;
        const char* windowsPath;
    } cases[] = {
        {m_prefix.filePath(u"drive_c/Program Files"_s), "Program Files", "C:\\Program Files"},
        {m_prefix.filePath(u"drive_c"_s), "C:\\", "C:\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FilePropertiesInfo info(c.path, PrefixPathMapper());
        EXPECT_TRUE(info.isFolder());
        EXPECT_EQ(info.displayName(), QString::fromUtf8(c.name));
        const QList<Field> fields = info.generalFields();
        EXPECT_EQ(textOf(fields, u"WindowsPath"_s), QString::fromUtf8(c.windowsPath));
        EXPECT_FALSE(namesOf(fields).contains(u"Size"_s));
        EXPECT_TRUE(textOf(fields, u"Type"_s).endsWith(u"(inode/directory)"_s));
        EXPECT_TRUE(textOf(fields, u"Permissions"_s).startsWith(u'd'));
    }
}

TEST_F(PropertiesTest, SizesAndPermissionsAsText)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const std::pair<qint64, const char*> sizes[] = {
        {0, "0 bytes"},
        {1023, "1,023 bytes"},
        {1024, "1.00 KiB (1,024 bytes)"},
        {1536000, "1.46 MiB (1,536,000 bytes)"},
        {5368709120, "5.00 GiB (5,368,709,120 bytes)"},
    };
    for (const auto& [bytes, text] : sizes)
        EXPECT_EQ(FilePropertiesInfo::sizeText(bytes, english), QString::fromLatin1(text)) << bytes;

    using P = QFileDevice;
    const struct {
        QFileDevice::Permissions permissions;
        bool folder;
        const char* text;
    } modes[] = {
        {P::ReadOwner | P::WriteOwner | P::ExeOwner | P::ReadGroup | P::ExeGroup | P::ReadOther | P::ExeOther, true,
         "drwxr-xr-x (755)"},
        {P::ReadOwner | P::WriteOwner | P::ReadGroup, false, "-rw-r----- (640)"},
        {P::WriteOther | P::ExeOther, false, "--------wx (003)"},
        {{}, false, "---------- (000)"},
    };
    for (const auto& m : modes)
        EXPECT_EQ(FilePropertiesInfo::permissionText(m.permissions, m.folder), QString::fromLatin1(m.text));
}

TEST_F(PropertiesTest, VersionFieldsTextsFirstThenTheOthersInStoredOrder)
{
    const FilePropertiesInfo info(m_program, PrefixPathMapper());
    ASSERT_TRUE(info.version());
    const QList<Field> expected{
        {u"FileDescription"_s, u"Description:"_s, u"Ärger Editor"_s},
        // No version texts: the numbers of the fixed part stand in.
        {u"FileVersion"_s, u"File version:"_s, u"2.5.1.18"_s},
        {u"ProductName"_s, u"Product name:"_s, u"Ärger"_s},
        {u"ProductVersion"_s, u"Product version:"_s, u"2.5.0.0"_s},
        {u"CompanyName"_s, u"Company:"_s, u"Ärger Software"_s},
        {u"LegalCopyright"_s, u"Copyright:"_s, u"© 2024 Ärger"_s},
        {u"OriginalFilename"_s, u"Original file name:"_s, u"app.exe"_s},
        {u"InternalName"_s, u"Internal name:"_s, u"aerger"_s},
        {u"OLESelfRegister"_s, u"OLE self register:"_s, u"yes"_s},
        {u"Build Date"_s, u"Build date:"_s, u"2024-05-06"_s},
    };
    EXPECT_EQ(info.versionFields(), expected);

    // Written texts win over the numbers.
    TestPeWriter pe(TestPeWriter::Bits::Pe32Plus);
    pe.setVersion(TestPeWriter::versionResource(0x0001000000000000ULL, 0x0001000000000000ULL,
                                                {{u"000004b0"_s, {{u"FileVersion"_s, u"1.0 (beta)"_s}}}}));
    const FilePropertiesInfo texts(write(u"drive_c/beta.dll"_s, pe.build()), PrefixPathMapper());
    EXPECT_EQ(texts.versionFields(), (QList<Field>{{u"FileVersion"_s, u"File version:"_s, u"1.0 (beta)"_s},
                                                   {u"ProductVersion"_s, u"Product version:"_s, u"1.0.0.0"_s}}));
}

TEST_F(PropertiesTest, WindowShowsReadOnlyFieldsNamedByTheirLabels)
{
    ASSERT_TRUE(frmProperties::ShowFor(m_program, &m_owner));
    const QList<frmProperties*> open = openWindows();
    ASSERT_EQ(open.size(), 1);
    frmProperties& window = *open[0];

    EXPECT_EQ(window.windowTitle(), u"app.exe Properties"_s);
    EXPECT_EQ(window.parentWidget(), &m_owner);
    EXPECT_TRUE(window.isWindow());
    EXPECT_FALSE(window.isModal());
    EXPECT_TRUE(window.testAttribute(Qt::WA_DeleteOnClose));
    ASSERT_NE(window.findChild<QGroupBox*>(u"frameGeneral"_s), nullptr);
    ASSERT_NE(window.findChild<QGroupBox*>(u"frameVersion"_s), nullptr);
    EXPECT_EQ(window.findChild<QGroupBox*>(u"frameVersion"_s)->title(), u"Version"_s);
    EXPECT_EQ(window.findChild<QLineEdit*>(u"txtWindowsPath"_s)->text(), u"C:\\Program Files\\Ärger App\\app.exe"_s);
    EXPECT_EQ(window.findChild<QLineEdit*>(u"txtFileDescription"_s)->text(), u"Ärger Editor"_s);
    EXPECT_EQ(window.findChild<QPushButton*>(u"btnShowInFileManager"_s)->text(), u"Show in File Manager"_s);
    EXPECT_EQ(window.findChild<QPushButton*>(u"btnClose"_s)->text(), u"Close"_s);

    const QList<QLineEdit*> fields = window.findChildren<QLineEdit*>();
    ASSERT_GE(fields.size(), 15);
    for (const QLineEdit* field : fields) {
        SCOPED_TRACE(field->objectName().toStdString());
        EXPECT_TRUE(field->isReadOnly());
        EXPECT_TRUE(field->focusPolicy() & Qt::TabFocus);
        EXPECT_FALSE(field->accessibleName().isEmpty());
        EXPECT_EQ(field->palette().color(QPalette::Base).alpha(), 0) << "drawn on the window's background";
        if (field == window.findChild<QLineEdit*>(u"txtName"_s))
            continue;
        const auto* label = window.findChild<QLabel*>(u"lbl"_s + field->objectName().mid(3));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->buddy(), field);
        EXPECT_EQ(field->accessibleName() + u':', label->text());
    }

    // A file without a version resource has no "Version".
    ASSERT_TRUE(frmProperties::ShowFor(m_text, &m_owner));
    EXPECT_EQ(openWindows().size(), 2);
    for (frmProperties* shown : openWindows()) {
        if (shown->linuxPath() == m_text) {
            EXPECT_EQ(shown->findChild<QGroupBox*>(u"frameVersion"_s), nullptr);
        }
    }
}

TEST_F(PropertiesTest, OneWindowPerFileAndNoneForAMissingOne)
{
    EXPECT_FALSE(frmProperties::ShowFor(m_prefix.filePath(u"drive_c/missing.exe"_s), &m_owner));
    EXPECT_FALSE(frmProperties::ShowFor(QString(), &m_owner));
    EXPECT_TRUE(openWindows().isEmpty());

    ASSERT_TRUE(frmProperties::ShowFor(m_program, &m_owner));
    ASSERT_TRUE(frmProperties::ShowFor(m_program, &m_owner));
    EXPECT_EQ(openWindows().size(), 1);
}

TEST_F(PropertiesTest, EscapeAndCloseCloseAndDeleteTheWindow)
{
    for (const char* how : {"Escape", "Close"}) {
        SCOPED_TRACE(how);
        ASSERT_TRUE(frmProperties::ShowFor(m_program, &m_owner));
        QPointer<frmProperties> window = openWindows().value(0);
        ASSERT_TRUE(window);
        if (qstrcmp(how, "Escape") == 0) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(window->findChild<QLineEdit*>(u"txtLinuxPath"_s), &escape);
        } else {
            window->findChild<QPushButton*>(u"btnClose"_s)->click();
        }
        EXPECT_TRUE(openWindows().isEmpty());
        deleteClosedWindows();
        EXPECT_FALSE(window);
    }
}

TEST_F(PropertiesTest, InstalledAsTheWayFilePropertiesAreShown)
{
    InstallFilePropertiesWindow();
    EXPECT_FALSE(UiSeams::showFileProperties(m_prefix.filePath(u"drive_c/missing.exe"_s), &m_owner));
    EXPECT_TRUE(openWindows().isEmpty());

    ShowFileProperties(u"\"C:\\Program Files\\Ärger App\\app.exe\" %1"_s, &m_owner);
    ASSERT_EQ(openWindows().size(), 1);
    EXPECT_EQ(openWindows()[0]->linuxPath(), m_program);
    EXPECT_TRUE(m_ui.boxes().empty());
    EXPECT_TRUE(m_ui.propertiesRequests().empty()) << "the window, not the scripted seam, answered";
}

TEST_F(PropertiesTest, ShowInFileManagerOpensTheFolderWithoutAFileManagerOnDBus)
{
    // No session bus: the folder is opened instead.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/varnook-test-bus");
    ASSERT_TRUE(frmProperties::ShowFor(m_program, &m_owner));
    auto* button = openWindows().value(0)->findChild<QPushButton*>(u"btnShowInFileManager"_s);
    button->click();
    ASSERT_EQ(m_ui.openedUrls().size(), 1u);
    EXPECT_EQ(m_ui.openedUrls()[0], QUrl::fromLocalFile(QFileInfo(m_program).path()));
    EXPECT_TRUE(m_ui.boxes().empty());

    m_ui.onOpenUrl = [](const QUrl&) { return false; };
    button->click();
    ASSERT_EQ(m_ui.boxes().size(), 1u);
    EXPECT_EQ(m_ui.boxes()[0].text, u"The file could not be shown in a file manager."_s);
    EXPECT_EQ(m_ui.boxes()[0].icon(), vbInformation);
}

} // namespace
