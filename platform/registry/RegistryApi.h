#pragma once

#include "platform/registry/Registry.h"

#include <QString>

#include <cstdint>

// The advapi32 registry functions, working on Registry::current(). Without a current registry
// every call answers ERROR_INVALID_HANDLE.

LONG RegOpenKeyEx(HKEY key, const QString& subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegCreateKeyEx(HKEY key, const QString& subKey, DWORD reserved, const QString& className, DWORD options,
                    REGSAM access, const void* security, HKEY* result, DWORD* disposition);
LONG RegCloseKey(HKEY key);
LONG RegQueryValueEx(HKEY key, const QString& valueName, DWORD* reserved, DWORD* type, std::uint8_t* data,
                     DWORD* dataSize);
LONG RegSetValueEx(HKEY key, const QString& valueName, DWORD reserved, DWORD type, const std::uint8_t* data,
                   DWORD dataSize);
LONG RegDeleteValue(HKEY key, const QString& valueName);
LONG RegDeleteKey(HKEY key, const QString& subKey);
LONG RegDeleteTree(HKEY key, const QString& subKey);
LONG RegEnumKeyEx(HKEY key, DWORD index, QString* name, DWORD* nameChars, DWORD* reserved = nullptr,
                  QString* className = nullptr, DWORD* classChars = nullptr, std::int64_t* lastWriteTime = nullptr);
LONG RegEnumValue(HKEY key, DWORD index, QString* valueName, DWORD* valueNameChars, DWORD* reserved, DWORD* type,
                  std::uint8_t* data, DWORD* dataSize);
LONG RegQueryInfoKey(HKEY key, QString* className, DWORD* classChars, DWORD* reserved, DWORD* subKeys,
                     DWORD* maxSubKeyChars, DWORD* maxClassChars, DWORD* values, DWORD* maxValueNameChars,
                     DWORD* maxValueBytes, DWORD* securityDescriptorBytes, std::int64_t* lastWriteTime);

// Text in the registry's own layout: UTF-16LE with a terminating NUL, as REG_SZ data is stored.
QByteArray regTextBytes(const QString& text);
// The characters of REG_SZ-style data before the first NUL.
QString regTextFromBytes(const std::uint8_t* data, DWORD size);
