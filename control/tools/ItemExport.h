#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class ItemObject;

// Writes what an item is made of in the registry to a .reg file that Wine's regedit imports, so
// that a type can be carried from one prefix to another. Only reads the registry.
//
// What an item is made of:
// - a file type: its key, the key of each of its extensions, and for every handler below them
//   its class key (HKEY_CLASSES_ROOT\CLSID\{...}) and its entry in the approved list;
// - an extension: its key, and the class keys and approvals of its handlers;
// - an action: its verb key;
// - a handler: its key, its class key and its approval.
// Keys and values are exported as the registry holds them, values unknown to the records included.
class ItemExport {
public:
    // The export file cannot be written.
    static constexpr long kErrWriteFile = 75;
    // A key name holds a line break, which no .reg file can carry.
    static constexpr long kErrKeyName = 161;

    // Writes the registry keys the item consists of to `fileName` as a .reg file; 0, or an error
    // number with `error` saying what failed.
    static long Export(qint16 itemType, const std::shared_ptr<ItemObject>& item, const QString& fileName,
                       QString& error);

    // A file name ("txtfile.reg") for the export of an item: its internal name, extension (without
    // the dot, which would hide the file), verb or handler name, with the characters that have no
    // place in a file name replaced by "_".
    static QString SuggestedFileName(qint16 itemType, const std::shared_ptr<ItemObject>& item);
};
