#include "tests/support/QStringPrinter.h"

#include "platform/shell/FileManager.h"
#include "tests/support/ScriptedUi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

class FileManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(u"drive_c/Program Files/Ärger App"_s));
        QFile file(m_dir.filePath(u"drive_c/Program Files/Ärger App/Setup #1.exe"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(u"dosdevices"_s));
        ASSERT_TRUE(QFile::link(u"../drive_c"_s, m_dir.filePath(u"dosdevices/c:"_s)));
        m_folder = QFileInfo(m_dir.filePath(u"drive_c/Program Files/Ärger App"_s)).canonicalFilePath();
        m_file = m_folder + u"/Setup #1.exe"_s;
    }

    // A file manager that records what it was asked and answers `accepts`.
    FileManager recording(bool accepts)
    {
        return FileManager([this, accepts](const QString& uri) {
            m_asked.append(uri);
            return accepts;
        });
    }

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_file;
    QStringList m_asked;
    ScriptedUi m_ui;
};

TEST_F(FileManagerTest, UrlsNameTheFileAndItsFolderWithLinksResolved)
{
    const QString throughDrive = m_dir.filePath(u"dosdevices/c:/Program Files/Ärger App/Setup #1.exe"_s);
    for (const QString& path : {m_file, throughDrive}) {
        EXPECT_EQ(FileManager::fileUrl(path).toLocalFile(), m_file);
        EXPECT_EQ(FileManager::folderUrl(path).toLocalFile(), m_folder);
    }
    // A folder is shown in its parent folder.
    EXPECT_EQ(FileManager::folderUrl(m_folder).toLocalFile(), QFileInfo(m_folder).path());
    for (const QString& missing : {m_file + u".old"_s, QString()}) {
        EXPECT_TRUE(FileManager::fileUrl(missing).isEmpty());
        EXPECT_TRUE(FileManager::folderUrl(missing).isEmpty());
    }
}

TEST_F(FileManagerTest, AsksOverDBusWithAnEscapedUriFirst)
{
    EXPECT_TRUE(recording(true).showItem(m_file));
    ASSERT_EQ(m_asked.size(), 1);
    EXPECT_TRUE(m_asked[0].startsWith(u"file:///"_s));
    // Blanks, '#' and non-ASCII letters are escaped, or a file manager would read another name.
    EXPECT_TRUE(m_asked[0].endsWith(u"/Program%20Files/%C3%84rger%20App/Setup%20%231.exe"_s))
        << m_asked[0].toStdString();
    EXPECT_EQ(QUrl(m_asked[0]).toLocalFile(), m_file);
    EXPECT_TRUE(m_ui.openedUrls().empty());
}

TEST_F(FileManagerTest, OpensTheFolderWhenNoFileManagerAnswers)
{
    EXPECT_TRUE(recording(false).showItem(m_file));
    EXPECT_EQ(m_asked.size(), 1);
    ASSERT_EQ(m_ui.openedUrls().size(), 1u);
    EXPECT_EQ(m_ui.openedUrls()[0], QUrl::fromLocalFile(m_folder));

    m_ui.onOpenUrl = [](const QUrl&) { return false; };
    EXPECT_FALSE(recording(false).showItem(m_file));
}

TEST_F(FileManagerTest, MissingFileIsNotShown)
{
    EXPECT_FALSE(recording(true).showItem(m_file + u".old"_s));
    EXPECT_FALSE(recording(true).showItem(QString()));
    EXPECT_TRUE(m_asked.isEmpty());
    EXPECT_TRUE(m_ui.openedUrls().empty());
}

} // namespace
