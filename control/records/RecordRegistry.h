#pragma once

#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryTypes.h"

#include <QString>

// Registry steps the four records share.

// A relative key path that names a key below its parent: not empty, no empty names, no leading or
// trailing separator. Anything else could address the parent itself, so writers and removers
// refuse it.
bool isSafeSubkeyPath(const QString& path);

// "CLSID\{...}" below HKEY_CLASSES_ROOT.
QString classPath(const QString& clsid);

// Creates or opens parent\path for writing; true when the key was obtained (created new or
// opened existing).
bool createKey(HKEY parent, const QString& path, RegKeyHandle& key);

// Sets a REG_SZ value; the result is the registry's code.
long setTextValue(HKEY key, const QString& valueName, const QString& text);

// Deletes parent\name with everything below it; false when it cannot (or the name is unsafe).
bool deleteSubtree(HKEY parent, const QString& name);

// Deletes parent\path when it holds neither subkeys nor values, so that removing the last item of
// a container leaves no empty container behind.
void removeIfEmpty(HKEY parent, const QString& path);
