#pragma once

#include "control/records/ActionObject.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/FileExtensionObject.h"
#include "control/records/FileTypeObject.h"
#include "control/records/OperationError.h"
#include "control/records/ShellExtensionObject.h"

#include <memory>

// The one place that turns an item kind (1 to 4) into its record class.

inline bool IsItemKind(qint16 itemType)
{
    return itemType >= ITEM_FILETYPE && itemType <= ITEM_ACTION;
}

// The record as the class of its kind; throws OperationError 91 when there is no record or it is
// of another class.
template <typename Record>
std::shared_ptr<Record> RecordAs(const std::shared_ptr<ItemObject>& item)
{
    auto typed = std::dynamic_pointer_cast<Record>(item);
    if (!typed)
        throw OperationError(kErrNoObject, QStringLiteral("Object variable or With block variable not set"));
    return typed;
}

// Calls `visit` with the record as the class of `itemType` and returns its result; 1004 for a kind
// outside 1 to 4. `visit` is usually an Overloaded set with one function per record class.
template <typename Visit>
long VisitItem(qint16 itemType, const std::shared_ptr<ItemObject>& item, Visit&& visit)
{
    switch (itemType) {
    case ITEM_FILETYPE: return visit(RecordAs<FileTypeObject>(item));
    case ITEM_FILEEXTENSION: return visit(RecordAs<FileExtensionObject>(item));
    case ITEM_SHELLEXTENSION: return visit(RecordAs<ShellExtensionObject>(item));
    case ITEM_ACTION: return visit(RecordAs<ActionObject>(item));
    default: return kResultBadItemType;
    }
}

// One callable made of several lambdas, for VisitItem.
template <typename... Functions>
struct Overloaded : Functions... {
    using Functions::operator()...;
};
template <typename... Functions>
Overloaded(Functions...) -> Overloaded<Functions...>;
