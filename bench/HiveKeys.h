#pragma once

#include "platform/registry/RegKey.h"

#include <cstddef>
#include <functional>

// Walks over every key of a loaded tree, without recursion (a hive may be as deep as the registry
// allows).
class HiveKeys {
public:
    // Visits `root` and every key below it.
    static void forEach(RegKey& root, const std::function<void(RegKey&)>& visit);

    // The number of keys below `root`.
    static std::size_t count(RegKey& root);

    // Makes the writer format the whole tree, as after an edit of every key's values, instead of
    // copying the sections it read. Each key keeps its time, so the output stays comparable.
    static void markAllChanged(RegKey& root);

    // Marks every key changed without decoding its values, as creating or deleting a subkey of
    // every key does: the writer writes each key line anew and copies the value lines.
    static void touchAll(RegKey& root);
};
