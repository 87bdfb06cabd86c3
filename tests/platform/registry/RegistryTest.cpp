#include "platform/registry/RegistryApi.h"
#include "platform/registry/CommandScope.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

// A registry of one empty machine hive with HKEY_CLASSES_ROOT present, current for the test.
class RegistryTest : public ::testing::Test {
protected:
    RegistryTest()
    {
        auto hive = std::make_shared<Hive>(u"REGISTRY\\Machine"_s);
        hive->root()->addChild(u"Software"_s, 1)->addChild(u"Classes"_s, 1);
        registry.mountMachine(hive);
        registry.setCommitHandler([this] {
            ++commits;
            return true;
        });
        Registry::setCurrent(&registry);
    }
    ~RegistryTest() override { Registry::setCurrent(nullptr); }

    static LONG createKey(HKEY parent, const QString& path, REGSAM access, HKEY* key, DWORD* disposition = nullptr)
    {
        return RegCreateKeyEx(parent, path, 0, QString(), 0, access, nullptr, key, disposition);
    }

    // A key below HKEY_CLASSES_ROOT with full access.
    HKEY create(const QString& path, DWORD* disposition = nullptr)
    {
        HKEY key = 0;
        EXPECT_EQ(createKey(HKEY_CLASSES_ROOT, path, KEY_ALL_ACCESS, &key, disposition), ERROR_SUCCESS);
        return key;
    }

    static LONG setText(HKEY key, const QString& name, const QString& text)
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
    HKEY a = create(u"MyType\\shell\\Open"_s, &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY b = create(u"mytype\\SHELL\\open\\"_s, &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    HKEY shell = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"MYTYPE\\shell"_s, 0, KEY_READ, &shell), ERROR_SUCCESS);
    QString name;
    DWORD chars = 260;
    ASSERT_EQ(RegEnumKeyEx(shell, 0, &name, &chars), ERROR_SUCCESS);
    EXPECT_EQ(name, u"Open"_s);
    for (HKEY k : {a, b, shell})
        RegCloseKey(k);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST_F(RegistryTest, PathAndNameLimits)
{
    // 512 levels below the hive root at most; HKEY_CLASSES_ROOT itself is two deep.
    const QString deepest = QStringList(510, u"d"_s).join(u'\\');
    const struct {
        QString path;
        LONG expected;
    } cases[] = {
        {u"\\lead"_s, ERROR_BAD_PATHNAME},
        {u"a\\\\b"_s, ERROR_BAD_PATHNAME},
        {QString(256, u'n'), ERROR_INVALID_PARAMETER},
        {QString(255, u'n'), ERROR_SUCCESS},
        {deepest, ERROR_SUCCESS},
        {deepest + u"\\one"_s, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        HKEY key = 0;
        EXPECT_EQ(createKey(HKEY_CLASSES_ROOT, c.path, KEY_ALL_ACCESS, &key), c.expected)
            << c.path.left(10).toStdString();
        if (c.expected == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    HKEY k = create(u"v"_s);
    EXPECT_EQ(setText(k, QString(16384, u'v'), u"x"_s), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(setText(k, QString(16383, u'v'), u"x"_s), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(k, u"n"_s, 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
    RegCloseKey(k);
}

TEST_F(RegistryTest, AccessRightsAreEnforced)
{
    RegCloseKey(create(u"t\\sub"_s));
    HKEY read = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"t"_s, 0, KEY_READ, &read), ERROR_SUCCESS);
    HKEY created = 0;
    EXPECT_EQ(setText(read, u"x"_s, u"y"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(read, u"x"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(read, u"sub"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTree(read, u"sub"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(createKey(read, u"new"_s, KEY_ALL_ACCESS, &created), ERROR_ACCESS_DENIED);
    // Opening an existing key below a read-only handle is not a change.
    EXPECT_EQ(createKey(read, u"sub"_s, KEY_READ, &created), ERROR_SUCCESS);
    RegCloseKey(created);

    HKEY setOnly = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"t"_s, 0, KEY_SET_VALUE, &setOnly), ERROR_SUCCESS);
    EXPECT_EQ(setText(setOnly, u"x"_s, u"y"_s), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(setOnly, u"x"_s, nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    RegCloseKey(setOnly);
    RegCloseKey(read);
}

TEST_F(RegistryTest, ReadOnlyHiveRefusesEveryChange)
{
    RegCloseKey(create(u"t"_s));
    registry.mountMachine(registry.machineHive(), true);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"t"_s, 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(createKey(HKEY_CLASSES_ROOT, u"u"_s, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, u"t"_s), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"t"_s, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(RegistryTest, QueriesFollowTheBufferProtocol)
{
    HKEY key = create(u"q"_s);
    ASSERT_EQ(setText(key, u"ten"_s, u"0123456789"_s), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, u"TEN"_s, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 22u);
    std::uint8_t small[10];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key, u"ten"_s, nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 22u);
    std::uint8_t big[64];
    size = sizeof big;
    EXPECT_EQ(RegQueryValueEx(key, u"ten"_s, nullptr, &type, big, &size), ERROR_SUCCESS);
    EXPECT_EQ(regTextFromBytes(big, size), u"0123456789"_s);
    EXPECT_EQ(RegQueryValueEx(key, u"missing"_s, nullptr, &type, big, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValue(key, u"missing"_s), ERROR_FILE_NOT_FOUND);

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
    EXPECT_EQ(name, u"ten"_s);
    chars = 260;
    EXPECT_EQ(RegEnumValue(key, 2, &name, &chars, nullptr, &type, data, &dataSize), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryTest, ABufferWithoutItsSizeIsRefusedBeforeAnythingIsLookedUp)
{
    HKEY key = create(u"q"_s);
    ASSERT_EQ(setText(key, u"v"_s, u"text"_s), ERROR_SUCCESS);
    std::uint8_t data[64];
    QString name;
    DWORD chars = 260;
    const DWORD untouched = 0xeeeeeeee;
    DWORD type = untouched;
    // Refused as a wrong call whether or not the value, the index or even the handle exists, and
    // the type is left alone.
    for (const HKEY handle : {key, HKEY(0x12345)}) {
        for (const QString& valueName : {u"v"_s, u"missing"_s})
            EXPECT_EQ(RegQueryValueEx(handle, valueName, nullptr, &type, data, nullptr), ERROR_INVALID_PARAMETER);
        for (const DWORD index : {0u, 7u})
            EXPECT_EQ(RegEnumValue(handle, index, &name, &chars, nullptr, &type, data, nullptr),
                      ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(type, untouched);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AnEnumeratedNameTooLongStillTellsTheValuesTypeAndSize)
{
    HKEY key = create(u"q"_s);
    ASSERT_EQ(setText(key, u"long name"_s, u"0123456789"_s), ERROR_SUCCESS);
    QString name;
    DWORD chars = 3;
    DWORD type = 0;
    std::uint8_t data[64];
    DWORD size = sizeof data;
    EXPECT_EQ(RegEnumValue(key, 0, &name, &chars, nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 22u);
    EXPECT_EQ(chars, 3u); // the name's length is what the caller has to find out by trying again
    size = 0;
    EXPECT_EQ(RegEnumValue(key, 0, &name, &chars, nullptr, &type, nullptr, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 22u);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AHandleWithoutTheRightIsRefusedEvenWhenItsKeyIsGone)
{
    HKEY read = 0;
    RegCloseKey(create(u"gone"_s));
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"gone"_s, 0, KEY_READ, &read), ERROR_SUCCESS);
    HKEY enumOnly = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"gone"_s, 0, KEY_ENUMERATE_SUB_KEYS, &enumOnly), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, u"gone"_s), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(setText(read, u"x"_s, u"y"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(read, u"x"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueEx(enumOnly, u"x"_s, nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    // With the right, the handle tells that its key was deleted.
    EXPECT_EQ(RegQueryValueEx(read, u"x"_s, nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    QString name;
    DWORD chars = 260;
    EXPECT_EQ(RegEnumKeyEx(enumOnly, 0, &name, &chars), ERROR_KEY_DELETED);
    RegCloseKey(read);
    RegCloseKey(enumOnly);
}

TEST_F(RegistryTest, DeletingAcceptsATrailingSeparatorAsOpeningDoes)
{
    RegCloseKey(create(u"t\\leaf"_s));
    RegCloseKey(create(u"t\\tree\\inner"_s));
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, u"t\\leaf\\"_s), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, u"t\\tree\\"_s), ERROR_SUCCESS);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"t\\leaf"_s, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"t\\tree"_s, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"t"_s, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    // Still refused: a path that starts with one, or has an empty name inside.
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, u"\\t"_s), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, u"t\\\\x"_s), ERROR_BAD_PATHNAME);
}

TEST_F(RegistryTest, ValuesKeepTheirTypesAndBytes)
{
    HKEY key = create(u"types"_s);
    const struct {
        QString name;
        DWORD type;
        QByteArray data;
    } cases[] = {
        {u"none"_s, REG_NONE, QByteArray()},
        {u"bin"_s, REG_BINARY, QByteArray("\x00\xff\x10", 3)},
        {u"dword"_s, REG_DWORD, QByteArray("\x01\x00\x00\x00", 4)},
        {u"qword"_s, REG_QWORD, QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {u"expand"_s, REG_EXPAND_SZ, regTextBytes(u"%SystemRoot%"_s)},
        {u"odd"_s, 0x4242, QByteArray("xyz", 3)},
    };
    for (const auto& c : cases)
        ASSERT_EQ(RegSetValueEx(key, c.name, 0, c.type, reinterpret_cast<const std::uint8_t*>(c.data.constData()),
                                DWORD(c.data.size())),
                  ERROR_SUCCESS);
    for (const auto& c : cases) {
        std::uint8_t buffer[64];
        DWORD size = sizeof buffer;
        DWORD type = 0;
        ASSERT_EQ(RegQueryValueEx(key, c.name, nullptr, &type, buffer, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type) << c.name.toStdString();
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size)), c.data) << c.name.toStdString();
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
    RegCloseKey(create(u"verb\\command"_s));
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, u"verb"_s), ERROR_ACCESS_DENIED); // has a subkey
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, u"nothing"_s), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, u"VERB"_s), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, u"verb"_s), ERROR_FILE_NOT_FOUND);

    // Emptying a key keeps the key itself.
    RegCloseKey(create(u"keep\\a\\b"_s));
    HKEY keep = create(u"keep"_s);
    ASSERT_EQ(setText(keep, u"v"_s, u"1"_s), ERROR_SUCCESS);
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
    HKEY inner = create(u"gone\\inner"_s);
    HKEY outer = create(u"gone"_s);
    ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, u"gone"_s), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(inner, QString(), nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(setText(outer, u"x"_s, u"y"_s), ERROR_KEY_DELETED);
    HKEY sub = 0;
    EXPECT_EQ(createKey(outer, u"again"_s, KEY_ALL_ACCESS, &sub), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(inner), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(outer), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(outer), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueEx(0x12345, QString(), nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ClassesRootIsMachineSoftwareClasses)
{
    RegCloseKey(create(u".txt"_s));
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE\\classes\\.TXT"_s, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    // Without Software\Classes there is no HKEY_CLASSES_ROOT.
    registry.mountMachine(std::make_shared<Hive>());
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QString(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ChangesCommitOncePerBatch)
{
    {
        CommandScope batch;
        HKEY key = create(u"batched"_s);
        setText(key, u"a"_s, u"1"_s);
        setText(key, u"b"_s, u"2"_s);
        RegCloseKey(key);
        {
            CommandScope inner;
            RegDeleteValue(key, u"a"_s);
        }
        EXPECT_EQ(commits, 0);
    }
    EXPECT_EQ(commits, 1);
    // Reads never commit; every change outside a batch does.
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"batched"_s, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(commits, 1);
    setText(key, u"c"_s, u"3"_s);
    EXPECT_EQ(commits, 2);
    RegCloseKey(key);
}

TEST_F(RegistryTest, OnlyTheOutermostScopeSavesAndItsOutcomeIsTheCommands)
{
    bool saves = true;
    registry.setCommitHandler([&] {
        ++commits;
        return saves;
    });
    const struct {
        const char* label;
        bool saveSucceeds;
        long commandResult;
        long outcome;
    } cases[] = {
        {"saved", true, 0, 0},
        {"save failed", false, 0, ERROR_CANTWRITE},
        {"the command's own failure comes first", false, 2005, 2005},
        {"a failed command's changes are still saved", true, 2005, 2005},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        saves = c.saveSucceeds;
        commits = 0;
        CommandScope command;
        {
            CommandScope inner;
            RegCloseKey(create(QString::fromLatin1(c.label)));
            EXPECT_EQ(inner.finish(c.commandResult), c.commandResult);
        }
        EXPECT_EQ(commits, 0);
        EXPECT_EQ(command.finish(c.commandResult), c.outcome);
        EXPECT_EQ(commits, 1);
        EXPECT_EQ(command.finish(), 0) << "a second finish saves nothing more";
        EXPECT_EQ(commits, 1);
    }
}

TEST_F(RegistryTest, WithoutARegistryEveryCallFailsCleanly)
{
    Registry::setCurrent(nullptr);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"x"_s, 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    CommandScope batch; // must not crash either
}

TEST(RegKeyNames, CompareByWindowsCaseTableAsWineDoes)
{
    const struct {
        QString a;
        QString b;
        bool same;
    } cases[] = {
        {u"\u03A9mega"_s, u"\u03C9MEGA"_s, true},  // Greek
        {u"\u0410\u0411"_s, u"\u0430\u0431"_s, true}, // Cyrillic
        {u"\u01C4"_s, u"\u01C6"_s, true},          // DZ with caron, upper and lower
        {u"\u01C5"_s, u"\u01C6"_s, false},         // its titlecase form has no lowercase in the table
        {u"\u01C5"_s, u"\u01C4"_s, false},
        {u"\u212Aelvin"_s, u"kelvin"_s, false},    // Kelvin sign
        {u"\u2126"_s, u"\u03C9"_s, false},         // Ohm sign
        {u"\u212B"_s, u"\u00E5"_s, false},         // Angstrom sign
        {u"\u1E9E"_s, u"\u00DF"_s, false},         // capital sharp s
        {u"Stra\u00DFe"_s, u"STRASSE"_s, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RegKey::compareNames(c.a, c.b) == 0, c.same) << c.a.toStdString() << " / " << c.b.toStdString();
}

TEST_F(RegistryTest, NamesOnlyWindowsTellsApartAreTwoKeysInWinesOrder)
{
    DWORD disposition = 0;
    RegCloseKey(create(u"n\\kelvin"_s, &disposition));
    RegCloseKey(create(u"n\\\u212Aelvin"_s, &disposition));
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(create(u"n\\\u0430"_s, &disposition));
    HKEY n = create(u"n"_s);
    QStringList names;
    for (DWORD i = 0;; ++i) {
        QString name;
        DWORD chars = 260;
        if (RegEnumKeyEx(n, i, &name, &chars) != ERROR_SUCCESS)
            break;
        names << name;
    }
    EXPECT_EQ(names, (QStringList{u"kelvin"_s, u"\u0430"_s, u"\u212Aelvin"_s}));
    RegCloseKey(n);
}

} // namespace
