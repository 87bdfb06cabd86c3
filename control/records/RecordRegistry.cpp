#include "control/records/RecordRegistry.h"

#include "platform/registry/RegistryApi.h"

bool isSafeSubkeyPath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(u'\\') || path.endsWith(u'\\'))
        return false;
    return !path.contains(QStringLiteral("\\\\"));
}

bool isSameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isSamePlace(const QString& loaded, const QString& place)
{
    return !loaded.isEmpty() && loaded.compare(place, Qt::CaseInsensitive) == 0;
}

QString classPath(const QString& clsid)
{
    return QStringLiteral("CLSID\\") + clsid;
}

bool createKey(HKEY parent, const QString& path, RegKeyHandle& key, bool* createdNew)
{
    DWORD disposition = 0;
    RegCreateKeyEx(parent, path, 0, QString(), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.out(),
                   &disposition);
    if (createdNew)
        *createdNew = disposition == REG_CREATED_NEW_KEY;
    return disposition == REG_CREATED_NEW_KEY || disposition == REG_OPENED_EXISTING_KEY;
}

long setTextValue(HKEY key, const QString& valueName, const QString& text, DWORD type)
{
    const QByteArray data = regTextBytes(text);
    return RegSetValueEx(key, valueName, 0, type, reinterpret_cast<const std::uint8_t*>(data.constData()),
                         static_cast<DWORD>(data.size()));
}

bool deleteSubtree(HKEY parent, const QString& name)
{
    return isSafeSubkeyPath(name) && RegDeleteTree(parent, name) == ERROR_SUCCESS;
}

void removeIfEmpty(HKEY parent, const QString& path)
{
    if (!isSafeSubkeyPath(path))
        return;
    RegKeyHandle key;
    if (RegOpenKeyEx(parent, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return;
    DWORD subKeys = 1;
    DWORD values = 1;
    if (RegQueryInfoKey(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                        nullptr, nullptr) != ERROR_SUCCESS)
        return;
    key.close();
    if (subKeys == 0 && values == 0)
        RegDeleteKey(parent, path);
}
