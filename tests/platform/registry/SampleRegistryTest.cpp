// The sample registry is what a newcomer without a Wine prefix sees first. These tests hold it to
// two promises: the engine reads it completely and it is already in the exact form the
// engine writes, so the first save changes nothing but what the user changed; and it shows every
// kind of item the tree knows, with the deliberate oddities in place and no accidental ones.

#include "platform/registry/HiveReader.h"
#include "platform/registry/HiveWriter.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/RegistryProbe.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QSet>

#include <ostream>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

QByteArray readSample(const char* name)
{
    QFile file(u":/sample/"_s + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::shared_ptr<Hive> loadSample(const char* name)
{
    return HiveReader::read(readSample(name), QString::fromLatin1(name)).hive;
}

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

TEST_P(SampleFileTest, LoadsCompletelyAndIsAlreadyInTheFormTheWriterGives)
{
    const SampleFile& sample = GetParam();
    const QByteArray text = readSample(sample.fileName);
    ASSERT_FALSE(text.isEmpty()) << "the sample is not in the library's resources";

    const HiveReader::Result result = HiveReader::read(text, QString::fromLatin1(sample.fileName));
    ASSERT_TRUE(result.hive) << result.error.toStdString();
    EXPECT_EQ(result.hive->problemCount(), 0) << result.hive->problems().join(u'\n').toStdString();
    EXPECT_EQ(HiveWriter::toBytes(*result.hive), text);

    // Every key written anew, as the writer writes changed keys, must give the same text too.
    Registry registry;
    if (sample.root == HKEY_CURRENT_USER)
        registry.mountUser(result.hive, true);
    else
        registry.mountMachine(result.hive, true);
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

// Both sample hives mounted read-only as the current registry, read through the calls the records make.
class SampleContentTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::shared_ptr<Hive> machine = loadSample("system.reg");
        std::shared_ptr<Hive> user = loadSample("user.reg");
        ASSERT_TRUE(machine && user);
        m_registry.mountMachine(machine, true);
        m_registry.mountUser(user, true);
        Registry::setCurrent(&m_registry); // the registry clears it when it goes
    }

    static bool exists(const QString& path) { return probe::keyExists(path); }
    static QString text(const QString& path, const QString& name = {})
    {
        return probe::text(path, name).value_or(QString());
    }
    static bool hasValue(const QString& path, const QString& name = {}, HKEY root = HKEY_CLASSES_ROOT)
    {
        return probe::text(path, name, root).has_value();
    }

    struct Handler {
        QString path; // below HKEY_CLASSES_ROOT
        QString clsid; // as the records derive it
        bool emptyDefault = false;
        bool padded = false;
    };

    // Every handler the tree would load: the groups of the default settings table below every
    // top-level key, and each subkey of an extension's own shellex key.
    static std::vector<Handler> handlers()
    {
        static constexpr std::pair<const char*, bool> kGroups[] = {{"PropertySheetHandlers", true},
            {"ContextMenuHandlers", true}, {"CopyHookHandler", false}, {"DragDropHandlers", true},
            {"DataHandler", true}, {"DropHandler", false}, {"IconHandler", false}, {"ColumnHandlers", true}};
        std::vector<Handler> out;
        auto add = [&](const QString& path, const QString& memberName) {
            const auto v = probe::text(path);
            if (!v)
                return;
            const QString trimmed = v->trimmed();
            out.push_back({path, trimmed.isEmpty() ? memberName : trimmed, v->isEmpty(), trimmed != *v});
        };
        for (const QString& host : probe::subkeys(QString())) {
            const QString shellex = host + u"\\shellex"_s;
            if (!exists(shellex))
                continue;
            if (host.startsWith(u'.')) {
                for (const QString& name : probe::subkeys(shellex))
                    add(shellex + u'\\' + name, name);
                continue;
            }
            for (const auto& [key, isGroup] : kGroups) {
                const QString groupPath = shellex + u'\\' + QLatin1String(key);
                if (!isGroup)
                    add(groupPath, QLatin1String(key));
                else
                    for (const QString& member : probe::subkeys(groupPath))
                        add(groupPath + u'\\' + member, member);
            }
        }
        return out;
    }

    Registry m_registry;
};

TEST_F(SampleContentTest, EverySpecialTypeOfTheSettingsTableIsThere)
{
    int withoutName = 0;
    for (const char* name :
        {"Folder", "*", "Drive", "AllFileSystemObjects", "AudioCD", "DVDFile", "DVD", "Directory", "Printers"}) {
        EXPECT_TRUE(exists(QLatin1String(name))) << name;
        withoutName += hasValue(QLatin1String(name)) ? 0 : 1;
    }
    // Types without a description of their own show the table's name instead.
    EXPECT_GT(withoutName, 0);
    EXPECT_LT(withoutName, 9);
}

TEST_F(SampleContentTest, ExtensionsNameExistingTypesExceptTheDeliberateOrphans)
{
    QStringList all = probe::subkeys(QString());
    all.removeIf([](const QString& name) { return !name.startsWith(u'.'); });
    EXPECT_GE(all.size(), 60);
    EXPECT_LE(all.size(), 100);

    QStringList orphans;
    QMap<QString, QSet<QString>> spellingsByType; // lower-case type -> default values naming it
    for (const QString& ext : all) {
        const QString type = text(ext);
        if (type.isEmpty() || !exists(type))
            orphans.append(ext);
        else
            spellingsByType[type.toLower()].insert(type);
    }
    orphans.sort();
    EXPECT_EQ(orphans, (QStringList {".bak", ".dat", ".tmp", ".xls"}));
    EXPECT_FALSE(hasValue(u".bak"_s)) << "one orphan has no default value";

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
        const QString cls = u"CLSID\\"_s + h.clsid;
        if (!exists(cls)) {
            missing.append(h.path);
        } else {
            // Classes of handlers have an in-process server.
            EXPECT_FALSE(text(cls + u"\\InprocServer32"_s).isEmpty()) << h.path.toStdString();
            EXPECT_TRUE(hasValue(cls + u"\\InprocServer32"_s, u"ThreadingModel"_s)) << h.path.toStdString();
        }
        if (hasValue(u"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved"_s, h.clsid,
                HKEY_LOCAL_MACHINE))
            ++approved;
        emptyDefaults += h.emptyDefault ? 1 : 0;
        padded += h.padded ? 1 : 0;
    }
    EXPECT_EQ(missing, QStringList {u"*\\shellex\\ContextMenuHandlers\\SyncMenu"_s});
    EXPECT_EQ(groupsSeen.size(), 8) << "every group of the settings table has a handler somewhere";
    EXPECT_GT(approved, 0);
    EXPECT_LT(approved, int(all.size())) << "some handlers must be left unapproved";
    EXPECT_GE(emptyDefaults, 1) << "a member named by its CLSID, with an empty default value";
    EXPECT_GE(padded, 1) << "a CLSID with blanks around it";
}

TEST_F(SampleContentTest, EveryVerbHasACommand)
{
    for (const QString& host : probe::subkeys(QString())) {
        for (const QString& verb : probe::subkeys(host + u"\\shell"_s)) {
            const QString path = host + u"\\shell\\"_s + verb + u"\\command"_s;
            EXPECT_FALSE(text(path).isEmpty()) << path.toStdString();
        }
    }
}

// Icons in shell32.dll must name one of the sixteen icons of the stand-in library, so that a
// prefix without shell32.dll still shows the intended picture.
TEST_F(SampleContentTest, Shell32IconsUseTheStandInLibrarysIndexes)
{
    QStringList owners = probe::subkeys(QString());
    for (const QString& clsid : probe::subkeys(u"CLSID"_s))
        owners.append(u"CLSID\\"_s + clsid);
    int checked = 0;
    for (const QString& owner : owners) {
        const QString path = owner + u"\\DefaultIcon"_s;
        RegKeyHandle key;
        if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
            continue;
        for (DWORD i = 0;; ++i) {
            QString name;
            DWORD chars = 16384;
            if (RegEnumValue(key.get(), i, &name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            const QString location = text(path, name);
            const qsizetype comma = location.lastIndexOf(u',');
            if (!location.left(comma).endsWith(u"\\shell32.dll"_s, Qt::CaseInsensitive))
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
    const QString database = u"MIME\\Database\\Content Type"_s;
    const QStringList types = probe::subkeys(database);
    EXPECT_GE(types.size(), 10);
    int imageFilters = 0;
    for (const QString& type : types) {
        const QString path = database + u'\\' + type;
        const QString extension = text(path, u"Extension"_s);
        EXPECT_TRUE(extension.startsWith(u'.') && exists(extension)) << path.toStdString();
        for (const char* name : {"CLSID", "Image Filter CLSID"}) {
            const QString clsid = text(path, QLatin1String(name));
            if (!clsid.isEmpty()) {
                EXPECT_TRUE(exists(u"CLSID\\"_s + clsid)) << path.toStdString();
            }
        }
        if (hasValue(path, u"Image Filter CLSID"_s)) {
            EXPECT_TRUE(type.startsWith(u"image"_s)) << path.toStdString();
            ++imageFilters;
        }
    }
    EXPECT_GT(imageFilters, 0);
}

// The icon extractor expands %SystemRoot%, %ProgramFiles% and friends from these values.
TEST_F(SampleContentTest, HoldsThePathsThatIconLocationsExpandFrom)
{
    const QString machineVersion = u"Software\\Microsoft\\Windows\\CurrentVersion"_s;
    const QString machineEnvironment = u"System\\CurrentControlSet\\Control\\Session Manager\\Environment"_s;
    const struct {
        HKEY root;
        QString path;
        const char* name;
        DWORD type;
    } expected[] = {
        {HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows NT\\CurrentVersion"_s, "SystemRoot", REG_SZ},
        {HKEY_LOCAL_MACHINE, machineVersion, "ProgramFilesDir", REG_SZ},
        {HKEY_LOCAL_MACHINE, machineVersion, "ProgramFilesDir (x86)", REG_SZ},
        {HKEY_LOCAL_MACHINE, machineVersion, "CommonFilesDir", REG_SZ},
        {HKEY_LOCAL_MACHINE, machineEnvironment, "windir", REG_EXPAND_SZ},
        {HKEY_LOCAL_MACHINE, machineEnvironment, "ComSpec", REG_EXPAND_SZ},
        {HKEY_CURRENT_USER, u"Volatile Environment"_s, "USERPROFILE", REG_SZ},
        {HKEY_CURRENT_USER, u"Volatile Environment"_s, "APPDATA", REG_SZ},
        {HKEY_CURRENT_USER, u"Volatile Environment"_s, "LOCALAPPDATA", REG_SZ},
        {HKEY_CURRENT_USER, u"Environment"_s, "TEMP", REG_EXPAND_SZ},
    };
    for (const auto& e : expected) {
        const auto value = probe::text(e.path, QLatin1String(e.name), e.root);
        ASSERT_TRUE(value) << e.path.toStdString() << " " << e.name;
        EXPECT_EQ(probe::type(e.path, QLatin1String(e.name), e.root), e.type) << e.name;
        EXPECT_TRUE(value->startsWith(u"C:\\"_s) || value->startsWith(u'%')) << e.name;
    }
    EXPECT_EQ(probe::text(expected[0].path, u"SystemRoot"_s, HKEY_LOCAL_MACHINE), u"C:\\windows"_s);
}

} // namespace
