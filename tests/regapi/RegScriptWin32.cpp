// The script interpreter's calls on Windows' own registry API, and the program that runs scripts
// with it: regscript.exe FILE... prints what each script's calls answer, one line per call.
#include "tests/regapi/RegScriptInterpreter.h"

#include <windows.h>

#include <fstream>
#include <iostream>

namespace regscript {

namespace {

HKEY hkey(Handle key)
{
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key));
}

const wchar_t* wide(const Text& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

const wchar_t* wide(const Text* text)
{
    return text ? wide(*text) : nullptr;
}

DWORD* dword(std::uint32_t* value)
{
    static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
    return reinterpret_cast<DWORD*>(value);
}

} // namespace

Handle predefined(const std::string& name)
{
    HKEY key = nullptr;
    if (name == "HKCU")
        key = HKEY_CURRENT_USER;
    else if (name == "HKLM")
        key = HKEY_LOCAL_MACHINE;
    else if (name == "HKCR")
        key = HKEY_CLASSES_ROOT;
    return static_cast<Handle>(reinterpret_cast<ULONG_PTR>(key));
}

long createKey(Handle parent, const Text& subKey, const Text& className, std::uint32_t access, Handle* result,
               std::uint32_t* disposition)
{
    HKEY key = nullptr;
    const LONG rc = RegCreateKeyExW(hkey(parent), wide(subKey), 0,
                                    const_cast<wchar_t*>(className.empty() ? nullptr : wide(className)), 0, access,
                                    nullptr, &key, dword(disposition));
    if (rc == ERROR_SUCCESS)
        *result = static_cast<Handle>(reinterpret_cast<ULONG_PTR>(key));
    return rc;
}

long openKey(Handle parent, const Text& subKey, std::uint32_t access, Handle* result)
{
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExW(hkey(parent), wide(subKey), 0, access, &key);
    if (rc == ERROR_SUCCESS)
        *result = static_cast<Handle>(reinterpret_cast<ULONG_PTR>(key));
    return rc;
}

long closeKey(Handle key)
{
    return RegCloseKey(hkey(key));
}

long setValue(Handle key, const Text* name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size)
{
    return RegSetValueExW(hkey(key), wide(name), 0, type, data, size);
}

long queryValue(Handle key, const Text* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size)
{
    return RegQueryValueExW(hkey(key), wide(name), nullptr, dword(type), data, dword(size));
}

long deleteValue(Handle key, const Text* name)
{
    return RegDeleteValueW(hkey(key), wide(name));
}

long deleteKey(Handle key, const Text& subKey)
{
    return RegDeleteKeyW(hkey(key), wide(subKey));
}

long deleteTree(Handle key, const Text* subKey)
{
    return RegDeleteTreeW(hkey(key), wide(subKey));
}

long enumKey(Handle key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars)
{
    return RegEnumKeyExW(hkey(key), index, reinterpret_cast<wchar_t*>(name), dword(nameChars), nullptr, nullptr,
                         nullptr, nullptr);
}

long enumValue(Handle key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars, std::uint32_t* type,
               std::uint8_t* data, std::uint32_t* size)
{
    return RegEnumValueW(hkey(key), index, reinterpret_cast<wchar_t*>(name), dword(nameChars), nullptr, dword(type),
                         data, dword(size));
}

long queryInfo(Handle key, KeyInfo* info)
{
    wchar_t className[256];
    DWORD classChars = 256;
    const LONG rc = RegQueryInfoKeyW(hkey(key), className, &classChars, nullptr, dword(&info->subKeys),
                                     dword(&info->maxSubKeyChars), dword(&info->maxClassChars), dword(&info->values),
                                     dword(&info->maxValueNameChars), dword(&info->maxValueBytes), nullptr, nullptr);
    if (rc == ERROR_SUCCESS)
        info->className.assign(reinterpret_cast<const char16_t*>(className), classChars);
    return rc;
}

} // namespace regscript

int main(int argc, char** argv)
{
    RegScriptInterpreter interpreter(std::cout);
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::cerr << "cannot read " << argv[i] << '\n';
            return 2;
        }
        interpreter.run(in);
    }
    return 0;
}
