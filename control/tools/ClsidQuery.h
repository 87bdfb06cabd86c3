#pragma once

#include <QString>

#include <vector>

// One node of the CLSID tool's query tree.
struct ClsidQueryNode {
    QString parentKey; // empty: a top-level node
    QString key;
    QString text;
    QString image; // the key of an image of the tool's image list
};

// What the registry holds for one class identifier, as the CLSID tool shows it: a tree of nodes in
// display order (parents before their children), or the one error node.
struct ClsidQueryResult {
    std::vector<ClsidQueryNode> nodes;
    // The icon locations the "CustomIcon" and "ToolBoxIcon" images are made from; both empty when
    // the query stopped at an error.
    QString defaultIcon;
    QString toolBoxBitmap;

    const ClsidQueryNode* find(const QString& key) const;
    bool isError() const { return nodes.size() == 1 && nodes.front().key == QLatin1String("ERROR"); }
};

// Reads what HKEY_CLASSES_ROOT\CLSID\<identifier> holds. Only reads: every key is opened for
// reading and closed again.
class ClsidQuery {
public:
    // The result code of an identifier that cannot name a class key.
    static constexpr long kInvalidClsid = -2;

    // The tree for `clsid` (surrounding blanks ignored). Never fails: a value that cannot be read
    // shows "(none)", a list that cannot be read its "(none)" node; only a text that is no
    // identifier and a class key that cannot be opened give the single error node.
    static ClsidQueryResult QueryCLSID(const QString& clsid);
};
