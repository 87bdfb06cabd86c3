#pragma once

#include "control/records/ItemObject.h"

#include <QString>

#include <array>
#include <memory>

class KestrowCore;
class KestrowNode;

// What the main window shows and allows for the node actually selected in the tree: the
// information panel (a description, or three captioned rows) and the state of every command.
// Derived afresh after every click, load, command and Find match, so that no button acts on an
// item that is no longer selected.
struct SelectionView {
    struct Row {
        QString caption;
        QString value;
        bool link = false; // the caption is a link that acts on the value
        QString toolTip;
    };

    std::shared_ptr<ItemObject> item; // the selected record; none for a folder
    qint16 kind = 0;                  // its item kind; 0 for none

    QString frameCaption;
    bool showDescription = true;
    QString description; // shown instead of the rows
    std::array<Row, 3> rows;

    // The kind the add dialog opens for; 0: Add opens nothing here.
    qint16 addKind = 0;
    // The file type the selected node belongs to (itself, for a type), which Add offers as the
    // new item's file type; empty where there is none.
    QString hostTypeKey;
    bool canAdd = false;
    bool canEdit = false;
    bool canRemove = false;
    bool canRefresh = false;
    bool canFind = false;
    bool canAssociate = false; // "Associate with...", shown only when allowed
    bool canAddTo = false;     // "Add to...", shown only when allowed

    static SelectionView of(const KestrowCore& core, const KestrowNode* selected);

    // The link look of a row, by its caption and value.
    static Row styledRow(const QString& caption, const QString& value);
};

inline const QString kInfoPrompt = QStringLiteral("Click on an item to view information about it.");
