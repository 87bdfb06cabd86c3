// First, so that GoogleTest finds it when it instantiates its printers.
#include "tests/support/QStringPrinter.h"

#include "platform/shell/WindowsPathMapper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

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
        QDir(prefix()).mkpath(u"dosdevices"_s);
        link(u"../drive_c"_s, u"dosdevices/c:"_s);
        link(m_dir.filePath(u"elsewhere"_s), u"dosdevices/e:"_s);
        link(u"/"_s, u"dosdevices/z:"_s);
        link(u"/dev/null"_s, u"dosdevices/d::"_s); // a raw device, not a drive

        m_environment.set(u"SystemRoot"_s, u"C:\\windows"_s);
        m_environment.set(u"ProgramFiles"_s, u"C:\\Program Files"_s);
        m_environment.set(u"AppDir"_s, u"%ProgramFiles%\\App"_s);
        m_environment.set(u"PATH"_s, u"%SystemRoot%\\system32;;C:\\tools;relative\\dir"_s);
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
    const char* shell32 = "drive_c/windows/system32/Shell32.dll";
    // Z: reaches the whole file system, and a Linux path is taken as it is.
    const QString linuxPath = QFileInfo(m_dir.filePath(u"elsewhere/Data/E.ico"_s)).canonicalFilePath();
    const QString throughZ = QString(u"Z:"_s + linuxPath).replace(u'/', u'\\');
    const QList<std::pair<QString, const char*>> cases{
        {u"C:\\windows\\system32\\shell32.dll"_s, shell32},
        {u"c:\\WINDOWS\\SYSTEM32\\SHELL32.DLL"_s, shell32},
        {u"C:/windows/system32/shell32.dll"_s, shell32},
        {u"  C:\\windows\\\\system32\\shell32.dll "_s, shell32},
        {u"C:\\windows\\..\\windows\\.\\system32\\shell32.dll"_s, shell32},
        {u"\\\\?\\C:\\windows\\system32\\shell32.dll"_s, shell32},
        {u"%SystemRoot%\\system32\\shell32.dll"_s, shell32},
        {u"%SYSTEMROOT%\\System32\\Shell32.dll"_s, shell32},
        {u"\\windows\\notepad.exe"_s, "drive_c/windows/notepad.exe"},
        {u"%AppDir%\\app.ico"_s, "drive_c/Program Files/App/App.ico"},
        {u"E:\\data\\e.ico"_s, "elsewhere/Data/E.ico"},
        {throughZ, "elsewhere/Data/E.ico"},
        {linuxPath, "elsewhere/Data/E.ico"},
        {linuxPath + u".missing"_s, ""},
        // The exact name wins over one that differs in case only.
        {u"C:\\Same.txt"_s, "drive_c/Same.txt"},
        {u"C:\\same.txt"_s, "drive_c/same.txt"},
        // Bare names: system32, the 32-bit system folder, the Windows folder, then PATH.
        {u"SHELL32.DLL"_s, shell32},
        {u"both.exe"_s, "drive_c/windows/system32/both.exe"},
        {u"only32.dll"_s, "drive_c/windows/syswow64/only32.dll"},
        {u"notepad.exe"_s, "drive_c/windows/notepad.exe"},
        {u"TOOL.dll"_s, "drive_c/tools/tool.dll"},
        {u"system32\\shell32.dll"_s, shell32},
        // A 32-bit program writing to system32 of a 64-bit prefix wrote to syswow64.
        {u"C:\\windows\\system32\\only32.dll"_s, "drive_c/windows/syswow64/only32.dll"},
        // Nothing there.
        {u"C:\\windows\\system32\\missing.dll"_s, ""},
        {u"missing.dll"_s, ""},
        {u"%Unknown%\\shell32.dll"_s, ""},
        {u"D:\\anything"_s, ""},
        {u"Q:\\windows\\notepad.exe"_s, ""},
        {u"\\\\server\\share\\shell32.dll"_s, ""},
        {u"C:\\windows\\notepad.exe\\more"_s, ""},
        {u""_s, ""},
    };
    for (const auto& [windowsPath, expected] : cases)
        EXPECT_EQ(mapped(windowsPath), QString::fromLatin1(expected)) << windowsPath.toStdString();
}

TEST_F(WindowsPathMapperTest, PrefixWithoutDosDevicesStillHasDriveC)
{
    QDir(m_dir.filePath(u"dosdevices"_s)).removeRecursively();
    EXPECT_EQ(mapped(u"C:\\windows\\notepad.exe"_s), u"drive_c/windows/notepad.exe"_s);
    EXPECT_EQ(mapped(u"E:\\data\\e.ico"_s), QString());
}


class WindowsPathFromLinuxTest : public WindowsPathMapperTest {
protected:
    void SetUp() override
    {
        WindowsPathMapperTest::SetUp();
        for (const char* file : {"drive_c/data/sub/f.txt", "drive_c/database/g.txt", "drive_cx/file.txt",
                                 "outside/real/r.txt", "drive_c/Games/x.exe"})
            touch(QString::fromLatin1(file));
        touch(u"drive_c/Program Files/Ünïcode Ärger/Ñame with blanks.txt"_s);
        link(m_dir.filePath(u"drive_c/data"_s), u"dosdevices/d:"_s); // nested in C:
        link(u"../drive_c"_s, u"dosdevices/f:"_s);                 // shares C:'s folder
        link(m_dir.filePath(u"outside/real"_s), u"drive_c/linked"_s);
        link(m_dir.filePath(u"drive_c/Games"_s), u"outside/games"_s);
    }

    QString windows(const QString& relativePath) const
    {
        return WindowsPathMapper(prefix(), m_environment).toWindowsPath(m_dir.filePath(relativePath));
    }

    // The path as Wine's Z: drive shows it.
    QString throughZ(const QString& relativePath) const
    {
        return QString(u"Z:"_s + QDir::cleanPath(m_dir.filePath(relativePath))).replace(u'/', u'\\');
    }
};

TEST_F(WindowsPathFromLinuxTest, NamesTheDriveAndKeepsTheNamesOnDisk)
{
    const QList<std::pair<QString, QString>> cases{
        {u"drive_c/windows/system32/Shell32.dll"_s, u"C:\\windows\\system32\\Shell32.dll"_s},
        {u"drive_c"_s, u"C:\\"_s},
        {u"drive_c/"_s, u"C:\\"_s},
        {u"dosdevices/c:/windows/notepad.exe"_s, u"C:\\windows\\notepad.exe"_s},
        {u"drive_c/windows/../windows/./notepad.exe"_s, u"C:\\windows\\notepad.exe"_s},
        {u"drive_c/Program Files/Ünïcode Ärger/Ñame with blanks.txt"_s,
         u"C:\\Program Files\\Ünïcode Ärger\\Ñame with blanks.txt"_s},
        // Names that do not exist yet follow as written.
        {u"drive_c/New Folder/Not There.TXT"_s, u"C:\\New Folder\\Not There.TXT"_s},
        // A drive whose folder lies elsewhere.
        {u"elsewhere/Data/E.ico"_s, u"E:\\Data\\E.ico"_s},
        {u"elsewhere"_s, u"E:\\"_s},
        // The deepest drive wins; names are compared whole, not by their first letters.
        {u"drive_c/data/sub/f.txt"_s, u"D:\\sub\\f.txt"_s},
        {u"drive_c/data"_s, u"D:\\"_s},
        {u"drive_c/database/g.txt"_s, u"C:\\database\\g.txt"_s},
        {u"drive_cx/file.txt"_s, throughZ(u"drive_cx/file.txt"_s)},
        // A link inside a drive stays on the drive, as in Wine.
        {u"drive_c/linked/r.txt"_s, u"C:\\linked\\r.txt"_s},
        // Outside every drive but Z:.
        {u"outside/real/r.txt"_s, throughZ(u"outside/real/r.txt"_s)},
        {u"outside/games/x.exe"_s, throughZ(u"outside/games/x.exe"_s)},
    };
    for (const auto& [linuxPath, expected] : cases)
        EXPECT_EQ(windows(linuxPath), expected) << linuxPath.toStdString();
    EXPECT_EQ(WindowsPathMapper(prefix(), m_environment).toWindowsPath(QString()), QString());
}

TEST_F(WindowsPathFromLinuxTest, WithoutZDriveALinkIntoADriveIsFollowed)
{
    ASSERT_TRUE(QFile::remove(m_dir.filePath(u"dosdevices/z:"_s)));
    EXPECT_EQ(windows(u"outside/games/x.exe"_s), u"C:\\Games\\x.exe"_s);
    // Nothing leads to a drive: still the form Wine users know.
    EXPECT_EQ(windows(u"outside/real/r.txt"_s), throughZ(u"outside/real/r.txt"_s));
    EXPECT_EQ(windows(u"outside/real/missing/new.txt"_s), throughZ(u"outside/real/missing/new.txt"_s));
}

TEST_F(WindowsPathFromLinuxTest, RelativePathsStartInTheCurrentFolder)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.filePath(u"drive_c/windows"_s)));
    const QString relative = WindowsPathMapper(prefix(), m_environment).toWindowsPath(u"system32/Shell32.dll"_s);
    const QString parent = WindowsPathMapper(prefix(), m_environment).toWindowsPath(u".."_s);
    QDir::setCurrent(previous);
    EXPECT_EQ(relative, u"C:\\windows\\system32\\Shell32.dll"_s);
    EXPECT_EQ(parent, u"C:\\"_s);
}

TEST_F(WindowsPathFromLinuxTest, PrefixWithoutDosDevicesHasDriveCOnly)
{
    QDir(m_dir.filePath(u"dosdevices"_s)).removeRecursively();
    EXPECT_EQ(windows(u"drive_c/windows/notepad.exe"_s), u"C:\\windows\\notepad.exe"_s);
    EXPECT_EQ(windows(u"drive_c/data/sub/f.txt"_s), u"C:\\data\\sub\\f.txt"_s);
    EXPECT_EQ(windows(u"elsewhere/Data/E.ico"_s), throughZ(u"elsewhere/Data/E.ico"_s));
}

TEST_F(WindowsPathFromLinuxTest, RoundTripsThroughBothDirections)
{
    const WindowsPathMapper mapper(prefix(), m_environment);
    for (const char* file : {"drive_c/windows/system32/Shell32.dll", "drive_c/Same.txt", "drive_c/same.txt",
                             "drive_c/data/sub/f.txt", "elsewhere/Data/E.ico", "drive_c/linked/r.txt",
                             "outside/games/x.exe", "drive_cx/file.txt", "drive_c"}) {
        const QString linuxPath = m_dir.filePath(QString::fromUtf8(file));
        EXPECT_EQ(mapper.map(mapper.toWindowsPath(linuxPath)), QFileInfo(linuxPath).canonicalFilePath()) << file;
    }
    const QString unicode = m_dir.filePath(u"drive_c/Program Files/Ünïcode Ärger/Ñame with blanks.txt"_s);
    EXPECT_EQ(mapper.map(mapper.toWindowsPath(unicode)), QFileInfo(unicode).canonicalFilePath());

    for (const QString& windowsPath :
         {u"C:\\windows\\system32\\Shell32.dll"_s, u"c:\\WINDOWS\\SYSTEM32\\SHELL32.DLL"_s, u"C:/windows/notepad.exe"_s,
          u"C:\\Program Files\\ünïcode ärger\\ñame with blanks.txt"_s, u"E:\\data\\e.ico"_s, u"D:\\Sub\\F.txt"_s,
          u"C:\\"_s}) {
        const QString back = mapper.toWindowsPath(mapper.map(windowsPath));
        EXPECT_EQ(back.compare(QString(windowsPath).replace(u'/', u'\\'), Qt::CaseInsensitive), 0)
            << windowsPath.toStdString() << " -> " << back.toStdString();
    }
}

} // namespace
