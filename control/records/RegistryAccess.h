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

// How a registry value stood when it was read.
enum class RegValueState : std::uint8_t {
    Absent,     // the key or the value is not there
    Read,       // read whole
    Unreadable, // there, but not readable whole: text longer than the text buffer, EditFlags data
                // longer than 4 bytes or EditFlags text that is no number, or the key went away
};

// A value read as text: its state, its type while it is there, and its text (empty unless read).
struct RegTextRead {
    RegValueState state = RegValueState::Absent;
    DWORD type = REG_NONE;
    QString text;
};

// Reads the value `valueName` (empty: the default value) of an open key as text.
RegTextRead regReadTextValue(HKEY key, const QString& valueName);
// The same for a value of parent\path; a key that cannot be opened counts as absent.
RegTextRead regReadTextValue(HKEY parent, const QString& path, const QString& valueName);

// EditFlags as read: its state, its type while it is there, and the flags (0 unless read).
struct RegFlagsRead {
    RegValueState state = RegValueState::Absent;
    DWORD type = REG_NONE;
    std::uint32_t flags = 0;
};

// The value EditFlags of parent\name. Binary data (REG_DWORD, REG_BINARY, any other type) gives
// its first bytes as a little-endian number, shorter data zero-extended, longer than 4 bytes
// unreadable; a REG_SZ or REG_EXPAND_SZ text gives the decimal number it holds.
RegFlagsRead regReadFlags(HKEY parent, const QString& name);

// Whether the approved list holds a value named clsid, queried with room for 260 bytes of data:
// Read when it does and the data fits, Unreadable when the data is longer, Absent otherwise.
RegValueState regApproval(const QString& clsid);

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
// Texts are written as `type`: REG_SZ, or REG_EXPAND_SZ where the value they replace was one.
long regPutDefaultItem(HKEY typeKey, const QString& iconPath, DWORD type = REG_SZ);
long regPutCLSID(HKEY typeKey, const QString& clsid, DWORD type = REG_SZ);
// `type` REG_DWORD or REG_BINARY writes the flags as 4 little-endian bytes of that type; REG_SZ or
// REG_EXPAND_SZ as decimal text.
long regPutFlags(HKEY typeKey, std::uint32_t flags, DWORD type = REG_DWORD);
long regPutQuickView(HKEY typeKey, bool quickView, DWORD type = REG_SZ);

// ---- writers for the values of a file extension key
long regPutContentType(HKEY root, const QString& ext, const QString& contentType, DWORD type = REG_SZ);
long regPutInfoTip(HKEY root, const QString& ext, const QString& infoTip, DWORD type = REG_SZ);

// ---- the approved list
long regSetApproved(const QString& clsid, bool approve);
