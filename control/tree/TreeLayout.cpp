#include "control/tree/TreeLayout.h"

#include "control/records/Definitions.h"
#include "control/records/FileTypeObject.h"
#include "control/tree/KestrowTree.h"

namespace {

const QString kFavouriteFolder = QStringLiteral("favfolder.closed");
const QString kControlFolder = QStringLiteral("controlfolder.closed");
const QString kProgramFolder = QStringLiteral("progfolder.closed");
const QString kShellExtensionImage = QStringLiteral("shellext.default");

const QString kExtensionsFolderText = QStringLiteral("Extensions");
const QString kActionsFolderText = QStringLiteral("Actions");
const QString kShellExtensionsFolderText = QStringLiteral("Shell Extensions");

} // namespace

QString ShellExtensionGroupName(int groupIndex)
{
    return DefinitionField(SECTION_SHELLEX, groupIndex, FIELD_NAME);
}

QString HostExtensionKey(const ShellExtensionObject& handler)
{
    return handler.HostTypeKey.isEmpty() ? FileExtensionKey(handler.HostInternalName) : handler.HostTypeKey;
}

NodePath FileTypeNodes(const FileTypeObject& type)
{
    NodePath path;
    const QString key = type.Key();
    QString parent;
    if (type.Special && type.SpecialGroup) {
        parent = KEY_SPECIALTYPEFOLDER;
        path.add({QString(), parent, QStringLiteral(" Special Types"), kFavouriteFolder});
    }
    path.add({parent, key, type.Name, key});
    return path;
}

NodeSpec OrphansFolder()
{
    return {QString(), KEY_ORPHANEDEXTFOLDER, QStringLiteral(" Orphaned File Extensions"), kFavouriteFolder};
}

NodePath ExtensionNodes(const FileExtensionObject& extension, const QString& ownerTypeKey)
{
    NodePath path;
    if (ownerTypeKey == kNotDefined) {
        path.add(OrphansFolder());
        path.add({KEY_ORPHANEDEXTFOLDER, extension.Key(), extension.Extension, QStringLiteral("orphaned.default")});
        return path;
    }
    const QString folder = ExtensionsFolderKey(ownerTypeKey);
    path.add({ownerTypeKey, folder, kExtensionsFolderText, kFavouriteFolder});
    path.add({folder, extension.Key(), extension.Extension, ownerTypeKey});
    return path;
}

NodePath ActionNodes(const ActionObject& action, const QString& ownerTypeKey)
{
    NodePath path;
    const QString folder = ActionsFolderKey(ownerTypeKey);
    path.add({ownerTypeKey, folder, kActionsFolderText, kProgramFolder});
    path.add({folder, action.Key(), action.Name, QStringLiteral("action.default")});
    return path;
}

NodePath ShellExtensionNodes(const ShellExtensionObject& handler, const QString& ownerKey)
{
    NodePath path;
    if (handler.FileExtensionSH) {
        const QString folder = ExtensionShellExtensionsFolderKey(ownerKey);
        path.add({ownerKey, folder, kShellExtensionsFolderText, kControlFolder});
        path.add({folder, handler.Key(), handler.Name, kShellExtensionImage});
        return path;
    }
    const QString folder = ShellExtensionsFolderKey(ownerKey);
    const QString group = ShellExtensionGroupFolderKey(ownerKey, handler.ExtTypeIndex);
    path.add({ownerKey, folder, kShellExtensionsFolderText, kControlFolder});
    path.add({folder, group, ShellExtensionGroupName(handler.ExtTypeIndex), kControlFolder});
    path.add({group, handler.Key(), handler.Name, kShellExtensionImage});
    return path;
}

void PlaceNodes(KestrowTree& tree, const NodePath& path)
{
    const NodeSpec& record = path.record();
    for (const NodeSpec& node : path) {
        // Folders are shared: only a missing one is made. Looking first costs far less than a
        // failed add, and folders are looked up once per child.
        if (&node != &record && tree.node(node.key))
            continue;
        tree.add(node.parentKey, node.key, node.text, node.image);
    }
}

QString FolderImage(const QString& nodeKey, bool expanded)
{
    const QString prefix = nodeKey.left(5);
    const bool favourite = prefix == KEY_PREFIX_EXTENSIONSFOLDER || prefix == KEY_PREFIX_SPECIALFOLDER;
    const bool control = prefix == KEY_PREFIX_SHELLEXFOLDER || prefix == KEY_PREFIX_SHELLEXGROUPFOLDER;
    const bool program = prefix == KEY_PREFIX_ACTIONSFOLDER;
    if (!favourite && !control && !program)
        return QString();
    if (expanded)
        return QStringLiteral("folder.open");
    if (favourite)
        return kFavouriteFolder;
    return control ? kControlFolder : kProgramFolder;
}
