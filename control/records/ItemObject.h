#pragma once

#include <QString>
#include <QtGlobal>

// What the four record classes have in common: the control and the windows hand records around
// as this and look at their kind.
class ItemObject {
public:
    virtual ~ItemObject() = default;

    // ITEM_FILETYPE, ITEM_FILEEXTENSION, ITEM_SHELLEXTENSION or ITEM_ACTION.
    virtual qint16 ItemType() const = 0;
    // The record's identity in every keyed collection and tree node.
    virtual QString Key() const = 0;
    // "FileTypeObject", "FileExtensionObject", "ShellExtensionObject" or "ActionObject".
    virtual QString ClassName() const = 0;

    // Edit lock between windows: an edit window refuses a record whose flag is set.
    bool Locked = false;

protected:
    ItemObject() = default;
    ItemObject(const ItemObject&) = default;
    ItemObject& operator=(const ItemObject&) = default;
};
