#pragma once

#include <QString>

class FileTypeObject;
class Kestrow;
class KestrowNode;

// The shape of the tree: which node stands for which record or folder, with the keys, texts and
// images every other part finds them by.

// Builds the whole tree from the control's collections. Returns 0, or the code of a failure
// after which the user chose Cancel (the control is then empty).
long BindCollection(Kestrow& control);

// Adds the nodes of one file type and everything below it.
long BindType(Kestrow& control, const FileTypeObject& type);

// The display name of a shell-extension group (the "_Name" entry of its row).
QString ShellExtensionGroupName(int groupIndex);

// Adds a folder node unless it is there already; returns it (null when its parent is missing).
KestrowNode* EnsureFolder(Kestrow& control, const QString& parentKey, const QString& key, const QString& text,
                          const QString& image);

// The image of a folder node opened or closed, chosen by its key's prefix; empty for nodes whose
// image does not change.
QString FolderImage(const QString& nodeKey, bool expanded);

// Folder texts and images.
inline constexpr auto kExtensionsFolderText = "Extensions";
inline constexpr auto kActionsFolderText = "Actions";
inline constexpr auto kShellExtensionsFolderText = "Shell Extensions";
inline constexpr auto kSpecialTypesFolderText = " Special Types";
inline constexpr auto kOrphansFolderText = " Orphaned File Extensions";
