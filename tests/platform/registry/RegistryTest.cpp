#include "platform/registry/RegistryApi.h"
#include "platform/registry/RegistryBatch.h"

#include <gtest/gtest.h>

namespace {

// A registry of one empty machine hive with HKEY_CLASSES_ROOT present, current for the test.
class RegistryTest : public ::testing::Test {
protected:
    RegistryTest()
    {
        auto hive = std::make_shared<Hive>(QStringLiteral("REGISTRY\\Machine"));
        hive->root()->addChild(QStringLiteral("Software"), 1)->addChild(QStringLiteral("Classes"), 1);
        registry.mountMachine(hive);
        registry.setCommitHandler([this] {
            ++commits;
            return true;
        });
        Registry::setCurrent(&registry);
    }
    ~RegistryTest() override { Registry::setCurrent(nullptr); }

    HKEY create(const QString& path, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr)
    {
        HKEY key = 0;
        EXPECT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, path, 0, QString(), REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                                 disposition),
                  ERROR_SUCCESS);
        return key;
    }

    LONG setText(HKEY key, const QString& name, const QString& text)
    {
        const QByteArray data = regTextBytes(text);
        return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.constData()),
                             DWORD(data.size()));
    }

    Registry registry;
    int commits = 0;
};

TEST_F(RegistryTest, CreateReportsDispositionAndKeepsTheFirstSpelling)
{
    DWORD disposition = 0;
    HKEY a = create(QStringLiteral("MyType\\shell\\Open"), KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY b = create(QStringLiteral("mytype\\SHELL\\open\\"), KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    HKEY shell = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("MYTYPE\\shell"), 0, KEY_READ, &shell), ERROR_SUCCESS);
    QString name;
    DWORD chars = 260;
    ASSERT_EQ(RegEnumKeyEx(shell, 0, &name, &chars), ERROR_SUCCESS);
    EXPECT_EQ(name, QStringLiteral("Open"));
    for (HKEY k : {a, b, shell})
        RegCloseKey(k);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST_F(RegistryTest, PathAndNameLimits)
{
    HKEY key = 0;
    struct Case {
        QString path;
        LONG expected;
    } cases[] = {
        {QStringLiteral("\\lead"), ERROR_BAD_PATHNAME},
        {QStringLiteral("a\\\\b"), ERROR_BAD_PATHNAME},
        {QString(256, u'n'), ERROR_INVALID_PARAMETER},
        {QString(255, u'n'), ERROR_SUCCESS},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, c.path, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  c.expected)
            << c.path.left(10).toStdString();
        if (c.expected == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    HKEY k = create(QStringLiteral("v"));
    EXPECT_EQ(setText(k, QString(16384, u'v'), QStringLiteral("x")), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(setText(k, QString(16383, u'v'), QStringLiteral("x")), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(k, QStringLiteral("n"), 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
    RegCloseKey(k);

    // 512 levels below the hive root at most; HKEY_CLASSES_ROOT itself is two deep.
    QStringList parts;
    for (int i = 0; i < 510; ++i)
        parts << QStringLiteral("d");
    HKEY deep = create(parts.join(u'\\'));
    RegCloseKey(deep);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, parts.join(u'\\') + QStringLiteral("\\one"), 0, QString(), 0,
                             KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, AccessRightsAreEnforced)
{
    RegCloseKey(create(QStringLiteral("t\\sub")));
    HKEY read = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("t"), 0, KEY_READ, &read), ERROR_SUCCESS);
    HKEY created = 0;
    EXPECT_EQ(setText(read, QStringLiteral("x"), QStringLiteral("y")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(read, QStringLiteral("x")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(read, QStringLiteral("sub")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTree(read, QStringLiteral("sub")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyEx(read, QStringLiteral("new"), 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &created, nullptr),
              ERROR_ACCESS_DENIED);
    // Opening an existing key below a read-only handle is not a change.
    EXPECT_EQ(RegCreateKeyEx(read, QStringLiteral("sub"), 0, QString(), 0, KEY_READ, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(created);

    HKEY setOnly = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("t"), 0, KEY_SET_VALUE, &setOnly), ERROR_SUCCESS);
    EXPECT_EQ(setText(setOnly, QStringLiteral("x"), QStringLiteral("y")), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(setOnly, QStringLiteral("x"), nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    RegCloseKey(setOnly);
    RegCloseKey(read);
}

TEST_F(RegistryTest, ReadOnlyHiveRefusesEveryChange)
{
    RegCloseKey(create(QStringLiteral("t")));
    registry.mountMachine(registry.machineHive(), true);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("t"), 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("u"), 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, QStringLiteral("t")), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("t"), 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(RegistryTest, QueriesFollowTheBufferProtocol)
{
    HKEY key = create(QStringLiteral("q"));
    ASSERT_EQ(setText(key, QStringLiteral("ten"), QStringLiteral("0123456789")), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, QStringLiteral("TEN"), nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 22u);
    std::uint8_t small[10];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key, QStringLiteral("ten"), nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 22u);
    std::uint8_t big[64];
    size = sizeof big;
    EXPECT_EQ(RegQueryValueEx(key, QStringLiteral("ten"), nullptr, &type, big, &size), ERROR_SUCCESS);
    EXPECT_EQ(regTextFromBytes(big, size), QStringLiteral("0123456789"));
    EXPECT_EQ(RegQueryValueEx(key, QStringLiteral("missing"), nullptr, &type, big, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValue(key, QStringLiteral("missing")), ERROR_FILE_NOT_FOUND);

    // A fresh key has no default value; an empty one is a different thing.
    size = sizeof big;
    EXPECT_EQ(RegQueryValueEx(key, QString(), nullptr, &type, big, &size), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(setText(key, QString(), QString()), ERROR_SUCCESS);
    size = sizeof big;
    EXPECT_EQ(RegQueryValueEx(key, QString(), nullptr, &type, big, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);

    // Enumeration: the name buffer must hold the name and its NUL.
    QString name;
    DWORD chars = 3;
    std::uint8_t data[64];
    DWORD dataSize = sizeof data;
    EXPECT_EQ(RegEnumValue(key, 1, &name, &chars, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    chars = 4;
    EXPECT_EQ(RegEnumValue(key, 1, &name, &chars, nullptr, &type, data, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(name, QStringLiteral("ten"));
    chars = 260;
    EXPECT_EQ(RegEnumValue(key, 2, &name, &chars, nullptr, &type, data, &dataSize), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryTest, ValuesKeepTheirTypesAndBytes)
{
    HKEY key = create(QStringLiteral("types"));
    const struct {
        const char* name;
        DWORD type;
        QByteArray data;
    } cases[] = {
        {"none", REG_NONE, QByteArray()},
        {"bin", REG_BINARY, QByteArray("\x00\xff\x10", 3)},
        {"dword", REG_DWORD, QByteArray("\x01\x00\x00\x00", 4)},
        {"qword", REG_QWORD, QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {"expand", REG_EXPAND_SZ, regTextBytes(QStringLiteral("%SystemRoot%"))},
        {"odd", 0x4242, QByteArray("xyz", 3)},
    };
    for (const auto& c : cases)
        ASSERT_EQ(RegSetValueEx(key, QString::fromLatin1(c.name), 0, c.type,
                                reinterpret_cast<const std::uint8_t*>(c.data.constData()), DWORD(c.data.size())),
                  ERROR_SUCCESS);
    for (const auto& c : cases) {
        std::uint8_t buffer[64];
        DWORD size = sizeof buffer;
        DWORD type = 0;
        ASSERT_EQ(RegQueryValueEx(key, QString::fromLatin1(c.name), nullptr, &type, buffer, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size)), c.data) << c.name;
    }
    DWORD values = 0;
    DWORD maxName = 0;
    DWORD maxData = 0;
    ASSERT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, &maxName, &maxData,
                              nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 6u);
    EXPECT_EQ(maxName, 6u);
    EXPECT_EQ(maxData, 26u);
    RegCloseKey(key);
}

TEST_F(RegistryTest, DeletingKeys)
{
    RegCloseKey(create(QStringLiteral("verb\\command")));
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, QStringLiteral("verb")), ERROR_ACCESS_DENIED); // has a subkey
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, QStringLiteral("nothing")), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, QStringLiteral("VERB")), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, QStringLiteral("verb")), ERROR_FILE_NOT_FOUND);

    // Emptying a key keeps the key itself.
    HKEY keep = create(QStringLiteral("keep\\a\\b"));
    RegCloseKey(keep);
    keep = create(QStringLiteral("keep"));
    ASSERT_EQ(setText(keep, QStringLiteral("v"), QStringLiteral("1")), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(keep, QString()), ERROR_SUCCESS);
    DWORD subKeys = 9;
    DWORD values = 9;
    ASSERT_EQ(RegQueryInfoKey(keep, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                              nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(values, 0u);
    RegCloseKey(keep);
}

TEST_F(RegistryTest, HandlesToDeletedKeysAnswerKeyDeleted)
{
    HKEY inner = create(QStringLiteral("gone\\inner"));
    HKEY outer = create(QStringLiteral("gone"));
    ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, QStringLiteral("gone")), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(inner, QString(), nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(setText(outer, QStringLiteral("x"), QStringLiteral("y")), ERROR_KEY_DELETED);
    HKEY sub = 0;
    EXPECT_EQ(RegCreateKeyEx(outer, QStringLiteral("again"), 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(inner), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(outer), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(outer), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueEx(0x12345, QString(), nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ClassesRootIsMachineSoftwareClasses)
{
    RegCloseKey(create(QStringLiteral(".txt")));
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\classes\\.TXT"), 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    // Without Software\Classes there is no HKEY_CLASSES_ROOT.
    registry.mountMachine(std::make_shared<Hive>());
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QString(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ChangesCommitOncePerBatch)
{
    {
        RegistryBatch batch;
        HKEY key = create(QStringLiteral("batched"));
        setText(key, QStringLiteral("a"), QStringLiteral("1"));
        setText(key, QStringLiteral("b"), QStringLiteral("2"));
        RegCloseKey(key);
        {
            RegistryBatch inner;
            RegDeleteValue(key, QStringLiteral("a"));
        }
        EXPECT_EQ(commits, 0);
    }
    EXPECT_EQ(commits, 1);
    // Reads never commit; every change outside a batch does.
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("batched"), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(commits, 1);
    setText(key, QStringLiteral("c"), QStringLiteral("3"));
    EXPECT_EQ(commits, 2);
    RegCloseKey(key);
}

TEST_F(RegistryTest, WithoutARegistryEveryCallFailsCleanly)
{
    Registry::setCurrent(nullptr);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("x"), 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    RegistryBatch batch; // must not crash either
}

} // namespace
