// The sample registry is what a newcomer without a Wine prefix sees first. These tests hold it to
// two promises: the engine reads it completely and it is already in the exact form the
// engine writes, so the first save changes nothing but what the user changed; and it shows every
// kind of item the tree knows, with the deliberate oddities in place and no accidental ones.

#include "platform/registry/HiveReader.h"
#include "platform/registry/HiveWriter.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryApi.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace {

QByteArray readSample(const QString& name)
{
    QFile file(QStringLiteral(":/sample/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::shared_ptr<Hive> loadSample(const QString& name)
{
    const QByteArray text = readSample(name);
    if (text.isEmpty())
        return nullptr;
    return HiveReader::read(text, name).hive;
}

// Read access to a mounted registry through the same calls the records make.
class Reader {
public:
    explicit Reader(Registry& registry)
        : m_registry(registry)
    {
    }

    bool exists(HKEY root, const QString& path) const
    {
        HKEY key = 0;
        if (m_registry.RegOpenKeyEx(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        m_registry.RegCloseKey(key);
        return true;
    }

    // The value's type and text; nothing when the key or the value is missing.
    std::optional<std::pair<DWORD, QString>> value(HKEY root, const QString& path, const QString& name = {}) const
    {
        HKEY key = 0;
        if (m_registry.RegOpenKeyEx(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD type = 0;
        DWORD size = 0;
        LONG rc = m_registry.RegQueryValueEx(key, name, nullptr, &type, nullptr, &size);
        std::vector<std::uint8_t> data(size);
        if (rc == ERROR_SUCCESS)
            rc = m_registry.RegQueryValueEx(key, name, nullptr, &type, data.data(), &size);
        m_registry.RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            return std::nullopt;
        return std::make_pair(type, regTextFromBytes(data.data(), size));
    }

    QString text(HKEY root, const QString& path, const QString& name = {}) const
    {
        const auto v = value(root, path, name);
        return v ? v->second : QString();
    }

    QStringList subkeys(HKEY root, const QString& path) const
    {
        QStringList names;
        HKEY key = 0;
        if (m_registry.RegOpenKeyEx(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return names;
        for (DWORD i = 0;; ++i) {
            QString name;
            DWORD chars = 260;
            if (m_registry.RegEnumKeyEx(key, i, &name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.append(name);
        }
        m_registry.RegCloseKey(key);
        return names;
    }

    QStringList valueNames(HKEY root, const QString& path) const
    {
        QStringList names;
        HKEY key = 0;
        if (m_registry.RegOpenKeyEx(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return names;
        for (DWORD i = 0;; ++i) {
            QString name;
            DWORD chars = 16384;
            if (m_registry.RegEnumValue(key, i, &name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.append(name);
        }
        m_registry.RegCloseKey(key);
        return names;
    }

private:
    Registry& m_registry;
};

// Copies every key and value the registry shows below `source` into `target` as new keys, each
// marked changed with the time the registry reports for it, so that the writer formats all of it.
void copyAsChanged(Registry& registry, HKEY source, RegKey& target)
{
    for (DWORD i = 0;; ++i) {
        QString name;
        DWORD chars = 260;
        std::int64_t modified = 0;
        if (registry.RegEnumKeyEx(source, i, &name, &chars, nullptr, nullptr, nullptr, &modified) != ERROR_SUCCESS)
            break;
        HKEY child = 0;
        ASSERT_EQ(registry.RegOpenKeyEx(source, name, 0, KEY_READ, &child), ERROR_SUCCESS) << name.toStdString();
        RegKey::Ptr copy = target.addChild(name, modified);
        for (DWORD v = 0;; ++v) {
            QString valueName;
            DWORD nameChars = 16384;
            DWORD type = 0;
            DWORD size = 0;
            if (registry.RegEnumValue(child, v, &valueName, &nameChars, nullptr, &type, nullptr, &size)
                != ERROR_SUCCESS)
                break;
            QByteArray data(qsizetype(size), '\0');
            nameChars = 16384;
            ASSERT_EQ(registry.RegEnumValue(child, v, &valueName, &nameChars, nullptr, &type,
                          reinterpret_cast<std::uint8_t*>(data.data()), &size),
                ERROR_SUCCESS);
            copy->setValue(valueName, type, data);
        }
        copyAsChanged(registry, child, *copy);
        registry.RegCloseKey(child);
        copy->touch(modified);
    }
}

struct SampleFile {
    const char* fileName;
    const char* rootPath;
    HKEY root;
};

void PrintTo(const SampleFile& file, std::ostream* out)
{
    *out << file.fileName;
}

class SampleFileTest : public testing::TestWithParam<SampleFile> { };

TEST_P(SampleFileTest, LoadsCompletelyAndSavesBackUnchanged)
{
    const SampleFile& sample = GetParam();
    const QByteArray text = readSample(QString::fromLatin1(sample.fileName));
    ASSERT_FALSE(text.isEmpty()) << "the sample is not in the library's resources";

    const HiveReader::Result result = HiveReader::read(text, QString::fromLatin1(sample.fileName));
    ASSERT_TRUE(result.hive) << result.error.toStdString();
    EXPECT_EQ(result.hive->problemCount(), 0) << result.hive->problems().join(u'\n').toStdString();
    EXPECT_EQ(HiveWriter::toBytes(*result.hive), text);
}

TEST_P(SampleFileTest, IsAlreadyInTheFormTheWriterGivesChangedKeys)
{
    const SampleFile& sample = GetParam();
    const QByteArray text = readSample(QString::fromLatin1(sample.fileName));
    std::shared_ptr<Hive> hive = loadSample(QString::fromLatin1(sample.fileName));
    ASSERT_TRUE(hive);

    Registry registry;
    if (sample.root == HKEY_CURRENT_USER)
        registry.mountUser(hive, true);
    else
        registry.mountMachine(hive, true);

    Hive rewritten(QString::fromLatin1(sample.rootPath));
    copyAsChanged(registry, sample.root, *rewritten.root());
    const QByteArray bytes = HiveWriter::toBytes(rewritten);

    // Compare line by line first, so that a failure names the first line that differs.
    const QList<QByteArray> expected = text.split('\n');
    const QList<QByteArray> actual = bytes.split('\n');
    for (qsizetype i = 0; i < std::min(expected.size(), actual.size()); ++i)
        ASSERT_EQ(actual[i].toStdString(), expected[i].toStdString()) << "line " << i + 1;
    EXPECT_EQ(bytes, text);
}

INSTANTIATE_TEST_SUITE_P(Sample, SampleFileTest,
    testing::Values(SampleFile {"system.reg", "REGISTRY\\Machine", HKEY_LOCAL_MACHINE},
        SampleFile {"user.reg", "REGISTRY\\User\\S-1-5-21-0-0-0-1000", HKEY_CURRENT_USER}),
    [](const testing::TestParamInfo<SampleFile>& file) {
        return file.param.root == HKEY_CURRENT_USER ? "User" : "Machine";
    });

class SampleContentTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::shared_ptr<Hive> machine = loadSample(QStringLiteral("system.reg"));
        std::shared_ptr<Hive> user = loadSample(QStringLiteral("user.reg"));
        ASSERT_TRUE(machine && user);
        m_registry.mountMachine(machine, true);
        m_registry.mountUser(user, true);
    }

    // Top-level keys of HKEY_CLASSES_ROOT, extensions apart from the rest.
    QStringList extensions() const
    {
        QStringList out;
        for (const QString& name : m_reader.subkeys(HKEY_CLASSES_ROOT, QString()))
            if (name.startsWith(u'.'))
                out.append(name);
        return out;
    }

    struct Handler {
        QString path; // below HKEY_CLASSES_ROOT
        QString clsid; // as the records derive it
        bool emptyDefault = false;
        bool padded = false;
    };

    // Every handler the tree would load: the groups of the default settings table below every
    // top-level key, and each subkey of an extension's own shellex key.
    std::vector<Handler> handlers() const
    {
        struct Group {
            const char* key;
            bool isGroup;
        };
        static constexpr Group kGroups[] = {{"PropertySheetHandlers", true}, {"ContextMenuHandlers", true},
            {"CopyHookHandler", false}, {"DragDropHandlers", true}, {"DataHandler", true}, {"DropHandler", false},
            {"IconHandler", false}, {"ColumnHandlers", true}};
        std::vector<Handler> out;
        auto add = [&](const QString& path, const QString& memberName) {
            const auto v = m_reader.value(HKEY_CLASSES_ROOT, path);
            if (!v)
                return;
            const QString trimmed = v->second.trimmed();
            out.push_back({path, trimmed.isEmpty() ? memberName : trimmed, v->second.isEmpty(), trimmed != v->second});
        };
        for (const QString& host : m_reader.subkeys(HKEY_CLASSES_ROOT, QString())) {
            const QString shellex = host + QStringLiteral("\\shellex");
            if (!m_reader.exists(HKEY_CLASSES_ROOT, shellex))
                continue;
            if (host.startsWith(u'.')) {
                for (const QString& name : m_reader.subkeys(HKEY_CLASSES_ROOT, shellex))
                    add(shellex + u'\\' + name, name);
                continue;
            }
            for (const Group& group : kGroups) {
                const QString groupPath = shellex + u'\\' + QLatin1String(group.key);
                if (!group.isGroup) {
                    add(groupPath, QLatin1String(group.key));
                    continue;
                }
                for (const QString& member : m_reader.subkeys(HKEY_CLASSES_ROOT, groupPath))
                    add(groupPath + u'\\' + member, member);
            }
        }
        return out;
    }

    Registry m_registry;
    Reader m_reader {m_registry};
};

TEST_F(SampleContentTest, EverySpecialTypeOfTheSettingsTableIsThere)
{
    int withoutName = 0;
    for (const char* name :
        {"Folder", "*", "Drive", "AllFileSystemObjects", "AudioCD", "DVDFile", "DVD", "Directory", "Printers"}) {
        const QString key = QString::fromLatin1(name);
        EXPECT_TRUE(m_reader.exists(HKEY_CLASSES_ROOT, key)) << name;
        if (!m_reader.value(HKEY_CLASSES_ROOT, key))
            ++withoutName;
    }
    // Types without a description of their own show the table's name instead.
    EXPECT_GT(withoutName, 0);
    EXPECT_LT(withoutName, 9);
}

TEST_F(SampleContentTest, ExtensionsNameExistingTypesExceptTheDeliberateOrphans)
{
    const QStringList all = extensions();
    EXPECT_GE(all.size(), 60);
    EXPECT_LE(all.size(), 100);

    QStringList orphans;
    QMap<QString, QSet<QString>> spellingsByType; // lower-case type -> default values naming it
    for (const QString& ext : all) {
        const QString type = m_reader.text(HKEY_CLASSES_ROOT, ext);
        if (type.isEmpty() || !m_reader.exists(HKEY_CLASSES_ROOT, type))
            orphans.append(ext);
        else
            spellingsByType[type.toLower()].insert(type);
    }
    orphans.sort();
    EXPECT_EQ(orphans, (QStringList {".bak", ".dat", ".tmp", ".xls"}));
    EXPECT_FALSE(m_reader.value(HKEY_CLASSES_ROOT, QStringLiteral(".bak"))) << "one orphan has no default value";

    int typesWithTwoSpellings = 0;
    for (const QSet<QString>& spellings : spellingsByType)
        typesWithTwoSpellings += spellings.size() > 1 ? 1 : 0;
    EXPECT_GE(typesWithTwoSpellings, 1) << "two extensions should name one type in different letter case";
}

TEST_F(SampleContentTest, HandlersNameExistingClassesExceptTheDeliberateOne)
{
    const std::vector<Handler> all = handlers();
    QStringList missing;
    QSet<QString> groupsSeen;
    int approved = 0;
    int emptyDefaults = 0;
    int padded = 0;
    for (const Handler& h : all) {
        const QStringList parts = h.path.split(u'\\');
        if (!parts.front().startsWith(u'.'))
            groupsSeen.insert(parts.at(2));
        if (!m_reader.exists(HKEY_CLASSES_ROOT, QStringLiteral("CLSID\\") + h.clsid))
            missing.append(h.path);
        if (m_reader.value(HKEY_LOCAL_MACHINE,
                QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved"), h.clsid))
            ++approved;
        emptyDefaults += h.emptyDefault ? 1 : 0;
        padded += h.padded ? 1 : 0;
    }
    EXPECT_EQ(missing, QStringList {QStringLiteral("*\\shellex\\ContextMenuHandlers\\SyncMenu")});
    EXPECT_EQ(groupsSeen.size(), 8) << "every group of the settings table has a handler somewhere";
    EXPECT_GT(approved, 0);
    EXPECT_LT(approved, int(all.size())) << "some handlers must be left unapproved";
    EXPECT_GE(emptyDefaults, 1) << "a member named by its CLSID, with an empty default value";
    EXPECT_GE(padded, 1) << "a CLSID with blanks around it";
}

TEST_F(SampleContentTest, ClassesOfHandlersHaveAnInProcessServer)
{
    for (const Handler& h : handlers()) {
        const QString server = QStringLiteral("CLSID\\") + h.clsid + QStringLiteral("\\InprocServer32");
        if (!m_reader.exists(HKEY_CLASSES_ROOT, QStringLiteral("CLSID\\") + h.clsid))
            continue; // the deliberately missing class, checked above
        EXPECT_FALSE(m_reader.text(HKEY_CLASSES_ROOT, server).isEmpty()) << h.path.toStdString();
        EXPECT_TRUE(m_reader.value(HKEY_CLASSES_ROOT, server, QStringLiteral("ThreadingModel")))
            << h.path.toStdString();
    }
}

TEST_F(SampleContentTest, EveryVerbHasACommand)
{
    for (const QString& host : m_reader.subkeys(HKEY_CLASSES_ROOT, QString())) {
        const QString shell = host + QStringLiteral("\\shell");
        for (const QString& verb : m_reader.subkeys(HKEY_CLASSES_ROOT, shell)) {
            const QString path = shell + u'\\' + verb + QStringLiteral("\\command");
            EXPECT_FALSE(m_reader.text(HKEY_CLASSES_ROOT, path).isEmpty()) << path.toStdString();
        }
    }
}

// Icons in shell32.dll must name one of the sixteen icons of the stand-in library, so that a
// prefix without shell32.dll still shows the intended picture.
TEST_F(SampleContentTest, Shell32IconsUseTheStandInLibrarysIndexes)
{
    QStringList owners = m_reader.subkeys(HKEY_CLASSES_ROOT, QString());
    for (const QString& clsid : m_reader.subkeys(HKEY_CLASSES_ROOT, QStringLiteral("CLSID")))
        owners.append(QStringLiteral("CLSID\\") + clsid);
    int checked = 0;
    for (const QString& owner : owners) {
        const QString path = owner + QStringLiteral("\\DefaultIcon");
        for (const QString& name : m_reader.valueNames(HKEY_CLASSES_ROOT, path)) {
            const QString location = m_reader.text(HKEY_CLASSES_ROOT, path, name);
            const qsizetype comma = location.lastIndexOf(u',');
            if (!location.left(comma).endsWith(QStringLiteral("\\shell32.dll"), Qt::CaseInsensitive))
                continue;
            bool ok = false;
            const int index = location.mid(comma + 1).toInt(&ok);
            EXPECT_TRUE(ok && index >= -16 && index <= 15) << path.toStdString() << " " << location.toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST_F(SampleContentTest, MimeTypesNameExistingExtensionsAndClasses)
{
    const QString database = QStringLiteral("MIME\\Database\\Content Type");
    const QStringList types = m_reader.subkeys(HKEY_CLASSES_ROOT, database);
    EXPECT_GE(types.size(), 10);
    int imageFilters = 0;
    for (const QString& type : types) {
        const QString path = database + u'\\' + type;
        const QString extension = m_reader.text(HKEY_CLASSES_ROOT, path, QStringLiteral("Extension"));
        EXPECT_TRUE(extension.startsWith(u'.') && m_reader.exists(HKEY_CLASSES_ROOT, extension)) << path.toStdString();
        for (const char* name : {"CLSID", "Image Filter CLSID"}) {
            const QString clsid = m_reader.text(HKEY_CLASSES_ROOT, path, QLatin1String(name));
            if (!clsid.isEmpty()) {
                EXPECT_TRUE(m_reader.exists(HKEY_CLASSES_ROOT, QStringLiteral("CLSID\\") + clsid))
                    << path.toStdString();
            }
        }
        if (m_reader.value(HKEY_CLASSES_ROOT, path, QStringLiteral("Image Filter CLSID"))) {
            EXPECT_TRUE(type.startsWith(QStringLiteral("image"))) << path.toStdString();
            ++imageFilters;
        }
    }
    EXPECT_GT(imageFilters, 0);
}

// The icon extractor expands %SystemRoot%, %ProgramFiles% and friends from these values.
TEST_F(SampleContentTest, HoldsThePathsThatIconLocationsExpandFrom)
{
    struct Expected {
        HKEY root;
        const char* path;
        const char* name;
        DWORD type;
    };
    const Expected expected[] = {
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", REG_SZ},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", REG_SZ},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir (x86)", REG_SZ},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir", REG_SZ},
        {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager\\Environment", "windir",
            REG_EXPAND_SZ},
        {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager\\Environment", "ComSpec",
            REG_EXPAND_SZ},
        {HKEY_CURRENT_USER, "Volatile Environment", "USERPROFILE", REG_SZ},
        {HKEY_CURRENT_USER, "Volatile Environment", "APPDATA", REG_SZ},
        {HKEY_CURRENT_USER, "Volatile Environment", "LOCALAPPDATA", REG_SZ},
        {HKEY_CURRENT_USER, "Environment", "TEMP", REG_EXPAND_SZ},
    };
    for (const Expected& e : expected) {
        const auto v = m_reader.value(e.root, QLatin1String(e.path), QLatin1String(e.name));
        ASSERT_TRUE(v) << e.path << " " << e.name;
        EXPECT_EQ(v->first, e.type) << e.name;
        EXPECT_TRUE(v->second.startsWith(QStringLiteral("C:\\")) || v->second.startsWith(u'%')) << e.name;
    }
    EXPECT_EQ(m_reader.text(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion"),
                  QStringLiteral("SystemRoot")),
        QStringLiteral("C:\\windows"));
}

} // namespace
