#include "control/tree/TreeBinding.h"

#include "common/Trace.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/FileTypeObject.h"
#include "control/tree/KestrowCore.h"
#include "control/tree/StepGuard.h"
#include "control/tree/TreeLayout.h"

namespace {

constexpr int kTraceProgress = 200;
constexpr int kTraceError = 202;

// Node failures the binding passes over: a node that exists already, a parent that is missing.
const std::initializer_list<long> kHarmless = {kErrDuplicateNodeKey, kErrMissingNode};

} // namespace

long BindType(KestrowCore& core, const FileTypeObject& type)
{
    const QString typeKey = type.Key();
    TraceEvent(QStringLiteral("BindType"),
               [&] { return QStringLiteral("binding type: %1,%2").arg(type.Name, typeKey); }, kTraceProgress);
    StepGuard guard([&] { return QStringLiteral("BindType File Type: %1 - %2").arg(type.Name, typeKey); });
    const bool bound = VisitSubtree(type, [&](const NodePath& path) {
        return guard.run([&] { PlaceNodes(core.tree(), path); }, kHarmless);
    });
    if (bound)
        return 0;
    TraceEvent(QStringLiteral("BindType"), [&] { return QStringLiteral("error binding type: %1").arg(guard.code()); },
               kTraceError);
    core.Clear();
    return guard.code();
}

long BindCollection(KestrowCore& core)
{
    TraceEvent(QStringLiteral("BindCollection"), QStringLiteral("binding collection to treeview"), kTraceProgress);
    TraceEvent(QStringLiteral("BindCollection"), QStringLiteral("file type count: %1").arg(core.Count()), kTraceProgress);
    TraceEvent(QStringLiteral("BindCollection"), QStringLiteral("icon count: %1").arg(core.imlIcons().Count()),
               kTraceProgress);
    QString lastName;
    QString lastKey;
    StepGuard guard([&] { return QStringLiteral("BindCollection File Type: %1 - %2").arg(lastName, lastKey); });

    KestrowTree& tree = core.tree();
    tree.beginBulk();
    long result = 0;
    // A snapshot: a Cancel inside BindType empties the collection.
    std::vector<std::shared_ptr<FileTypeObject>> types;
    types.reserve(static_cast<std::size_t>(core.Count()));
    for (const auto& entry : core.FileTypeCollection())
        types.push_back(entry.item);
    for (const auto& type : types) {
        lastName = type->Name;
        lastKey = type->Key();
        const long rc = BindType(core, *type);
        if (rc != 0 && !guard.askRetry(rc, QStringLiteral("Error binding File Type Object to TreeView."))) {
            result = guard.code();
            break;
        }
    }
    if (result == 0) {
        const NodeSpec folder = OrphansFolder();
        if (!tree.node(folder.key))
            tree.add(folder.parentKey, folder.key, folder.text, folder.image);
        for (const auto& orphan : core.OrphanedExtensions()) {
            if (!guard.run([&] { PlaceNodes(tree, ExtensionNodes(*orphan.item, kNotDefined)); }, kHarmless)) {
                result = guard.code();
                break;
            }
        }
    }
    tree.endBulk();
    if (result != 0) {
        core.Clear();
        TraceEvent(QStringLiteral("BindCollection"), QStringLiteral("error binding collection (%1)").arg(result), kTraceError);
    }
    TraceEvent(QStringLiteral("BindCollection"), QStringLiteral("done binding collection (%1)").arg(result), kTraceProgress);
    return result;
}
