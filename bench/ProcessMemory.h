#pragma once

#include <cstdint>

// The resident memory of this process, from /proc/self, for benchmarks that measure peaks in a
// process of their own.
class ProcessMemory {
public:
    // The resident size now, in bytes; -1 when unreadable.
    static std::int64_t resident();
    // The highest resident size since the start or the last resetPeak(), in bytes; -1 when
    // unreadable.
    static std::int64_t peak();
    // Makes peak() start again from the current resident size.
    static void resetPeak();
};
