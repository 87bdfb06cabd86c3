#pragma once

#include "platform/registry/Hive.h"

// Counts how two versions of a registry file differ, key by key: keys only in the newer one were
// added, keys only in the older one were removed, and a key in both changed when its values
// differ (names without regard to case, type and data).
class HiveComparison {
public:
    struct Counts {
        int added = 0;
        int removed = 0;
        int changed = 0;

        bool operator==(const Counts&) const = default;
        bool isEmpty() const { return added == 0 && removed == 0 && changed == 0; }
    };

    static Counts compare(const Hive& older, const Hive& newer);
};
