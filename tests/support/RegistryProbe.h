#pragma once

#include "tests/support/QStringPrinter.h"

#include "platform/registry/RegistryTypes.h"

#include <QString>
#include <QStringList>

#include <optional>

// Reads the current registry the way a test checks it: straight from the keys, not from records.
namespace probe {

bool keyExists(const QString& path, HKEY root = HKEY_CLASSES_ROOT);
// The text of a value (empty name: the default value); no value when key or value is missing.
std::optional<QString> text(const QString& path, const QString& valueName = QString(), HKEY root = HKEY_CLASSES_ROOT);
// The type of a value; no value when missing.
std::optional<DWORD> type(const QString& path, const QString& valueName, HKEY root = HKEY_CLASSES_ROOT);
QStringList subkeys(const QString& path, HKEY root = HKEY_CLASSES_ROOT);

} // namespace probe
