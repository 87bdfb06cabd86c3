#include "platform/registry/HiveReader.h"
#include "platform/registry/HiveWriter.h"
#include "platform/registry/PrefixStore.h"
#include "platform/registry/RegistryApi.h"
#include "platform/registry/CommandScope.h"
#include "tests/interop/InteropSupport.h"

#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

namespace {

void markEveryKeyChanged(Hive& hive)
{
    std::vector<RegKey*> pending{hive.root().get()};
    while (!pending.empty()) {
        RegKey* key = pending.back();
        pending.pop_back();
        if (key->hasSection()) {
            key->values();
            key->markChanged();
        }
        for (const auto& child : key->children())
            pending.push_back(child.get());
    }
}

LONG setValue(HKEY root, const QString& path, const QString& name, DWORD type, const QByteArray& data)
{
    HKEY key = 0;
    LONG rc = RegCreateKeyEx(root, path, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegSetValueEx(key, name, 0, type, reinterpret_cast<const std::uint8_t*>(data.constData()), DWORD(data.size()));
    RegCloseKey(key);
    return rc;
}

class RegistryInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WinePrefix::wineAvailable())
            GTEST_SKIP() << "Wine is not installed";
        ASSERT_TRUE(wine.isValid()) << "wineboot did not create a prefix";
    }

    WinePrefix wine;
};

TEST_F(RegistryInterop, WinesOwnFilesComeBackByteForByte)
{
    for (const char* name : {"system.reg", "user.reg"}) {
        const QByteArray original = readFile(wine.filePath(QString::fromLatin1(name)));
        ASSERT_FALSE(original.isEmpty()) << name;
        HiveReader::Result result = HiveReader::read(original, QString::fromLatin1(name));
        ASSERT_TRUE(result.hive) << result.error.toStdString();
        EXPECT_TRUE(result.hive->problems().isEmpty()) << result.hive->problems().join('\n').toStdString();
        EXPECT_EQ(HiveWriter::toBytes(*result.hive), original) << name;
        // Writing every key anew, as after a change, gives what Wine wrote too.
        markEveryKeyChanged(*result.hive);
        EXPECT_EQ(HiveWriter::toBytes(*result.hive), original) << name;
    }

    PrefixStore store(wine.path());
    QString error;
    ASSERT_TRUE(store.open(error)) << error.toStdString();
    const QByteArray before = readFile(wine.filePath(QStringLiteral("system.reg")));
    store.registry().machineHive()->setDirty(true);
    ASSERT_TRUE(store.save()) << store.lastError().toStdString();
    EXPECT_EQ(readFile(wine.filePath(QStringLiteral("system.reg"))), before);
}

TEST_F(RegistryInterop, WineReadsExactlyWhatWasWritten)
{
    const QStringList untouchedBefore = wine.query(QStringLiteral("HKCR\\txtfile\\shell\\open\\command"));
    ASSERT_FALSE(untouchedBefore.isEmpty());
    wine.stopServer(); // nobody may write while Wine runs
    const QByteArray fileBefore = readFile(wine.filePath(QStringLiteral("system.reg")));

    {
        PrefixStore store(wine.path());
        QString error;
        ASSERT_TRUE(store.open(error)) << error.toStdString();
        ASSERT_FALSE(store.isReadOnly()) << store.readOnlyReason().toStdString();
        Registry::setCurrent(&store.registry());
        CommandScope batch;
        const QString type = QStringLiteral("varnook.file");
        ASSERT_EQ(setValue(HKEY_CLASSES_ROOT, QStringLiteral(".varnook"), QString(), REG_SZ, regTextBytes(type)), 0);
        ASSERT_EQ(setValue(HKEY_CLASSES_ROOT, QStringLiteral(".varnook"), QStringLiteral("Content Type"), REG_SZ,
                           regTextBytes(QStringLiteral("text/x-varnook"))),
                  0);
        ASSERT_EQ(setValue(HKEY_CLASSES_ROOT, type, QString(), REG_SZ, regTextBytes(QStringLiteral("Varnook \"Test\" File"))), 0);
        ASSERT_EQ(setValue(HKEY_CLASSES_ROOT, type, QStringLiteral("EditFlags"), REG_DWORD, QByteArray("\x04\x00\x01\x00", 4)), 0);
        ASSERT_EQ(setValue(HKEY_CLASSES_ROOT, type, QStringLiteral("Blob"), REG_BINARY, QByteArray(40, '\x5a')), 0);
        ASSERT_EQ(setValue(HKEY_CLASSES_ROOT, type + QStringLiteral("\\DefaultIcon"), QString(), REG_EXPAND_SZ,
                           regTextBytes(QStringLiteral("%SystemRoot%\\system32\\shell32.dll,-2"))),
                  0);
        ASSERT_EQ(setValue(HKEY_CLASSES_ROOT, type + QStringLiteral("\\shell\\open\\command"), QString(), REG_SZ,
                           regTextBytes(QStringLiteral("\"C:\\windows\\notepad.exe\" \"%1\""))),
                  0);
        ASSERT_EQ(setValue(HKEY_CLASSES_ROOT, type + QStringLiteral("\\W\u00f6rter [x]"), QStringLiteral("Caf\u00e9 \u20ac"),
                           REG_SZ, regTextBytes(QStringLiteral("\u4e2d\u6587"))),
                  0);
        ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, QStringLiteral("txtfile\\shell\\print")), 0);
        ASSERT_EQ(setValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Varnook"), QStringLiteral("Test"), REG_SZ,
                           regTextBytes(QStringLiteral("1"))),
                  0);
        ASSERT_EQ(batch.finish(), 0) << store.lastError().toStdString();
        Registry::setCurrent(nullptr);
    }

    // Only the sections of keys that changed differ from what Wine wrote.
    const auto before = sectionsOf(fileBefore);
    const auto after = sectionsOf(readFile(wine.filePath(QStringLiteral("system.reg"))));
    QStringList changed;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (before.value(it.key()) != it.value())
            changed << QString::fromLatin1(it.key());
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!after.contains(it.key()))
            changed << QStringLiteral("-") + QString::fromLatin1(it.key());
    changed.sort();
    EXPECT_EQ(changed, (QStringList{
                           "-[Software\\\\Classes\\\\txtfile\\\\shell\\\\print\\\\command",
                           "[Software\\\\Classes\\\\.varnook",
                           "[Software\\\\Classes\\\\varnook.file",
                           "[Software\\\\Classes\\\\varnook.file\\\\DefaultIcon",
                           "[Software\\\\Classes\\\\varnook.file\\\\W\\xf6rter \\[x\\]",
                           "[Software\\\\Classes\\\\varnook.file\\\\shell\\\\open\\\\command",
                       }));

    EXPECT_EQ(wine.query(QStringLiteral("HKCR\\.varnook")),
              (QStringList{"(Default)|REG_SZ|varnook.file", "Content Type|REG_SZ|text/x-varnook"}));
    EXPECT_EQ(wine.query(QStringLiteral("HKCR\\varnook.file")),
              (QStringList{"(Default)|REG_SZ|Varnook \"Test\" File", "Blob|REG_BINARY|" + QStringLiteral("5A").repeated(40),
                           "EditFlags|REG_DWORD|0x10004"}));
    EXPECT_EQ(wine.query(QStringLiteral("HKCR\\varnook.file\\DefaultIcon")),
              (QStringList{"(Default)|REG_EXPAND_SZ|%SystemRoot%\\system32\\shell32.dll,-2"}));
    EXPECT_EQ(wine.query(QStringLiteral("HKCR\\varnook.file\\shell\\open\\command")),
              (QStringList{"(Default)|REG_SZ|\"C:\\windows\\notepad.exe\" \"%1\""}));
    EXPECT_EQ(wine.query(QStringLiteral("HKCR\\txtfile\\shell\\print")), QStringList());
    EXPECT_EQ(wine.query(QStringLiteral("HKCR\\txtfile\\shell\\open\\command")), untouchedBefore);
    EXPECT_EQ(wine.query(QStringLiteral("HKCU\\Software\\Varnook")), (QStringList{"Test|REG_SZ|1"}));
}

TEST_F(RegistryInterop, ARunningWineServerIsDetected)
{
    wine.startServer();
    {
        PrefixStore store(wine.path());
        QString error;
        ASSERT_TRUE(store.open(error)) << error.toStdString();
        EXPECT_TRUE(store.isReadOnly());
        EXPECT_TRUE(store.readOnlyReason().contains(QStringLiteral("Wine is running")));
    }
    wine.stopServer();
    PrefixStore store(wine.path());
    QString error;
    ASSERT_TRUE(store.open(error)) << error.toStdString();
    EXPECT_FALSE(store.isReadOnly()) << store.readOnlyReason().toStdString();
}

} // namespace
