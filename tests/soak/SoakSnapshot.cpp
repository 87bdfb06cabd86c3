#include "tests/soak/SoakSnapshot.h"

#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

#include <QRegularExpression>

#include <vector>

namespace {

const QString kExportRoot = QStringLiteral("hkey_local_machine\\software\\classes\\");

void addSubtree(SoakSnapshot& snapshot, const QString& path, const std::function<bool(const QString&)>& skip)
{
    if (skip && skip(path))
        return;
    RegKeyHandle key;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return;
    snapshot.addKey(path);
    std::vector<std::uint8_t> data(1 << 16);
    for (DWORD index = 0;; ++index) {
        QString name;
        DWORD nameChars = 16384;
        DWORD type = 0;
        DWORD size = DWORD(data.size());
        if (RegEnumValue(key.get(), index, &name, &nameChars, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        const bool text = type == REG_SZ || type == REG_EXPAND_SZ;
        snapshot.setValue(path, name, type,
                          text ? regTextFromBytes(data.data(), size)
                               : QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(data.data()), size).toHex()));
    }
    for (DWORD index = 0;; ++index) {
        QString name;
        DWORD nameChars = 16384;
        if (RegEnumKeyEx(key.get(), index, &name, &nameChars) != ERROR_SUCCESS)
            break;
        addSubtree(snapshot, path + u'\\' + name, skip);
    }
}

bool underRoots(const QString& path, const QStringList& roots)
{
    for (const QString& root : roots)
        if (path.compare(root, Qt::CaseInsensitive) == 0 ||
            path.startsWith(root + u'\\', Qt::CaseInsensitive))
            return true;
    return false;
}

// The text of a quoted .reg string without its quotes and escapes.
QString unquote(QStringView quoted)
{
    QString text;
    for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == u'\\' && i + 2 < quoted.size())
            ++i;
        text += quoted[i];
    }
    return text;
}

} // namespace

void SoakSnapshot::setValue(const QString& path, const QString& name, unsigned type, const QString& text)
{
    m_keys[path.toLower()][name.toLower()] = QStringLiteral("%1:%2").arg(type).arg(text);
}

SoakSnapshot SoakSnapshot::ofRegistry(const QStringList& roots, const std::function<bool(const QString&)>& skip)
{
    SoakSnapshot snapshot;
    for (const QString& root : roots)
        addSubtree(snapshot, root, skip);
    return snapshot;
}

QStringList SoakSnapshot::topKeys()
{
    QStringList names;
    for (DWORD index = 0;; ++index) {
        QString name;
        DWORD nameChars = 16384;
        if (RegEnumKeyEx(HKEY_CLASSES_ROOT, index, &name, &nameChars) != ERROR_SUCCESS)
            break;
        names << name;
    }
    return names;
}

SoakSnapshot SoakSnapshot::ofRegExport(const QString& exportText, const QStringList& roots)
{
    // Only what the soak writes: keys, and text values on one line each.
    static const QRegularExpression value(QStringLiteral(R"(^(@|"(?:[^"\\]|\\.)*")=(.*)$)"));
    SoakSnapshot snapshot;
    QString current;
    for (const QString& raw : exportText.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString key = line.mid(1, line.size() - 2);
            current.clear();
            if (key.toLower().startsWith(kExportRoot) && underRoots(key.mid(kExportRoot.size()), roots)) {
                current = key.mid(kExportRoot.size());
                snapshot.addKey(current);
            }
            continue;
        }
        if (current.isEmpty())
            continue;
        const QRegularExpressionMatch match = value.match(line);
        if (!match.hasMatch())
            continue;
        const QString name = match.captured(1) == u'@' ? QString() : unquote(match.captured(1));
        const QString data = match.captured(2);
        if (data.startsWith(u'"'))
            snapshot.setValue(current, name, REG_SZ, unquote(data));
        else
            snapshot.setValue(current, name, REG_NONE, data); // a kind the soak never writes
    }
    return snapshot;
}

QStringList SoakSnapshot::differences(const SoakSnapshot& expected, const SoakSnapshot& actual, int limit)
{
    QStringList lines;
    auto note = [&](const QString& line) {
        if (lines.size() < limit)
            lines << line;
    };
    for (auto it = expected.m_keys.begin(); it != expected.m_keys.end(); ++it) {
        const auto found = actual.m_keys.find(it.key());
        if (found == actual.m_keys.end()) {
            note(QStringLiteral("missing key %1").arg(it.key()));
            continue;
        }
        for (auto v = it->begin(); v != it->end(); ++v)
            if (found->value(v.key()) != v.value())
                note(QStringLiteral("%1 value \"%2\": expected %3, found %4")
                         .arg(it.key(), v.key(), v.value(),
                              found->contains(v.key()) ? found->value(v.key()) : QStringLiteral("none")));
        for (auto v = found->begin(); v != found->end(); ++v)
            if (!it->contains(v.key()))
                note(QStringLiteral("%1 value \"%2\" = %3 should not be there").arg(it.key(), v.key(), v.value()));
    }
    for (auto it = actual.m_keys.begin(); it != actual.m_keys.end(); ++it)
        if (!expected.m_keys.contains(it.key()))
            note(QStringLiteral("key %1 should not be there").arg(it.key()));
    return lines;
}
