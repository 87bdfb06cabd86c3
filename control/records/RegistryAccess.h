#pragma once

#include "platform/registry/RegistryTypes.h"

#include <QString>

#include <cstdint>

// The registry access layer: reads and writes the single pieces of an association. Readers give
// the empty result when a key or value is missing or cannot be read; writers return 0 or an
// error number. Every function opens what it needs and closes it again.

// Text values are read into 260 characters; a longer value counts as missing.
inline constexpr int kTextBufferChars = 260;

// The approved shell extensions list under HKEY_LOCAL_MACHINE.
QString approvedListPath();

// Reads the value `valueName` (empty: the default value) of an open key as text; false when it is
// missing or does not fit the text buffer.
bool regReadText(HKEY key, const QString& valueName, QString& text);
// The same for the records' own reads, where a missing value is empty text: false only when the
// value exists but cannot be read (it does not fit the text buffer, or the key is gone).
bool regReadTextOrEmpty(HKEY key, const QString& valueName, QString& text);

// ---- readers (parent is normally HKEY_CLASSES_ROOT)
QString regGetDefault(HKEY parent, const QString& name);
QString regGetCLSID(HKEY parent, const QString& name);
QString regGetDefaultIcon(HKEY parent, const QString& name);
bool regGetQuickView(HKEY parent, const QString& name);
std::uint32_t regGetFlags(HKEY parent, const QString& name);
QString regGetContentType(HKEY parent, const QString& ext);
QString regGetInfoTip(HKEY parent, const QString& ext);
bool regIsApproved(const QString& clsid);

// ---- writers for the parts of an open, writable file type key (the key stays open)
long regPutDefaultItem(HKEY typeKey, const QString& iconPath);
long regPutCLSID(HKEY typeKey, const QString& clsid);
long regPutFlags(HKEY typeKey, std::uint32_t flags);
long regPutQuickView(HKEY typeKey, bool quickView);

// ---- writers for the values of a file extension key
long regPutContentType(HKEY root, const QString& ext, const QString& contentType);
long regPutInfoTip(HKEY root, const QString& ext, const QString& infoTip);

// ---- the approved list
long regSetApproved(const QString& clsid, bool approve);
