#pragma once

#include <QString>

#include <functional>
#include <vector>

// One entry of the approved shell extensions list, joined with its class's 32-bit server.
struct ApprovedEntry {
    QString CLSID;          // the value's name
    QString Name;           // the value's text
    QString InprocServer32; // the default value of CLSID\<CLSID>\InprocServer32; empty when it has none
};

// The approved shell extensions list under HKEY_LOCAL_MACHINE: read it, add to it, remove from it.
// Each change is one command with one save.
class ApprovedList {
public:
    // Called before each step of the walk, so that a window can let pending events through.
    using Pump = std::function<void()>;

    // Every entry of the list, in the registry's order; empty when the list key cannot be read.
    // A description longer than the text buffer is cut to fit; it never hides the entries after it.
    static std::vector<ApprovedEntry> regEnumApproved(const Pump& pump = {});

    // Sets the value `clsid` to `name` (REG_SZ). Returns 0, the registry's code, or 1013 when the
    // change could not be saved.
    static long Add(const QString& clsid, const QString& name);
    // Deletes the value `clsid`. An empty clsid is refused (87): it would name the key's default
    // value, which is no entry. Returns 0, the registry's code, or 1013 when not saved.
    static long Remove(const QString& clsid);
};
