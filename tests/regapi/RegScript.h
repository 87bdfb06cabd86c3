#pragma once

// A script of registry calls, run against a registry API by RegScriptInterpreter. The interpreter
// is compiled twice: into a Windows program against advapi32 (RegScriptWin32.cpp) and into the
// native tests against the engine (RegScriptNative.cpp), so that both print their answers through
// the same code. No Qt and no Windows headers here.

#include <cstdint>
#include <string>

namespace regscript {

using Handle = std::uint64_t;
using Text = std::u16string;

// "HKCU", "HKLM" or "HKCR"; 0 for anything else.
Handle predefined(const std::string& name);

long createKey(Handle parent, const Text& subKey, const Text& className, std::uint32_t access, Handle* result,
               std::uint32_t* disposition);
long openKey(Handle parent, const Text& subKey, std::uint32_t access, Handle* result);
long closeKey(Handle key);
// A null name is the default value, as an empty one.
long setValue(Handle key, const Text* name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size);
long queryValue(Handle key, const Text* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size);
long deleteValue(Handle key, const Text* name);
long deleteKey(Handle key, const Text& subKey);
long deleteTree(Handle key, const Text* subKey);
// `name` holds `*nameChars` characters including room for the terminating NUL.
long enumKey(Handle key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars);
long enumValue(Handle key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars, std::uint32_t* type,
               std::uint8_t* data, std::uint32_t* size);
struct KeyInfo {
    Text className;
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyChars = 0;
    std::uint32_t maxClassChars = 0;
    std::uint32_t values = 0;
    std::uint32_t maxValueNameChars = 0;
    std::uint32_t maxValueBytes = 0;
};
long queryInfo(Handle key, KeyInfo* info);

} // namespace regscript
