#include "bench/HiveKeys.h"

#include <vector>

void HiveKeys::forEach(RegKey& root, const std::function<void(RegKey&)>& visit)
{
    std::vector<RegKey*> pending {&root};
    while (!pending.empty()) {
        RegKey* key = pending.back();
        pending.pop_back();
        visit(*key);
        for (const RegKey::Ptr& child : key->children())
            pending.push_back(child.get());
    }
}

std::size_t HiveKeys::count(RegKey& root)
{
    std::size_t keys = 0;
    forEach(root, [&keys](RegKey&) { ++keys; });
    return keys - 1;
}

void HiveKeys::markAllChanged(RegKey& root)
{
    forEach(root, [](RegKey& key) {
        key.values();
        key.touch(key.modified());
    });
}

void HiveKeys::touchAll(RegKey& root)
{
    forEach(root, [](RegKey& key) { key.touch(key.modified()); });
}
