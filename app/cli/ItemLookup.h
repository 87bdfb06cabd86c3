#pragma once

#include "control/records/ItemObject.h"

#include <QString>

#include <memory>
#include <optional>

class KestrowCore;
class KestrowNode;

// An item a command names on the command line, as the control holds it.
struct FoundItem {
    qint16 kind = 0; // ITEM_FILETYPE or ITEM_FILEEXTENSION
    std::shared_ptr<ItemObject> item;
    const KestrowNode* node = nullptr;
};

// Finds the item a command line names, without regard to letter case: ".ext" is an extension
// (orphaned or not); a name without a dot is a file type's internal name, or failing that the
// extension with a dot put in front ("txt" finds ".txt" unless a type is named "txt").
class ItemLookup {
public:
    static std::optional<FoundItem> find(const KestrowCore& core, const QString& name);
};
