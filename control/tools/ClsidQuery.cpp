#include "control/tools/ClsidQuery.h"

#include "common/Trace.h"
#include "control/records/CaseInsensitiveHash.h"
#include "control/records/RegistryAccess.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <unordered_set>

namespace {

constexpr int kTraceProgress = 200;

const QString kNone = QStringLiteral("(none)");
const QString kStringImage = QStringLiteral("regstring.default");
const QString kFormatImage = QStringLiteral("inf.default");

void trace(const QString& message)
{
    TraceEvent(QStringLiteral("QueryCLSID"), message, kTraceProgress);
}

// A node for a value read as text: the label and the text, or "(none)" for a missing value.
struct ValueRow {
    const char* subkey;
    const char* key;
    const char* label;
    const char* traceLabel;
    const char* image = nullptr; // null: the text value image
};

const ValueRow kBasicRows[] = {
    {"Version", "Version", "Version: ", "version: "},
    {"AppID", "AppID", "AppID: ", "appid: "},
    {"ProgID", "ProgID", "ProgID: ", "progid: "},
    {"VersionIndependentProgID", "VersionIndependentProgID", "Version Independent ProgID: ",
     "versionindependentprogid: "},
};

const ValueRow kConvertRows[] = {
    {"AutoConvertTo", "AutoConvertTo", "Auto Convert To: ", "autoconvertto: "},
    {"AutoTreatAs", "AutoTreatAs", "Auto Treat As: ", "autotreatas: "},
    {"TreatAs", "TreatAs", "Treat As: ", "treatas: "},
};

const ValueRow kHandlerRows[] = {
    {"InprocHandler", "InprocHandler", "Inprocess Handler 16-bit: ", "inprochandler: "},
    {"InprocHandler32", "InprocHandler32", "Inprocess Handler 32-bit: ", "inprochandler32: "},
    {"InprocServer", "InprocServer", "Inprocess Server 16-bit: ", "inprocserver: "},
    {"InprocServer32", "InprocServer32", "Inprocess Server 32-bit: ", "inprocserver32: "},
    {"LocalServer", "LocalServer", "Local Server 16-bit: ", "localserver: "},
    {"LocalServer32", "LocalServer32", "Local Server 32-bit: ", "localserver32: "},
};

const ValueRow kConversionRows[] = {
    {"Conversion\\Readable\\Main", "Readable", "Readable Formats: ", "readable: "},
    {"Conversion\\Readwritable\\Main", "ReadWritable", "Read/Writeable Formats: ", "readwriteable: "},
};

const ValueRow kMiscStatusRow{"MiscStatus", "MiscStatus", "Misc. Status: ", "miscstatus: "};
const ValueRow kDefaultIconRow{"DefaultIcon", "DefaultIcon", "Default Icon: ", "defaulticon: ", "CustomIcon"};
const ValueRow kToolBoxRow{"ToolBoxBitmap32", "ToolBoxBitmap32", "Toolbox Icon: ", "toolboxbitmap32: ",
                           "ToolBoxIcon"};
const ValueRow kDefaultFileRow{"DataFormats\\DefaultFile", "DefaultFile", "Default File/Object Format: ",
                               "defaultfile: "};

// Non-text data as its bytes in hexadecimal ("01 00 00 00"), so that it reads the same whatever
// program stored it.
QString valueText(DWORD type, const std::uint8_t* data, DWORD size)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        return regTextFromBytes(data, size);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(data), size).toHex(' ').toUpper());
}

// Builds the node list; a key already in the tree (compared without regard to case) is skipped,
// so that two equal entries of one list give one node.
class TreeBuilder {
public:
    TreeBuilder(ClsidQueryResult& result, HKEY classKey)
        : m_result(result)
        , m_classKey(classKey)
    {
    }

    void add(const QString& parentKey, const QString& key, const QString& text, const QString& image)
    {
        if (m_keys.insert(key).second)
            m_result.nodes.push_back({parentKey, key, text, image});
    }

    void section(const QString& key, const QString& text)
    {
        add(QStringLiteral("Name"), key, text, QStringLiteral("progfolder.closed"));
    }

    // Adds the row's node; returns the text read.
    QString value(const QString& section, const ValueRow& row)
    {
        const QString text = regReadTextValue(m_classKey, QLatin1String(row.subkey), QString()).text;
        trace(QLatin1String(row.traceLabel) + text);
        add(section, QLatin1String(row.key), QLatin1String(row.label) + (text.isEmpty() ? kNone : text),
            row.image ? QLatin1String(row.image) : kStringImage);
        return text;
    }

    // "Control: True" when the subkey is there to be opened, whatever it holds.
    void presence(const QString& section, const QString& subkey)
    {
        trace(QStringLiteral("reading ") + subkey.toLower() + QStringLiteral(" value"));
        RegKeyHandle key;
        const bool present = RegOpenKeyEx(m_classKey, subkey, 0, KEY_READ, key.out()) == ERROR_SUCCESS;
        add(section, subkey, subkey + (present ? QStringLiteral(": True") : QStringLiteral(": False")), kStringImage);
    }

    // One node per entry, or the "(none)" node when the list is empty.
    void list(const QString& section, const QString& prefix, const QList<std::pair<QString, QString>>& entries,
              const QString& image, const QString& emptyTrace)
    {
        if (entries.isEmpty()) {
            trace(emptyTrace);
            add(section, prefix + QStringLiteral("NONE"), kNone, kStringImage);
            return;
        }
        for (const auto& [key, text] : entries)
            add(section, prefix + key, text, image);
    }

private:
    ClsidQueryResult& m_result;
    HKEY m_classKey;
    std::unordered_set<QString, CaseInsensitiveHash, CaseInsensitiveEqual> m_keys;
};

enum class Entries { Subkeys, Values };

// The number of subkeys or values of an open key, as a list reader sizes its walk; 0 when it
// cannot be asked.
DWORD countOf(HKEY key, Entries entries)
{
    DWORD count = 0;
    if (entries == Entries::Subkeys)
        RegQueryInfoKey(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                        nullptr);
    else
        RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                        nullptr);
    return count;
}

// The default values of the subkeys of classKey\path in enumeration order, each as (entry,
// entry). The walk stops at the first step that fails; a subkey without a readable text gives no
// entry.
QList<std::pair<QString, QString>> subkeyDefaults(HKEY classKey, const QString& path)
{
    QList<std::pair<QString, QString>> entries;
    RegKeyHandle key;
    if (RegOpenKeyEx(classKey, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return entries;
    const DWORD count = countOf(key.get(), Entries::Subkeys);
    QString name;
    for (DWORD index = 0; index < count; ++index) {
        DWORD chars = kTextBufferChars;
        if (RegEnumKeyEx(key.get(), index, &name, &chars) != ERROR_SUCCESS)
            break;
        const QString text = regReadTextValue(key.get(), name, QString()).text;
        if (!text.isEmpty())
            entries.append({text, text});
    }
    return entries;
}

// The values stored directly under classKey\path in enumeration order, each as (name,
// "data - name"). The walk stops at the first step that fails.
QList<std::pair<QString, QString>> namedValues(HKEY classKey, const QString& path)
{
    QList<std::pair<QString, QString>> entries;
    RegKeyHandle key;
    if (RegOpenKeyEx(classKey, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return entries;
    const DWORD count = countOf(key.get(), Entries::Values);
    QString name;
    std::uint8_t data[kTextBufferChars * 2];
    for (DWORD index = 0; index < count; ++index) {
        DWORD chars = kTextBufferChars;
        DWORD type = REG_NONE;
        DWORD size = sizeof data;
        if (RegEnumValue(key.get(), index, &name, &chars, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        entries.append({name, valueText(type, data, size) + QStringLiteral(" - ") + name});
    }
    return entries;
}

} // namespace

const ClsidQueryNode* ClsidQueryResult::find(const QString& key) const
{
    for (const ClsidQueryNode& node : nodes)
        if (node.key.compare(key, Qt::CaseInsensitive) == 0)
            return &node;
    return nullptr;
}

ClsidQueryResult ClsidQuery::QueryCLSID(const QString& clsid)
{
    const QString identifier = clsid.trimmed();
    trace(QStringLiteral("querying CLSID ") + identifier);
    ClsidQueryResult result;
    const auto fail = [&](const QString& text) {
        result.nodes.push_back({QString(), QStringLiteral("ERROR"), text, QStringLiteral("error.default")});
        return result;
    };

    // A backslash would name a key below some class, shown as if it were one.
    if (identifier.size() < 37 || identifier.contains(u'\\'))
        return fail(QStringLiteral("Error: Invalid CLSID. Error Number: ") + QString::number(kInvalidClsid));

    RegKeyHandle classKey;
    const LONG rc = RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("CLSID\\") + identifier, 0, KEY_READ,
                                 classKey.out());
    if (rc != ERROR_SUCCESS)
        return fail(QStringLiteral("Error opening CLSID Key. Error Number: ") + QString::number(rc));

    TreeBuilder tree(result, classKey.get());
    const QString name = regReadTextValue(classKey.get(), QString()).text;
    trace(QStringLiteral("name: ") + name);
    tree.add(QString(), QStringLiteral("Name"), QStringLiteral("Name: ") + (name.isEmpty() ? kNone : name),
             QStringLiteral("shellext.default"));

    const QString basic = QStringLiteral("BASIC");
    tree.section(basic, QStringLiteral("Basic Information"));
    for (const ValueRow& row : kBasicRows)
        tree.value(basic, row);

    const QString props = QStringLiteral("PROPS");
    tree.section(props, QStringLiteral("Properties"));
    for (const ValueRow& row : kConvertRows)
        tree.value(props, row);
    tree.presence(props, QStringLiteral("Control"));
    tree.presence(props, QStringLiteral("Insertable"));
    tree.value(props, kMiscStatusRow);
    result.defaultIcon = tree.value(props, kDefaultIconRow);
    result.toolBoxBitmap = tree.value(props, kToolBoxRow);

    const QString handlers = QStringLiteral("HS");
    tree.section(handlers, QStringLiteral("Handlers & Servers"));
    for (const ValueRow& row : kHandlerRows)
        tree.value(handlers, row);

    const QString conversion = QStringLiteral("CONVERSION");
    tree.section(conversion, QStringLiteral("Conversion Information"));
    for (const ValueRow& row : kConversionRows)
        tree.value(conversion, row);

    const QString formats = QStringLiteral("DATAFORMATS");
    tree.section(formats, QStringLiteral("Supported Data Formats"));
    tree.list(formats, QStringLiteral("DFMT."), subkeyDefaults(classKey.get(), QStringLiteral("DataFormats\\GetSet")),
              kFormatImage, QStringLiteral("no dataformats found"));
    tree.value(formats, kDefaultFileRow);

    const QString interfaces = QStringLiteral("INTERFACES");
    tree.section(interfaces, QStringLiteral("Supported Interfaces"));
    tree.list(interfaces, QStringLiteral("IID."), namedValues(classKey.get(), QStringLiteral("Interface")),
              kFormatImage, QStringLiteral("no interfaces found"));

    const QString verbs = QStringLiteral("VERBS");
    tree.section(verbs, QStringLiteral("Menu Verbs"));
    tree.list(verbs, QStringLiteral("VERB."), subkeyDefaults(classKey.get(), QStringLiteral("Verb")), kStringImage,
              QStringLiteral("no verbs found"));

    trace(QStringLiteral("completed querying clsid"));
    return result;
}
