#pragma once

#include "control/records/RegistryAccess.h"
#include "platform/registry/RegistryTypes.h"

#include <utility>

// What one field of a record held when the record was loaded (or last written): how its registry
// value stood - absent, read with its type, or there but unreadable - and the field's value once
// the load was done, derived texts included (a made-up type name, an action's standard display
// name). A field whose value still equals that one was not changed by the user, and the record
// does not write it; when it did change, it is written with the type the value already had.
//
// A default LoadedValue knows nothing (the record was never loaded, or the value was not written
// as intended): its field counts as changed, whatever it holds, and is written.
template <typename T>
class LoadedValue {
public:
    LoadedValue() = default;
    LoadedValue(RegValueState state, DWORD type, T value)
        : m_known(true)
        , m_state(state)
        , m_type(state == RegValueState::Absent ? REG_NONE : type)
        , m_value(std::move(value))
    {
    }

    // Whether a field now holding `now` has to be written.
    bool changed(const T& now) const { return !m_known || now != m_value; }
    // The registry held a value that could not be read whole; the field shows the empty value.
    bool unreadable() const { return m_known && m_state == RegValueState::Unreadable; }
    // The registry type of the value while it is there; REG_NONE when absent or nothing is known.
    DWORD type() const { return m_known ? m_type : REG_NONE; }
    // The type a changed text is written as: an existing REG_EXPAND_SZ stays one, so that its
    // %variables% keep being expanded; a new value, and one of any other type, is REG_SZ.
    DWORD textType() const { return type() == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ; }

    // Takes `now` as the field's value after the load: the display values a loader sets are no
    // change of the user's. Does nothing when nothing is known.
    void keep(const T& now)
    {
        if (m_known)
            m_value = now;
    }

    // Writes a changed field as `type` through `write(type)`, which returns the registry's code, and
    // then remembers what the registry holds: `now` as a value of that type, or no value where the
    // write `removes` it; nothing when the write failed, so that the next write tries again.
    // Returns the write's code, 0 when nothing had to be written.
    template <typename Write>
    long writeIfChanged(const T& now, DWORD type, bool removes, Write&& write)
    {
        if (!changed(now))
            return 0;
        const long rc = std::forward<Write>(write)(type);
        *this = rc == 0 ? LoadedValue(removes ? RegValueState::Absent : RegValueState::Read, type, now) : LoadedValue();
        return rc;
    }

private:
    bool m_known = false;
    RegValueState m_state = RegValueState::Absent;
    DWORD m_type = REG_NONE;
    T m_value{};
};
