#include "platform/shell/PrefixEnvironment.h"

#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

#include <vector>

namespace {

const QString kDefaultSystemRoot = QStringLiteral("C:\\windows");

// Larger values cannot be environment strings; they are skipped rather than read.
constexpr DWORD kMaxValueBytes = 2 * (PrefixEnvironment::kMaxExpandedLength + 1);

bool isText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// Calls `take(name, text)` for every string value of the key.
template <typename Take>
void forEachText(HKEY root, const QString& path, Take take)
{
    RegKeyHandle key;
    if (RegOpenKeyEx(root, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return;
    std::vector<std::uint8_t> data;
    for (DWORD index = 0;; ++index) {
        QString name;
        DWORD nameChars = kMaxValueNameLength + 1;
        DWORD type = 0;
        DWORD size = 0;
        const LONG rc = RegEnumValue(key.get(), index, &name, &nameChars, nullptr, &type, nullptr, &size);
        if (rc == ERROR_NO_MORE_ITEMS || (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA))
            return;
        if (!isText(type) || size > kMaxValueBytes)
            continue;
        data.assign(size, 0);
        nameChars = kMaxValueNameLength + 1;
        if (RegEnumValue(key.get(), index, &name, &nameChars, nullptr, &type, data.data(), &size) == ERROR_SUCCESS)
            take(name, regTextFromBytes(data.data(), size));
    }
}

// One string value, or a null QString.
QString readText(HKEY root, const QString& path, const QString& valueName)
{
    RegKeyHandle key;
    if (RegOpenKeyEx(root, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return {};
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueEx(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || !isText(type)
        || size > kMaxValueBytes)
        return {};
    std::vector<std::uint8_t> data(size);
    if (RegQueryValueEx(key.get(), valueName, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return {};
    return regTextFromBytes(data.data(), size);
}

} // namespace

PrefixEnvironment PrefixEnvironment::fromRegistry()
{
    PrefixEnvironment env;
    const QString path = QStringLiteral("PATH");

    forEachText(HKEY_LOCAL_MACHINE, QStringLiteral("System\\CurrentControlSet\\Control\\Session Manager\\Environment"),
                [&](const QString& name, const QString& text) { env.set(name, text); });
    // The user's PATH extends the machine's; every other user variable replaces the machine one.
    const QString machinePath = env.value(path);
    forEachText(HKEY_CURRENT_USER, QStringLiteral("Environment"), [&](const QString& name, const QString& text) {
        if (name.compare(path, Qt::CaseInsensitive) == 0 && !machinePath.isEmpty())
            env.set(name, machinePath + QLatin1Char(';') + text);
        else
            env.set(name, text);
    });
    forEachText(HKEY_CURRENT_USER, QStringLiteral("Volatile Environment"),
                [&](const QString& name, const QString& text) { env.set(name, text); });

    QString systemRoot = readText(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion"),
                                  QStringLiteral("SystemRoot"));
    if (systemRoot.isEmpty())
        systemRoot = kDefaultSystemRoot;
    env.set(QStringLiteral("SystemRoot"), systemRoot);
    env.set(QStringLiteral("windir"), systemRoot);
    const bool hasDrive = systemRoot.size() >= 2 && systemRoot.at(0).isLetter() && systemRoot.at(1) == QLatin1Char(':');
    env.set(QStringLiteral("SystemDrive"), hasDrive ? systemRoot.left(2) : QStringLiteral("C:"));

    const QString currentVersion = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");
    const std::pair<const char*, const char*> folders[] = {
        {"ProgramFiles", "ProgramFilesDir"},
        {"ProgramFiles(x86)", "ProgramFilesDir (x86)"},
        {"CommonProgramFiles", "CommonFilesDir"},
        {"CommonProgramFiles(x86)", "CommonFilesDir (x86)"},
    };
    for (const auto& [variable, valueName] : folders) {
        const QString folder = readText(HKEY_LOCAL_MACHINE, currentVersion, QString::fromLatin1(valueName));
        if (!folder.isEmpty())
            env.set(QString::fromLatin1(variable), folder);
    }
    return env;
}

void PrefixEnvironment::set(const QString& name, const QString& value)
{
    m_values.insert(name.toLower(), value);
}

bool PrefixEnvironment::contains(const QString& name) const
{
    return m_values.contains(name.toLower());
}

QString PrefixEnvironment::value(const QString& name) const
{
    return m_values.value(name.toLower());
}

QString PrefixEnvironment::systemRoot() const
{
    const QString root = expand(value(QStringLiteral("SystemRoot")));
    return root.isEmpty() ? kDefaultSystemRoot : root;
}

QString PrefixEnvironment::expand(const QString& text) const
{
    int budget = kMaxSubstitutions;
    return expand(text, 0, budget);
}

QString PrefixEnvironment::expand(const QString& text, int depth, int& budget) const
{
    if (!text.contains(QLatin1Char('%')))
        return text;
    QString result;
    qsizetype pos = 0;
    while (pos < text.size() && result.size() < kMaxExpandedLength) {
        const qsizetype open = text.indexOf(QLatin1Char('%'), pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) {
            result += QStringView(text).mid(pos);
            break;
        }
        result += QStringView(text).mid(pos, open - pos);
        const QString name = text.mid(open + 1, close - open - 1);
        const auto found = name.isEmpty() ? m_values.cend() : m_values.constFind(name.toLower());
        if (found != m_values.cend() && depth < kMaxExpansionDepth && budget > 0) {
            --budget;
            result += expand(found.value(), depth + 1, budget);
            pos = close + 1;
        } else {
            // As Windows does: keep "%NAME" and let the closing '%' open the next name.
            result += QStringView(text).mid(open, close - open);
            pos = close;
        }
    }
    result.truncate(kMaxExpandedLength);
    return result;
}
