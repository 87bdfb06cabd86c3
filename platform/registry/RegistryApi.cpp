#include "platform/registry/RegistryApi.h"

namespace {

template <typename Call>
LONG onCurrent(Call&& call)
{
    Registry* registry = Registry::current();
    return registry ? call(*registry) : ERROR_INVALID_HANDLE;
}

} // namespace

LONG RegOpenKeyEx(HKEY key, const QString& subKey, DWORD options, REGSAM access, HKEY* result)
{
    return onCurrent([&](Registry& r) { return r.RegOpenKeyEx(key, subKey, options, access, result); });
}

LONG RegCreateKeyEx(HKEY key, const QString& subKey, DWORD reserved, const QString& className, DWORD options,
                    REGSAM access, const void* security, HKEY* result, DWORD* disposition)
{
    return onCurrent([&](Registry& r) {
        return r.RegCreateKeyEx(key, subKey, reserved, className, options, access, security, result, disposition);
    });
}

LONG RegCloseKey(HKEY key)
{
    return onCurrent([&](Registry& r) { return r.RegCloseKey(key); });
}

LONG RegQueryValueEx(HKEY key, const QString& valueName, DWORD* reserved, DWORD* type, std::uint8_t* data,
                     DWORD* dataSize)
{
    return onCurrent([&](Registry& r) { return r.RegQueryValueEx(key, valueName, reserved, type, data, dataSize); });
}

LONG RegSetValueEx(HKEY key, const QString& valueName, DWORD reserved, DWORD type, const std::uint8_t* data,
                   DWORD dataSize)
{
    return onCurrent([&](Registry& r) { return r.RegSetValueEx(key, valueName, reserved, type, data, dataSize); });
}

LONG RegDeleteValue(HKEY key, const QString& valueName)
{
    return onCurrent([&](Registry& r) { return r.RegDeleteValue(key, valueName); });
}

LONG RegDeleteKey(HKEY key, const QString& subKey)
{
    return onCurrent([&](Registry& r) { return r.RegDeleteKey(key, subKey); });
}

LONG RegDeleteTree(HKEY key, const QString& subKey)
{
    return onCurrent([&](Registry& r) { return r.RegDeleteTree(key, subKey); });
}

LONG RegEnumKeyEx(HKEY key, DWORD index, QString* name, DWORD* nameChars, DWORD* reserved, QString* className,
                  DWORD* classChars, std::int64_t* lastWriteTime)
{
    return onCurrent([&](Registry& r) {
        return r.RegEnumKeyEx(key, index, name, nameChars, reserved, className, classChars, lastWriteTime);
    });
}

LONG RegEnumValue(HKEY key, DWORD index, QString* valueName, DWORD* valueNameChars, DWORD* reserved, DWORD* type,
                  std::uint8_t* data, DWORD* dataSize)
{
    return onCurrent([&](Registry& r) {
        return r.RegEnumValue(key, index, valueName, valueNameChars, reserved, type, data, dataSize);
    });
}

LONG RegQueryInfoKey(HKEY key, QString* className, DWORD* classChars, DWORD* reserved, DWORD* subKeys,
                     DWORD* maxSubKeyChars, DWORD* maxClassChars, DWORD* values, DWORD* maxValueNameChars,
                     DWORD* maxValueBytes, DWORD* securityDescriptorBytes, std::int64_t* lastWriteTime)
{
    return onCurrent([&](Registry& r) {
        return r.RegQueryInfoKey(key, className, classChars, reserved, subKeys, maxSubKeyChars, maxClassChars,
                                 values, maxValueNameChars, maxValueBytes, securityDescriptorBytes, lastWriteTime);
    });
}

QByteArray regTextBytes(const QString& text)
{
    QByteArray bytes;
    bytes.resize((text.size() + 1) * 2);
    char* d = bytes.data();
    for (const QChar c : text) {
        *d++ = char(c.unicode() & 0xFF);
        *d++ = char(c.unicode() >> 8);
    }
    *d++ = 0;
    *d = 0;
    return bytes;
}

QString regTextFromBytes(const std::uint8_t* data, DWORD size)
{
    DWORD units = size / 2;
    for (DWORD i = 0; i < units; ++i) {
        if (data[2 * i] == 0 && data[2 * i + 1] == 0) {
            units = i;
            break;
        }
    }
    QString text(static_cast<qsizetype>(units), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    for (DWORD i = 0; i < units; ++i)
        out[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    return text;
}
