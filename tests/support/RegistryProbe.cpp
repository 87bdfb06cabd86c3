#include "tests/support/RegistryProbe.h"

#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

#include <vector>

namespace probe {

bool keyExists(const QString& path, HKEY root)
{
    RegKeyHandle key;
    return RegOpenKeyEx(root, path, 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

std::optional<QString> text(const QString& path, const QString& valueName, HKEY root)
{
    RegKeyHandle key;
    if (RegOpenKeyEx(root, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD size = 0;
    if (RegQueryValueEx(key.get(), valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<std::uint8_t> data(size + 2);
    RegQueryValueEx(key.get(), valueName, nullptr, nullptr, data.data(), &size);
    return regTextFromBytes(data.data(), size);
}

std::optional<DWORD> type(const QString& path, const QString& valueName, HKEY root)
{
    RegKeyHandle key;
    DWORD kind = 0;
    if (RegOpenKeyEx(root, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS ||
        RegQueryValueEx(key.get(), valueName, nullptr, &kind, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return kind;
}

QStringList subkeys(const QString& path, HKEY root)
{
    QStringList names;
    RegKeyHandle key;
    if (RegOpenKeyEx(root, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return names;
    QString name;
    for (DWORD i = 0;; ++i) {
        DWORD chars = 260;
        if (RegEnumKeyEx(key.get(), i, &name, &chars) != ERROR_SUCCESS)
            break;
        names << name;
    }
    return names;
}

} // namespace probe
