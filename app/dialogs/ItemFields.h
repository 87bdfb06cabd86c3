#pragma once

#include <QString>

// What the edit and add windows show of a record, as the user sees and types it. The plain classes
// that load, check and apply records (ItemEditor, ItemAdder) and the panels that show them
// (ItemPanels) exchange these; nothing here has been checked.

struct FileTypeFields {
    QString name;
    QString internalName;
    QString extension; // the first extension of a new file type; adding only
    QString defaultIcon;
    QString clsid;
    QString flags; // EditFlags in decimal
    bool quickView = false;
};

struct FileExtensionFields {
    QString extension;
    QString typeKey;  // the item key of the file type it belongs to; "<not defined>" for an orphan
    QString typeName; // what "Associated With:" shows
    QString contentType;
    QString infoTip;
};

struct ActionFields {
    QString name;
    QString command;
    bool usesDde = false;
    QString ddeMessage;
    QString ddeApp;
    QString ddeAppNoRun;
    QString ddeTopic;
    QString typeKey; // the file type to add it to; adding only
    QString typeName;
};

struct ShellExtensionFields {
    QString name;
    QString internalName; // editing only
    QString clsid;
    QString inproc32;
    int threadModel = -1;       // position in HandlerTables::threadModels(); -1 none chosen
    int group = -1;             // group number n of HandlerTables::groups(); -1 none chosen
    bool groupEditable = true;  // false for a handler of a file extension, whose group stays
    bool approved = false;
    QString typeKey; // the file type to add it to; adding only
    QString typeName;
};
