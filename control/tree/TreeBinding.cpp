#include "control/tree/TreeBinding.h"

#include "common/Trace.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/FileTypeObject.h"
#include "control/records/OperationError.h"
#include "control/tree/Kestrow.h"
#include "control/tree/StepGuard.h"

namespace {

constexpr int kTraceProgress = 200;
constexpr int kTraceError = 202;

// Node failures the binding passes over: a node that exists already, a parent that is missing.
const std::initializer_list<long> kHarmless = {kErrDuplicateNodeKey, kErrMissingNode};

// Adds a node unless its key is in use or its parent is missing: folders are ensured once per
// child, and looking first is far cheaper than a failed add.
void addNode(Kestrow& control, const QString& parentKey, const QString& key, const QString& text,
             const QString& image)
{
    KestrowTree& tree = control.tree();
    if (tree.node(key) || (!parentKey.isEmpty() && !tree.node(parentKey)))
        return;
    tree.add(parentKey, key, text, image);
}

} // namespace

QString ShellExtensionGroupName(int groupIndex)
{
    return DefinitionField(SECTION_SHELLEX, groupIndex, FIELD_NAME);
}

KestrowNode* EnsureFolder(Kestrow& control, const QString& parentKey, const QString& key, const QString& text,
                          const QString& image)
{
    addNode(control, parentKey, key, text, image);
    return control.tree().node(key);
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
        return QStringLiteral("favfolder.closed");
    return control ? QStringLiteral("controlfolder.closed") : QStringLiteral("progfolder.closed");
}

long BindType(Kestrow& control, const FileTypeObject& type)
{
    const QString typeKey = type.Key();
    TraceEvent(QStringLiteral("BindType"),
               [&] { return QStringLiteral("binding type: %1,%2").arg(type.Name, typeKey); }, kTraceProgress);
    StepGuard guard([&] { return QStringLiteral("BindType File Type: %1 - %2").arg(type.Name, typeKey); });
    auto step = [&](auto&& body) { return guard.run(body, kHarmless); };
    auto failed = [&] {
        TraceEvent(QStringLiteral("BindType"),
                   [&] { return QStringLiteral("error binding type: %1").arg(guard.code()); }, kTraceError);
        control.Clear();
        return guard.code();
    };

    if (!step([&] {
            QString parentKey;
            if (type.Special && type.SpecialGroup) {
                addNode(control, QString(), KEY_SPECIALTYPEFOLDER, QLatin1String(kSpecialTypesFolderText),
                        QStringLiteral("favfolder.closed"));
                parentKey = KEY_SPECIALTYPEFOLDER;
            }
            control.tree().add(parentKey, typeKey, type.Name, typeKey);
        }))
        return failed();

    for (const auto& extension : type.FileExtensions) {
        const FileExtensionObject& ext = *extension.item;
        if (!step([&] {
                const QString folder = ExtensionsFolderKey(typeKey);
                EnsureFolder(control, typeKey, folder, QLatin1String(kExtensionsFolderText),
                             QStringLiteral("favfolder.closed"));
                control.tree().add(folder, ext.Key(), ext.Extension, typeKey);
                for (const auto& handler : ext.ShellExtensions) {
                    const QString handlers = ExtensionShellExtensionsFolderKey(ext.Key());
                    EnsureFolder(control, ext.Key(), handlers, QLatin1String(kShellExtensionsFolderText),
                                 QStringLiteral("controlfolder.closed"));
                    addNode(control, handlers, handler.item->Key(), handler.item->Name,
                            QStringLiteral("shellext.default"));
                }
            }))
            return failed();
    }

    for (const auto& action : type.Actions) {
        if (!step([&] {
                const QString folder = ActionsFolderKey(typeKey);
                EnsureFolder(control, typeKey, folder, QLatin1String(kActionsFolderText),
                             QStringLiteral("progfolder.closed"));
                control.tree().add(folder, action.item->Key(), action.item->Name, QStringLiteral("action.default"));
            }))
            return failed();
    }

    for (const auto& handler : type.ShellExtensions) {
        if (!step([&] {
                const QString folder = ShellExtensionsFolderKey(typeKey);
                EnsureFolder(control, typeKey, folder, QLatin1String(kShellExtensionsFolderText),
                             QStringLiteral("controlfolder.closed"));
                const int index = handler.item->ExtTypeIndex;
                const QString group = ShellExtensionGroupFolderKey(typeKey, index);
                EnsureFolder(control, folder, group, ShellExtensionGroupName(index),
                             QStringLiteral("controlfolder.closed"));
                control.tree().add(group, handler.item->Key(), handler.item->Name, QStringLiteral("shellext.default"));
            }))
            return failed();
    }
    return 0;
}

long BindCollection(Kestrow& control)
{
    TraceEvent(QStringLiteral("BindCollection"), QStringLiteral("binding collection to treeview"), kTraceProgress);
    TraceEvent(QStringLiteral("BindCollection"), QStringLiteral("file type count: %1").arg(control.Count()), kTraceProgress);
    TraceEvent(QStringLiteral("BindCollection"), QStringLiteral("icon count: %1").arg(control.imlIcons().Count()),
               kTraceProgress);
    QString lastName;
    QString lastKey;
    StepGuard guard([&] { return QStringLiteral("BindCollection File Type: %1 - %2").arg(lastName, lastKey); });

    control.tree().beginBulk();
    long result = 0;
    // A snapshot: a Cancel inside BindType empties the collection.
    std::vector<std::shared_ptr<FileTypeObject>> types;
    types.reserve(static_cast<std::size_t>(control.Count()));
    for (const auto& entry : control.FileTypeCollection())
        types.push_back(entry.item);
    for (const auto& type : types) {
        lastName = type->Name;
        lastKey = type->Key();
        const long rc = BindType(control, *type);
        if (rc != 0 && !guard.askRetry(rc, QStringLiteral("Error binding File Type Object to TreeView."))) {
            result = guard.code();
            break;
        }
    }
    if (result == 0) {
        addNode(control, QString(), KEY_ORPHANEDEXTFOLDER, QLatin1String(kOrphansFolderText),
                QStringLiteral("favfolder.closed"));
        for (const auto& orphan : control.OrphanedExtensions())
            addNode(control, KEY_ORPHANEDEXTFOLDER, orphan.item->Key(), orphan.item->Extension,
                    QStringLiteral("orphaned.default"));
    }
    control.tree().endBulk();
    if (result != 0) {
        control.Clear();
        TraceEvent(QStringLiteral("BindCollection"), QStringLiteral("error binding collection (%1)").arg(result), kTraceError);
    }
    TraceEvent(QStringLiteral("BindCollection"), QStringLiteral("done binding collection (%1)").arg(result), kTraceProgress);
    return result;
}
