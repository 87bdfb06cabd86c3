// The script interpreter's calls on the engine's registry API (Registry::current()).
#include "tests/regapi/RegScript.h"

#include "platform/registry/RegistryApi.h"

#include <QString>

namespace regscript {

namespace {

QString qt(const Text& text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

QString qt(const Text* text)
{
    return text ? qt(*text) : QString();
}

Text fromQt(const QString& text)
{
    return Text(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size()));
}

// Copies a name the engine returned into a caller's buffer, with its terminating NUL.
void copyName(const QString& text, char16_t* out)
{
    const Text units = fromQt(text);
    std::copy(units.begin(), units.end(), out);
    out[units.size()] = u'\0';
}

} // namespace

Handle predefined(const std::string& name)
{
    if (name == "HKCU")
        return HKEY_CURRENT_USER;
    if (name == "HKLM")
        return HKEY_LOCAL_MACHINE;
    if (name == "HKCR")
        return HKEY_CLASSES_ROOT;
    return 0;
}

long createKey(Handle parent, const Text& subKey, const Text& className, std::uint32_t access, Handle* result,
               std::uint32_t* disposition)
{
    HKEY key = 0;
    const LONG rc = RegCreateKeyEx(parent, qt(subKey), 0, qt(className), 0, access, nullptr, &key, disposition);
    if (rc == ERROR_SUCCESS)
        *result = key;
    return rc;
}

long openKey(Handle parent, const Text& subKey, std::uint32_t access, Handle* result)
{
    HKEY key = 0;
    const LONG rc = RegOpenKeyEx(parent, qt(subKey), 0, access, &key);
    if (rc == ERROR_SUCCESS)
        *result = key;
    return rc;
}

long closeKey(Handle key)
{
    return RegCloseKey(key);
}

long setValue(Handle key, const Text* name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size)
{
    return RegSetValueEx(key, qt(name), 0, type, data, size);
}

long queryValue(Handle key, const Text* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size)
{
    return RegQueryValueEx(key, qt(name), nullptr, type, data, size);
}

long deleteValue(Handle key, const Text* name)
{
    return RegDeleteValue(key, qt(name));
}

long deleteKey(Handle key, const Text& subKey)
{
    return RegDeleteKey(key, qt(subKey));
}

long deleteTree(Handle key, const Text* subKey)
{
    return RegDeleteTree(key, qt(subKey));
}

long enumKey(Handle key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars)
{
    QString text;
    const LONG rc = RegEnumKeyEx(key, index, name ? &text : nullptr, nameChars);
    if (rc == ERROR_SUCCESS)
        copyName(text, name);
    return rc;
}

long enumValue(Handle key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars, std::uint32_t* type,
               std::uint8_t* data, std::uint32_t* size)
{
    QString text;
    const LONG rc = RegEnumValue(key, index, name ? &text : nullptr, nameChars, nullptr, type, data, size);
    if (rc == ERROR_SUCCESS)
        copyName(text, name);
    return rc;
}

long queryInfo(Handle key, KeyInfo* info)
{
    QString className;
    DWORD classChars = 256;
    const LONG rc = RegQueryInfoKey(key, &className, &classChars, nullptr, &info->subKeys, &info->maxSubKeyChars,
                                    &info->maxClassChars, &info->values, &info->maxValueNameChars,
                                    &info->maxValueBytes, nullptr, nullptr);
    if (rc == ERROR_SUCCESS)
        info->className = fromQt(className);
    return rc;
}

} // namespace regscript
