#include "app/cli/ItemLookup.h"

#include "control/records/Definitions.h"
#include "control/tree/KestrowCore.h"

namespace {

std::optional<FoundItem> byNodeKey(const KestrowCore& core, const QString& key)
{
    const KestrowNode* node = core.GetNodeFromKey(key);
    std::shared_ptr<ItemObject> item = core.GetItemFromNode(node);
    if (!item)
        return std::nullopt;
    return FoundItem{item->ItemType(), std::move(item), node};
}

} // namespace

std::optional<FoundItem> ItemLookup::find(const KestrowCore& core, const QString& name)
{
    if (name.isEmpty() || name == u'.')
        return std::nullopt;
    if (name.startsWith(u'.'))
        return byNodeKey(core, FileExtensionKey(name));
    if (auto type = byNodeKey(core, FileTypeKey(name)))
        return type;
    return byNodeKey(core, FileExtensionKey(u'.' + name));
}
