#include "platform/registry/HiveComparison.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

int subtreeSize(const RegKey& key)
{
    int count = 1;
    for (const RegKey::Ptr& child : key.children())
        count += subtreeSize(*child);
    return count;
}

bool sameValues(const RegKey& a, const RegKey& b)
{
    // Two keys still as they were read, with the same section text, hold the same values; this
    // spares decoding every key of two large, mostly equal files.
    if (!a.isChanged() && !b.isChanged() && a.hasSection() && b.hasSection() &&
        a.section().length == b.section().length &&
        std::memcmp(a.section().text, b.section().text, a.section().length) == 0)
        return true;
    const std::vector<RegValue>& left = a.values();
    const std::vector<RegValue>& right = b.values();
    if (left.size() != right.size())
        return false;
    // Both are kept sorted by name in Wine's order.
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (RegKey::compareNames(left[i].name, right[i].name) != 0 || left[i].type != right[i].type ||
            left[i].data != right[i].data)
            return false;
    }
    return true;
}

void compareKeys(const RegKey& older, const RegKey& newer, HiveComparison::Counts& counts)
{
    if (!sameValues(older, newer))
        ++counts.changed;
    // Subkeys are kept in Wine's order of names: one merge walk pairs them.
    const auto& left = older.children();
    const auto& right = newer.children();
    std::size_t i = 0, j = 0;
    while (i < left.size() || j < right.size()) {
        const int order = i == left.size()    ? 1
                          : j == right.size() ? -1
                                              : RegKey::compareNames(left[i]->name(), right[j]->name());
        if (order < 0) {
            counts.removed += subtreeSize(*left[i++]);
        } else if (order > 0) {
            counts.added += subtreeSize(*right[j++]);
        } else {
            compareKeys(*left[i++], *right[j++], counts);
        }
    }
}

} // namespace

HiveComparison::Counts HiveComparison::compare(const Hive& older, const Hive& newer)
{
    Counts counts;
    compareKeys(*older.root(), *newer.root(), counts);
    return counts;
}
