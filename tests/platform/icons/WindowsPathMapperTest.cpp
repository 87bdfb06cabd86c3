// First, so that GoogleTest finds it when it instantiates its printers.
#include "tests/support/QStringPrinter.h"

#include "platform/shell/WindowsPathMapper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class WindowsPathMapperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* file : {"drive_c/windows/system32/Shell32.dll", "drive_c/windows/system32/both.exe",
                                 "drive_c/windows/syswow64/only32.dll", "drive_c/windows/notepad.exe",
                                 "drive_c/windows/both.exe", "drive_c/Program Files/App/App.ico",
                                 "drive_c/tools/tool.dll", "drive_c/Same.txt", "drive_c/same.txt",
                                 "elsewhere/Data/E.ico"})
            touch(QString::fromLatin1(file));
        QDir(prefix()).mkpath(QStringLiteral("dosdevices"));
        link(QStringLiteral("../drive_c"), QStringLiteral("dosdevices/c:"));
        link(m_dir.filePath(QStringLiteral("elsewhere")), QStringLiteral("dosdevices/e:"));
        link(QStringLiteral("/"), QStringLiteral("dosdevices/z:"));
        link(QStringLiteral("/dev/null"), QStringLiteral("dosdevices/d::")); // a raw device, not a drive

        m_environment.set(QStringLiteral("SystemRoot"), QStringLiteral("C:\\windows"));
        m_environment.set(QStringLiteral("ProgramFiles"), QStringLiteral("C:\\Program Files"));
        m_environment.set(QStringLiteral("AppDir"), QStringLiteral("%ProgramFiles%\\App"));
        m_environment.set(QStringLiteral("PATH"), QStringLiteral("%SystemRoot%\\system32;;C:\\tools;relative\\dir"));
    }

    QString prefix() const { return m_dir.path(); }

    void touch(const QString& path)
    {
        const QFileInfo info(m_dir.filePath(path));
        QDir().mkpath(info.path());
        QFile file(info.filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    void link(const QString& target, const QString& name)
    {
        ASSERT_TRUE(QFile::link(target, m_dir.filePath(name)));
    }

    // The mapped path relative to the temporary folder, "" when nothing was found.
    QString mapped(const QString& windowsPath) const
    {
        const QString found = WindowsPathMapper(prefix(), m_environment).map(windowsPath);
        if (found.isEmpty())
            return {};
        return QDir(QFileInfo(m_dir.path()).canonicalFilePath()).relativeFilePath(found);
    }

    QTemporaryDir m_dir;
    PrefixEnvironment m_environment;
};

TEST_F(WindowsPathMapperTest, MapsLikeAProgramInThePrefix)
{
    const QString shell32 = QStringLiteral("drive_c/windows/system32/Shell32.dll");
    const QList<std::pair<const char*, QString>> cases{
        {"C:\\windows\\system32\\shell32.dll", shell32},
        {"c:\\WINDOWS\\SYSTEM32\\SHELL32.DLL", shell32},
        {"C:/windows/system32/shell32.dll", shell32},
        {"  C:\\windows\\\\system32\\shell32.dll ", shell32},
        {"C:\\windows\\..\\windows\\.\\system32\\shell32.dll", shell32},
        {"\\\\?\\C:\\windows\\system32\\shell32.dll", shell32},
        {"%SystemRoot%\\system32\\shell32.dll", shell32},
        {"%SYSTEMROOT%\\System32\\Shell32.dll", shell32},
        {"\\windows\\notepad.exe", QStringLiteral("drive_c/windows/notepad.exe")},
        {"%AppDir%\\app.ico", QStringLiteral("drive_c/Program Files/App/App.ico")},
        {"E:\\data\\e.ico", QStringLiteral("elsewhere/Data/E.ico")},
        // The exact name wins over one that differs in case only.
        {"C:\\Same.txt", QStringLiteral("drive_c/Same.txt")},
        {"C:\\same.txt", QStringLiteral("drive_c/same.txt")},
        // Bare names: system32, the 32-bit system folder, the Windows folder, then PATH.
        {"SHELL32.DLL", shell32},
        {"both.exe", QStringLiteral("drive_c/windows/system32/both.exe")},
        {"only32.dll", QStringLiteral("drive_c/windows/syswow64/only32.dll")},
        {"notepad.exe", QStringLiteral("drive_c/windows/notepad.exe")},
        {"TOOL.dll", QStringLiteral("drive_c/tools/tool.dll")},
        {"system32\\shell32.dll", shell32},
        // A 32-bit program writing to system32 of a 64-bit prefix wrote to syswow64.
        {"C:\\windows\\system32\\only32.dll", QStringLiteral("drive_c/windows/syswow64/only32.dll")},
        // Nothing there.
        {"C:\\windows\\system32\\missing.dll", QString()},
        {"missing.dll", QString()},
        {"%Unknown%\\shell32.dll", QString()},
        {"D:\\anything", QString()},
        {"Q:\\windows\\notepad.exe", QString()},
        {"\\\\server\\share\\shell32.dll", QString()},
        {"C:\\windows\\notepad.exe\\more", QString()},
        {"", QString()},
    };
    for (const auto& [windowsPath, expected] : cases)
        EXPECT_EQ(mapped(QString::fromLatin1(windowsPath)), expected) << windowsPath;
}

TEST_F(WindowsPathMapperTest, ReachesTheWholeFileSystemThroughZ)
{
    const QString target = QFileInfo(m_dir.filePath(QStringLiteral("elsewhere/Data/E.ico"))).canonicalFilePath();
    QString windowsPath = QStringLiteral("Z:") + target;
    windowsPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
    EXPECT_EQ(WindowsPathMapper(prefix(), m_environment).map(windowsPath), target);
    // A Linux path is taken as it is.
    EXPECT_EQ(WindowsPathMapper(prefix(), m_environment).map(target), target);
    EXPECT_EQ(WindowsPathMapper(prefix(), m_environment).map(target + QStringLiteral(".missing")), QString());
}

TEST_F(WindowsPathMapperTest, PrefixWithoutDosDevicesStillHasDriveC)
{
    QDir(m_dir.filePath(QStringLiteral("dosdevices"))).removeRecursively();
    EXPECT_EQ(mapped(QStringLiteral("C:\\windows\\notepad.exe")), QStringLiteral("drive_c/windows/notepad.exe"));
    EXPECT_EQ(mapped(QStringLiteral("E:\\data\\e.ico")), QString());
}

} // namespace
