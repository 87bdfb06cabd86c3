#include "bench/SyntheticShapes.h"

#include <QStringList>

#include <array>
#include <vector>

namespace {

// splitmix64: small, fast and the same on every platform (the standard distributions are not).
class Random {
public:
    explicit Random(std::uint64_t seed)
        : m_state(seed)
    {
    }

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // 0 <= result < bound
    int below(int bound) { return bound <= 0 ? 0 : int(next() % std::uint64_t(bound)); }
    bool chance(int percent) { return below(100) < percent; }

    template <typename T, std::size_t N> const T& pick(const std::array<T, N>& items)
    {
        return items[std::size_t(below(int(N)))];
    }

    QString guid()
    {
        const std::uint64_t a = next();
        const std::uint64_t b = next();
        return QStringLiteral("{%1-%2-%3-%4-%5}")
            .arg(QString::number(a >> 32, 16).rightJustified(8, u'0'))
            .arg(QString::number((a >> 16) & 0xFFFF, 16).rightJustified(4, u'0'))
            .arg(QString::number(0x4000 | (a & 0x0FFF), 16).rightJustified(4, u'0'))
            .arg(QString::number(0x8000 | ((b >> 48) & 0x3FFF), 16).rightJustified(4, u'0'))
            .arg(QString::number(b & 0xFFFFFFFFFFFFULL, 16).rightJustified(12, u'0'))
            .toUpper();
    }

    QByteArray bytes(int count)
    {
        QByteArray out(count, '\0');
        for (int i = 0; i < count; ++i)
            out[i] = char(next() & 0xFF);
        return out;
    }

private:
    std::uint64_t m_state;
};

constexpr std::array<const char*, 48> kWords = {"Shell", "Folder", "Media", "Player", "Document", "Viewer", "Print",
    "Font", "Network", "Audio", "Video", "Image", "Text", "Setup", "Control", "Service", "Device", "Driver", "Cache",
    "Policy", "Desktop", "Window", "Session", "Profile", "Storage", "Search", "Index", "Update", "Catalog", "Filter",
    "Archive", "Crypto", "Stream", "Render", "Capture", "Speech", "Input", "Display", "Monitor", "Power", "Theme",
    "Locale", "Format", "Script", "Host", "Broker", "Manager", "Options"};

constexpr std::array<const char*, 12> kDlls = {"shell32.dll", "ole32.dll", "oleaut32.dll", "urlmon.dll", "mshtml.dll",
    "quartz.dll", "msxml3.dll", "wbemprox.dll", "dxdiagn.dll", "windowscodecs.dll", "propsys.dll", "actxprxy.dll"};

constexpr std::array<const char*, 4> kThreading = {"Apartment", "Both", "Free", "Neutral"};

QString words(Random& random, int count, const QString& separator = QStringLiteral(" "))
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out.append(QString::fromLatin1(random.pick(kWords)));
    return out.join(separator);
}

QString system32(const QString& file)
{
    return QStringLiteral("C:\\windows\\system32\\") + file;
}

// ---- a fresh prefix ---------------------------------------------------------------------

void addComClasses(SyntheticHive& hive, Random& random, int count)
{
    SyntheticHive::Key& clsid = hive.key(u"Software\\Classes\\CLSID");
    for (int i = 0; i < count; ++i) {
        SyntheticHive::Key& cls = hive.key(random.guid(), &clsid);
        hive.setString(cls, QString(), words(random, 1 + random.below(3)));
        SyntheticHive::Key& server = hive.key(u"InprocServer32", &cls);
        hive.setString(server, QString(), system32(QString::fromLatin1(random.pick(kDlls))));
        hive.setString(server, QStringLiteral("ThreadingModel"), QString::fromLatin1(random.pick(kThreading)));
        if (random.chance(15))
            hive.setString(
                hive.key(u"ProgID", &cls), QString(), words(random, 2, QStringLiteral(".")) + QStringLiteral(".1"));
    }
}

void addInterfaces(SyntheticHive& hive, Random& random, int count)
{
    SyntheticHive::Key& interfaces = hive.key(u"Software\\Classes\\Interface");
    const QString proxy = random.guid();
    for (int i = 0; i < count; ++i) {
        SyntheticHive::Key& iface = hive.key(random.guid(), &interfaces);
        hive.setString(iface, QString(), QStringLiteral("I") + words(random, 2, QString()));
        hive.setString(hive.key(u"NumMethods", &iface), QString(), QString::number(3 + random.below(40)));
        hive.setString(hive.key(u"ProxyStubClsid32", &iface), QString(), proxy);
    }
}

void addTypeLibraries(SyntheticHive& hive, Random& random, int count)
{
    SyntheticHive::Key& libs = hive.key(u"Software\\Classes\\TypeLib");
    for (int i = 0; i < count; ++i) {
        SyntheticHive::Key& version = hive.key(random.guid() + QStringLiteral("\\1.0"), &libs);
        hive.setString(version, QString(), words(random, 2) + QStringLiteral(" Type Library"));
        hive.setString(hive.key(u"0\\win32", &version), QString(), system32(QString::fromLatin1(random.pick(kDlls))));
        hive.setString(hive.key(u"0\\win64", &version), QString(), system32(QString::fromLatin1(random.pick(kDlls))));
        hive.setString(hive.key(u"FLAGS", &version), QString(), QStringLiteral("0"));
        hive.setString(hive.key(u"HELPDIR", &version), QString(), QString());
    }
}

void addServices(SyntheticHive& hive, Random& random, int count)
{
    SyntheticHive::Key& services = hive.key(u"System\\CurrentControlSet\\Services");
    for (int i = 0; i < count; ++i) {
        SyntheticHive::Key& service = hive.key(words(random, 2, QString()) + QString::number(i), &services);
        hive.setString(service, QStringLiteral("DisplayName"), words(random, 3));
        hive.setDword(service, QStringLiteral("ErrorControl"), 1);
        hive.setString(service, QStringLiteral("ImagePath"),
            QStringLiteral("%SystemRoot%\\system32\\") + words(random, 1).toLower() + QStringLiteral(".exe"),
            REG_EXPAND_SZ);
        hive.setString(service, QStringLiteral("ObjectName"), QStringLiteral("LocalSystem"));
        hive.setDword(service, QStringLiteral("Start"), std::uint32_t(2 + random.below(3)));
        hive.setDword(service, QStringLiteral("Type"), random.chance(30) ? 1u : 16u);
        if (random.chance(20))
            hive.setMultiString(
                service, QStringLiteral("DependOnService"), {QStringLiteral("RpcSs"), words(random, 1)});
        if (random.chance(40)) {
            const QString setting = words(random, 1);
            hive.setDword(hive.key(u"Parameters", &service), setting, std::uint32_t(random.below(1000)));
        }
    }
}

void addTimeZones(SyntheticHive& hive, Random& random, int count)
{
    SyntheticHive::Key& zones = hive.key(u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones");
    for (int i = 0; i < count; ++i) {
        const QString name = words(random, 2) + QStringLiteral(" Standard Time ") + QString::number(i);
        SyntheticHive::Key& zone = hive.key(name, &zones);
        hive.setString(zone, QStringLiteral("Display"), QStringLiteral("(UTC+%1:00) ").arg(i % 14) + words(random, 3));
        hive.setString(zone, QStringLiteral("Dlt"), name + QStringLiteral(" (Daylight)"));
        hive.setString(zone, QStringLiteral("Std"), name);
        hive.setBytes(zone, QStringLiteral("TZI"), random.bytes(44));
        if (random.chance(40)) {
            SyntheticHive::Key& dst = hive.key(u"Dynamic DST", &zone);
            hive.setDword(dst, QStringLiteral("FirstEntry"), 2006);
            hive.setDword(dst, QStringLiteral("LastEntry"), 2006 + 10);
            for (int year = 2006; year <= 2016; ++year)
                hive.setBytes(dst, QString::number(year), random.bytes(44));
        }
    }
}

void addMiscellany(SyntheticHive& hive, Random& random, int keys)
{
    const std::array<const char*, 6> roots = {"Software\\Microsoft\\Cryptography", "Software\\Microsoft\\DirectX",
        "Software\\Microsoft\\Ole", "Software\\Wine", "System\\CurrentControlSet\\Control\\Class",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Setup"};
    for (int i = 0; i < keys; ++i) {
        // One draw per statement: the order in which arguments are evaluated is unspecified.
        QString path = QString::fromLatin1(random.pick(roots));
        path += u'\\' + words(random, 1);
        path += u'\\' + words(random, 1) + QString::number(i % 7);
        SyntheticHive::Key& key = hive.key(path);
        const QString name = words(random, 1);
        switch (random.below(5)) {
        case 0:
            hive.setBytes(key, name, random.bytes(8 + random.below(120)));
            break;
        case 1:
            hive.setDword(key, name, std::uint32_t(random.next()));
            break;
        default:
            hive.setString(key, name, words(random, 1 + random.below(6)));
            break;
        }
    }
    SyntheticHive::Key& fonts = hive.key(u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
    for (int i = 0; i < 120; ++i) {
        const QString font = words(random, 2) + QStringLiteral(" (TrueType)");
        hive.setString(fonts, font, words(random, 1).toLower() + QStringLiteral(".ttf"));
    }
    SyntheticHive::Key& codePages = hive.key(u"System\\CurrentControlSet\\Control\\Nls\\CodePage");
    for (int i = 0; i < 140; ++i)
        hive.setString(codePages, QString::number(437 + i * 7), QStringLiteral("c_%1.nls").arg(437 + i * 7));
    // The 32-bit view of a 64-bit prefix is made of links.
    SyntheticHive::Key& wow = hive.key(u"Software\\Wow6432Node");
    for (int i = 0; i < 54; ++i) {
        const QString name = words(random, 2, QStringLiteral("\\")) + QString::number(i);
        hive.setLink(hive.key(name, &wow), QStringLiteral("\\Registry\\Machine\\Software\\") + name);
    }
}

void addWindowsPaths(SyntheticHive& hive)
{
    SyntheticHive::Key& nt = hive.key(u"Software\\Microsoft\\Windows NT\\CurrentVersion");
    hive.setString(nt, QStringLiteral("SystemRoot"), QStringLiteral("C:\\windows"));
    hive.setString(nt, QStringLiteral("CurrentVersion"), QStringLiteral("6.3"));
    SyntheticHive::Key& cv = hive.key(u"Software\\Microsoft\\Windows\\CurrentVersion");
    hive.setString(cv, QStringLiteral("ProgramFilesDir"), QStringLiteral("C:\\Program Files"));
    hive.setString(cv, QStringLiteral("ProgramFilesDir (x86)"), QStringLiteral("C:\\Program Files (x86)"));
    hive.setString(cv, QStringLiteral("CommonFilesDir"), QStringLiteral("C:\\Program Files\\Common Files"));
    SyntheticHive::Key& env = hive.key(u"System\\CurrentControlSet\\Control\\Session Manager\\Environment");
    hive.setString(env, QStringLiteral("ComSpec"), QStringLiteral("%SystemRoot%\\system32\\cmd.exe"), REG_EXPAND_SZ);
    hive.setString(env, QStringLiteral("PATH"), QStringLiteral("%SystemRoot%\\system32;%SystemRoot%"), REG_EXPAND_SZ);
    hive.setString(env, QStringLiteral("TEMP"), QStringLiteral("%SystemRoot%\\TEMP"), REG_EXPAND_SZ);
    hive.setString(env, QStringLiteral("windir"), QStringLiteral("%SystemRoot%"), REG_EXPAND_SZ);
}

// The handful of associations a fresh prefix has.
void addCommonTypes(SyntheticHive& hive)
{
    struct Row {
        const char* extension;
        const char* type;
        const char* description;
        const char* command;
    };
    constexpr std::array<Row, 12> kRows = {{
        {".bat", "batfile", "Windows Batch File", "\"%1\" %*"},
        {".chm", "chm.file", "Compiled HTML Help file", "C:\\windows\\hh.exe %1"},
        {".cpl", "cplfile", "Control Panel Item",
            "C:\\windows\\system32\\rundll32.exe shell32.dll,Control_RunDLL \"%1\",%*"},
        {".exe", "exefile", "Application", "\"%1\" %*"},
        {".hlp", "hlpfile", "Help File", "C:\\windows\\winhlp32.exe %1"},
        {".htm", "htmlfile", "HTML Document", "C:\\windows\\system32\\iexplore.exe \"%1\""},
        {".inf", "inffile", "Setup Information", "C:\\windows\\system32\\notepad.exe %1"},
        {".ini", "inifile", "Configuration Settings", "C:\\windows\\system32\\notepad.exe %1"},
        {".lnk", "lnkfile", "Shortcut", "C:\\windows\\command\\start.exe \"%1\""},
        {".msi", "Msi.Package", "Windows Installer Package", "C:\\windows\\system32\\msiexec.exe /i \"%1\""},
        {".reg", "regfile", "Registration Entries", "C:\\windows\\regedit.exe \"%1\""},
        {".txt", "txtfile", "Text Document", "C:\\windows\\system32\\notepad.exe %1"},
    }};
    SyntheticHive::Key& classes = hive.key(u"Software\\Classes");
    for (const Row& row : kRows) {
        hive.setString(
            hive.key(QString::fromLatin1(row.extension), &classes), QString(), QString::fromLatin1(row.type));
        SyntheticHive::Key& type = hive.key(QString::fromLatin1(row.type), &classes);
        hive.setString(type, QString(), QString::fromLatin1(row.description));
        hive.setString(hive.key(u"shell\\open\\command", &type), QString(), QString::fromLatin1(row.command));
    }
}

// ---- association data -------------------------------------------------------------------

struct GroupRow {
    const char* key;
    bool isGroup;
};
constexpr std::array<GroupRow, 8> kGroups = {{{"PropertySheetHandlers", true}, {"ContextMenuHandlers", true},
    {"CopyHookHandler", false}, {"DragDropHandlers", true}, {"DataHandler", true}, {"DropHandler", false},
    {"IconHandler", false}, {"ColumnHandlers", true}}};
QString extensionName(int i)
{
    return QStringLiteral(".x") + QString::number(i, 36);
}

constexpr std::array<const char*, 8> kVerbs
    = {"open", "edit", "print", "printto", "play", "explore", "preview", "install"};

} // namespace

SyntheticHive SyntheticShapes::freshMachine(std::uint64_t seed)
{
    Random random(seed);
    SyntheticHive hive(QStringLiteral("REGISTRY\\Machine"));
    addComClasses(hive, random, 1500);
    addInterfaces(hive, random, 700);
    addTypeLibraries(hive, random, 150);
    addServices(hive, random, 160);
    addTimeZones(hive, random, 140);
    addMiscellany(hive, random, 900);
    addWindowsPaths(hive);
    addCommonTypes(hive);
    return hive;
}

SyntheticHive SyntheticShapes::freshUser(std::uint64_t seed)
{
    Random random(seed);
    SyntheticHive hive(QStringLiteral("REGISTRY\\User\\S-1-5-21-0-0-0-1000"));
    SyntheticHive::Key& desktop = hive.key(u"Control Panel\\Desktop");
    hive.setString(desktop, QStringLiteral("Wallpaper"), QString());
    hive.setString(desktop, QStringLiteral("WheelScrollLines"), QStringLiteral("3"));
    hive.setBytes(desktop, QStringLiteral("UserPreferencesMask"), random.bytes(8));
    SyntheticHive::Key& environment = hive.key(u"Environment");
    hive.setString(
        environment, QStringLiteral("TEMP"), QStringLiteral("%USERPROFILE%\\AppData\\Local\\Temp"), REG_EXPAND_SZ);
    SyntheticHive::Key& volatileEnvironment = hive.key(u"Volatile Environment");
    hive.setString(volatileEnvironment, QStringLiteral("APPDATA"), QStringLiteral("C:\\users\\user\\AppData\\Roaming"));
    hive.setString(
        volatileEnvironment, QStringLiteral("LOCALAPPDATA"), QStringLiteral("C:\\users\\user\\AppData\\Local"));
    hive.setString(volatileEnvironment, QStringLiteral("USERPROFILE"), QStringLiteral("C:\\users\\user"));
    for (int i = 0; i < 200; ++i) {
        SyntheticHive::Key& key = hive.key(QStringLiteral("Software\\") + words(random, 2, QStringLiteral("\\")));
        const QString name = words(random, 1);
        hive.setString(key, name, words(random, 1 + random.below(4)));
    }
    return hive;
}

void SyntheticShapes::addClasses(SyntheticHive& machine, const ClassesCounts& counts, std::uint64_t seed)
{
    Random random(seed);
    SyntheticHive::Key& classes = machine.key(u"Software\\Classes");
    SyntheticHive::Key& approved
        = machine.key(u"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved");

    std::vector<QString> types;
    types.reserve(std::size_t(counts.fileTypes));
    for (int i = 0; i < counts.fileTypes; ++i) {
        types.push_back(words(random, 1).toLower() + QStringLiteral("file") + QString::number(i));
        SyntheticHive::Key& type = machine.key(types.back(), &classes);
        machine.setString(type, QString(), words(random, 2) + QStringLiteral(" File"));
        if (random.chance(80)) {
            const int number = random.below(16);
            const qsizetype library = i % (counts.iconFiles.size() + 1);
            const QString icon = library == 0
                ? QStringLiteral("%SystemRoot%\\system32\\shell32.dll,%1").arg(number)
                : QStringLiteral("C:\\windows\\system32\\%1,0").arg(counts.iconFiles[library - 1]);
            machine.setString(
                machine.key(u"DefaultIcon", &type), QString(), icon, random.chance(50) ? REG_EXPAND_SZ : REG_SZ);
        }
        if (random.chance(50))
            machine.setDword(type, QStringLiteral("EditFlags"), random.chance(50) ? 0x10000u : 0x30u);
        else if (random.chance(10))
            machine.setBytes(type, QStringLiteral("EditFlags"), QByteArray("\x00\x00\x01\x00", 4));
    }

    const int typeCount = int(types.size());

    // Extensions: most point at a type (sometimes in other letter case), a few at nothing.
    for (int i = 0; i < counts.extensions; ++i) {
        const QString extension = extensionName(i);
        SyntheticHive::Key& ext = machine.key(extension, &classes);
        if (random.chance(1))
            continue; // an orphan without a default value
        QString type = typeCount == 0 ? QStringLiteral("missingfile") : types[std::size_t(i % typeCount)];
        if (random.chance(1))
            type = QStringLiteral("gonefile") + QString::number(i); // names a type that is not there
        else if (random.chance(5))
            type = type.toUpper();
        machine.setString(ext, QString(), type);
        if (random.chance(40))
            machine.setString(ext, QStringLiteral("Content Type"), QStringLiteral("application/x-") + extension.mid(1));
    }

    // Verbs dealt out over the types in turn (so that each is a key of its own), with commands
    // and now and then a DDE conversation.
    for (int i = 0; i < counts.actions && typeCount > 0; ++i) {
        const QString& type = types[std::size_t(i % typeCount)];
        const int round = i / typeCount;
        QString verb = QString::fromLatin1(kVerbs[std::size_t(round) % kVerbs.size()]);
        if (round >= int(kVerbs.size()))
            verb += QString::number(round);
        SyntheticHive::Key& key = machine.key(type + QStringLiteral("\\shell\\") + verb, &classes);
        if (random.chance(60))
            machine.setString(key, QString(), u'&' + words(random, 2));
        const QString program = words(random, 1);
        const QString file = words(random, 1).toLower();
        machine.setString(machine.key(u"command", &key), QString(),
            QStringLiteral("\"C:\\Program Files\\%1\\%2.exe\" /%3 \"%4\"")
                .arg(program, file, verb, QStringLiteral("%1")));
        if (random.chance(5)) {
            SyntheticHive::Key& dde = machine.key(u"ddeexec", &key);
            machine.setString(dde, QString(), QStringLiteral("[%1(\"%2\")]").arg(verb, QStringLiteral("%1")));
            machine.setString(machine.key(u"Application", &dde), QString(), words(random, 1));
            machine.setString(machine.key(u"topic", &dde), QString(), QStringLiteral("System"));
        }
    }

    // Classes; the first `handlers` of them are registered as shell-extension handlers.
    SyntheticHive::Key& clsid = machine.key(u"CLSID", &classes);
    for (int i = 0; i < counts.classes; ++i) {
        const QString id = random.guid();
        SyntheticHive::Key& cls = machine.key(id, &clsid);
        const QString name = words(random, 2) + QStringLiteral(" Extension");
        machine.setString(cls, QString(), name);
        SyntheticHive::Key& server = machine.key(u"InprocServer32", &cls);
        const QString vendor = words(random, 1);
        machine.setString(
            server, QString(), QStringLiteral("C:\\Program Files\\%1\\%2.dll").arg(vendor, words(random, 1)));
        machine.setString(server, QStringLiteral("ThreadingModel"), QString::fromLatin1(random.pick(kThreading)));
        if (i >= counts.handlers || typeCount == 0)
            continue;
        if (random.chance(70))
            machine.setString(approved, id, name);
        if (random.chance(10)) { // a handler of an extension
            const QString host = extensionName(random.below(counts.extensions));
            machine.setString(
                machine.key(host + QStringLiteral("\\shellex\\") + random.guid(), &classes), QString(), id);
            continue;
        }
        // One handler per type in turn, so that no single-handler group is written twice.
        const GroupRow& group = random.pick(kGroups);
        SyntheticHive::Key& groupKey = machine.key(
            types[std::size_t(i % typeCount)] + QStringLiteral("\\shellex\\") + QLatin1String(group.key), &classes);
        if (group.isGroup)
            machine.setString(machine.key(words(random, 1) + QString::number(i), &groupKey), QString(), id);
        else
            machine.setString(groupKey, QString(), id);
    }

    SyntheticHive::Key& mime = machine.key(u"MIME\\Database\\Content Type", &classes);
    for (int i = 0; i < std::min(counts.extensions, 400); ++i) {
        SyntheticHive::Key& type = machine.key(QStringLiteral("application/x-") + extensionName(i).mid(1), &mime);
        machine.setString(type, QStringLiteral("Extension"), extensionName(i));
    }
}

SyntheticHive SyntheticShapes::largeClasses(const ClassesCounts& counts, std::uint64_t seed)
{
    SyntheticHive hive = freshMachine(seed);
    addClasses(hive, counts, seed + 2);
    return hive;
}

SyntheticHive SyntheticShapes::generic(std::size_t keyCount, std::uint64_t seed)
{
    Random random(seed);
    SyntheticHive hive(QStringLiteral("REGISTRY\\Machine"));
    const std::array<QString, 6> oddNames
        = {QStringLiteral("Caf\u00e9"), QStringLiteral("\u4e2d\u6587"), QStringLiteral("a[b]c"),
            QStringLiteral("say \"hi\""), QStringLiteral("tab\there"), QStringLiteral("\U0001F30D")};
    auto name = [&](int i) {
        if (random.chance(1))
            return oddNames[std::size_t(random.below(int(oddNames.size())))] + QString::number(i);
        if (random.chance(10))
            return random.guid();
        const QString base = words(random, 1 + random.below(2), QString());
        return random.chance(50) ? base + QString::number(i) : base;
    };

    // Each new key goes to a depth drawn from what real hives show (most keys 3 to 6 levels
    // down) below a random key one level up; a few hub keys collect many subkeys, as CLSID does.
    constexpr std::array<int, 8> kDepthPercent = {2, 8, 20, 25, 20, 13, 8, 4};
    std::vector<std::vector<SyntheticHive::Key*>> levels {{&hive.key(u"Software"), &hive.key(u"System")}};
    int serial = 0;
    while (hive.keyCount() < keyCount) {
        std::size_t depth = 1;
        for (int roll = random.below(100); depth < kDepthPercent.size() && roll >= kDepthPercent[depth - 1]; ++depth)
            roll -= kDepthPercent[depth - 1];
        depth = std::min(depth, levels.size());
        const std::vector<SyntheticHive::Key*>& parents = levels[depth - 1];
        const int hubs = std::max(1, int(parents.size()) / 100);
        const int index = random.chance(30) ? random.below(hubs) : random.below(int(parents.size()));
        SyntheticHive::Key* parent = parents[std::size_t(index)];
        const std::size_t before = hive.keyCount();
        SyntheticHive::Key& key = hive.key(name(serial++), parent);
        if (hive.keyCount() == before)
            continue; // the name was taken
        if (levels.size() == depth)
            levels.emplace_back();
        levels[depth].push_back(&key);
        const int values = random.below(5);
        for (int v = 0; v < values; ++v) {
            const QString valueName = v == 0 && random.chance(30) ? QString() : words(random, 1 + random.below(2));
            switch (random.below(20)) {
            case 0:
            case 1: // mostly short, now and then a blob spread over many lines
                hive.setBytes(key, valueName, random.bytes(random.chance(90) ? random.below(24) : random.below(400)));
                break;
            case 2:
            case 3:
            case 4:
                hive.setDword(key, valueName, std::uint32_t(random.next()));
                break;
            case 5:
                hive.setString(key, valueName,
                    QStringLiteral("%ProgramFiles%\\") + words(random, 2, QStringLiteral("\\")), REG_EXPAND_SZ);
                break;
            case 6:
                hive.setMultiString(key, valueName, {words(random, 2), words(random, 1), words(random, 3)});
                break;
            case 7:
                hive.setQword(key, valueName, random.next());
                break;
            case 8: {
                const QByteArray bytes = random.bytes(random.below(16));
                hive.setBytes(key, valueName, bytes, DWORD(0xFFFF0000u + DWORD(random.below(20))));
                break;
            }
            default:
                hive.setString(key, valueName,
                    random.chance(30) ? QStringLiteral("C:\\Program Files\\") + words(random, 3, QStringLiteral("\\"))
                                      : words(random, 1 + random.below(6)));
                break;
            }
        }
    }
    return hive;
}
