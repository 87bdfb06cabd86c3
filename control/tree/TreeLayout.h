#pragma once

#include "control/records/FileTypeObject.h"

#include <QString>

#include <array>

class KestrowTree;

// How records become nodes of the tree: which folders hold a record, and the key, text and image
// of each. Loading binds every record through these functions and AddItem places a new record
// through them too, so an added item looks exactly as the next reload shows it.

// The owner an orphaned extension names, in both its InternalName and HostTypeKey.
inline const QString kNotDefined = QStringLiteral("<not defined>");

struct NodeSpec {
    QString parentKey; // empty for a node at the top of the tree
    QString key;
    QString text;
    QString image;
};

// The nodes that show one record: the folders it sits in, outermost first (each made with its first
// child and shared by the rest), then the record's own node.
class NodePath {
public:
    void add(NodeSpec spec) { m_nodes[static_cast<std::size_t>(m_count++)] = std::move(spec); }
    const NodeSpec* begin() const { return m_nodes.data(); }
    const NodeSpec* end() const { return m_nodes.data() + m_count; }
    const NodeSpec& record() const { return m_nodes[static_cast<std::size_t>(m_count - 1)]; }

private:
    std::array<NodeSpec, 3> m_nodes; // a handler of a type: "Shell Extensions", its group, itself
    int m_count = 0;
};

NodePath FileTypeNodes(const FileTypeObject& type);
// An extension of the file type keyed `ownerTypeKey`, or with kNotDefined an orphaned one.
NodePath ExtensionNodes(const FileExtensionObject& extension, const QString& ownerTypeKey);
NodePath ActionNodes(const ActionObject& action, const QString& ownerTypeKey);
// A handler of the file type or of the file extension keyed `ownerKey`, as its FileExtensionSH says.
NodePath ShellExtensionNodes(const ShellExtensionObject& handler, const QString& ownerKey);
// The folder of the orphaned extensions, which exists even when it is empty.
NodeSpec OrphansFolder();

// The key of the extension a handler of an extension belongs to. Handlers loaded with their
// extension know only its name; those the host makes also carry its key.
QString HostExtensionKey(const ShellExtensionObject& handler);

// Visits the node path of a record and then those of every member below it, in the order they are
// bound: a type's own node, its extensions (each followed by its handlers), its actions, its
// handlers. Stops when `visit` returns false, and then returns false.
template <typename Visit>
bool VisitSubtree(const FileExtensionObject& extension, const QString& ownerTypeKey, Visit&& visit)
{
    if (!visit(ExtensionNodes(extension, ownerTypeKey)))
        return false;
    const QString key = extension.Key();
    for (const auto& handler : extension.ShellExtensions)
        if (!visit(ShellExtensionNodes(*handler.item, key)))
            return false;
    return true;
}

template <typename Visit>
bool VisitSubtree(const FileTypeObject& type, Visit&& visit)
{
    if (!visit(FileTypeNodes(type)))
        return false;
    const QString key = type.Key();
    for (const auto& extension : type.FileExtensions)
        if (!VisitSubtree(*extension.item, key, visit))
            return false;
    for (const auto& action : type.Actions)
        if (!visit(ActionNodes(*action.item, key)))
            return false;
    for (const auto& handler : type.ShellExtensions)
        if (!visit(ShellExtensionNodes(*handler.item, key)))
            return false;
    return true;
}

// Adds the folders of `path` that are missing and then the record's node. Throws OperationError
// 35602 when the record's node exists and 35601 when the outermost parent is missing.
void PlaceNodes(KestrowTree& tree, const NodePath& path);

// The display name of a shell-extension group (the "_Name" entry of its row).
QString ShellExtensionGroupName(int groupIndex);

// The image of a folder node opened or closed, chosen by its key's prefix; empty for nodes whose
// image does not change.
QString FolderImage(const QString& nodeKey, bool expanded);
