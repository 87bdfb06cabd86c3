#pragma once

#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryTypes.h"

#include <QString>

// Registry steps the four records share.

// A relative key path that names a key below its parent: not empty, no empty names, no leading or
// trailing separator. Anything else could address the parent itself, so writers and removers
// refuse it.
bool isSafeSubkeyPath(const QString& path);

// Whether `loaded`, the place a record's values were read from, is still `place`; key names
// compare without regard to case, and an empty `loaded` (nothing read) is no place at all.
bool isSamePlace(const QString& loaded, const QString& place);

// Whether two key or value names name the same thing: the registry ignores letter case, and so
// do CLSIDs and verbs.
bool isSameName(const QString& a, const QString& b);

// "CLSID\{...}" below HKEY_CLASSES_ROOT.
QString classPath(const QString& clsid);

// Creates or opens parent\path for writing; true when the key was obtained (created new or
// opened existing). `createdNew`, when given, tells whether it was created.
bool createKey(HKEY parent, const QString& path, RegKeyHandle& key, bool* createdNew = nullptr);

// Sets a text value of `type` (REG_SZ or REG_EXPAND_SZ); the result is the registry's code.
long setTextValue(HKEY key, const QString& valueName, const QString& text, DWORD type = REG_SZ);

// Deletes parent\name with everything below it; false when it cannot (or the name is unsafe).
bool deleteSubtree(HKEY parent, const QString& name);

// Deletes parent\path when it holds neither subkeys nor values, so that removing the last item of
// a container leaves no empty container behind.
void removeIfEmpty(HKEY parent, const QString& path);
