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

    // A record writes only the fields that changed since it was loaded. The loader calls this
    // right after it set display values that are no change of the user's (an orphaned extension's
    // InternalName "<not defined>", a special type's cleared stand-in IconPath): every field's
    // current value becomes its loaded one. The record's place in the registry (its internal
    // name, extension, verb, host, group or CLSID) is not affected, and a record never loaded
    // stays one that writes everything.
    virtual void KeepAsLoaded() = 0;

    // Edit lock between windows: an edit window refuses a record whose flag is set.
    bool Locked = false;

protected:
    ItemObject() = default;
    // A copy is a new record, which no window has locked.
    ItemObject(const ItemObject&)
        : Locked(false)
    {
    }
    // Assigning values keeps the lock: it belongs to the record object a window edits.
    ItemObject& operator=(const ItemObject&) { return *this; }
};
