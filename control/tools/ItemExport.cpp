#include "control/tools/ItemExport.h"

#include "common/Trace.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"
#include "control/records/RecordRegistry.h"
#include "control/records/RegistryAccess.h"
#include "control/tree/ItemKinds.h"
#include "platform/registry/RegFileWriter.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

#include <QStringList>

#include <algorithm>

#include <vector>

namespace {

constexpr int kTraceError = 702;

enum class Presence { Required, Optional };

QString rootName(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? QStringLiteral("HKEY_LOCAL_MACHINE") : QStringLiteral("HKEY_CLASSES_ROOT");
}

// Collects the keys of one export in the order the registry enumerates them.
class ExportBuilder {
public:
    // Adds root\path with everything below it. A missing key fails when it is Required and is
    // skipped (false) when it is Optional.
    bool addSubtree(HKEY root, const QString& path, Presence presence)
    {
        RegKeyHandle key;
        const LONG rc = isSafeSubkeyPath(path) ? RegOpenKeyEx(root, path, 0, KEY_READ, key.out())
                                                : ERROR_FILE_NOT_FOUND;
        if (rc == ERROR_FILE_NOT_FOUND && presence == Presence::Optional)
            return false;
        const QString fullPath = rootName(root) + u'\\' + path;
        check(rc, fullPath);
        addTree(key.get(), fullPath);
        return true;
    }

    // Adds the class key of each identifier that has one, and their entries in the approved list
    // (under the list's key, which is exported with those values only).
    void addClasses(const QStringList& clsids)
    {
        QStringList added;
        for (const QString& clsid : clsids) {
            const bool seen = std::any_of(added.cbegin(), added.cend(),
                                          [&](const QString& other) { return isSameName(other, clsid); });
            if (!clsid.isEmpty() && !seen && addSubtree(HKEY_CLASSES_ROOT, classPath(clsid), Presence::Optional))
                added << clsid;
        }
        if (added.isEmpty())
            return;
        RegKeyHandle list;
        if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, approvedListPath(), 0, KEY_READ, list.out()) != ERROR_SUCCESS)
            return;
        std::vector<RegValue> approvals;
        for (RegValue& value : readValues(list.get(), rootName(HKEY_LOCAL_MACHINE) + u'\\' + approvedListPath()))
            if (std::any_of(added.cbegin(), added.cend(),
                            [&](const QString& clsid) { return isSameName(clsid, value.name); }))
                approvals.push_back(std::move(value));
        if (!approvals.empty())
            addKey(rootName(HKEY_LOCAL_MACHINE) + u'\\' + approvedListPath(), approvals);
    }

    const RegFileWriter& writer() const { return m_writer; }

private:
    static void check(LONG rc, const QString& fullPath)
    {
        if (rc != ERROR_SUCCESS)
            throw OperationError(kErrOpenKey, QStringLiteral("Cannot read the key %1 (error %2).").arg(fullPath).arg(rc));
    }

    void addKey(const QString& fullPath, const std::vector<RegValue>& values)
    {
        if (!m_writer.addKey(fullPath, values))
            throw OperationError(ItemExport::kErrKeyName,
                                 QStringLiteral("The key %1 has a name a .reg file cannot hold.").arg(fullPath));
    }

    // A key's values, in the registry's order.
    static std::vector<RegValue> readValues(HKEY key, const QString& fullPath)
    {
        DWORD maxNameChars = 0;
        DWORD maxBytes = 0;
        check(RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxNameChars,
                              &maxBytes, nullptr, nullptr),
              fullPath);
        std::vector<std::uint8_t> data(std::max<DWORD>(maxBytes, 1));
        std::vector<RegValue> values;
        for (DWORD index = 0;; ++index) {
            RegValue value;
            DWORD nameChars = maxNameChars + 1;
            auto size = static_cast<DWORD>(data.size());
            const LONG rc = RegEnumValue(key, index, &value.name, &nameChars, nullptr, &value.type, data.data(), &size);
            if (rc == ERROR_NO_MORE_ITEMS)
                break;
            check(rc, fullPath);
            value.data = QByteArray(reinterpret_cast<const char*>(data.data()), size);
            values.push_back(std::move(value));
        }
        return values;
    }

    // The key, then each subkey with its subtree, depth first.
    void addTree(HKEY key, const QString& fullPath)
    {
        addKey(fullPath, readValues(key, fullPath));
        QStringList names;
        for (DWORD index = 0;; ++index) {
            QString name;
            DWORD chars = kMaxKeyNameLength + 2; // Wine allows one character more than Windows
            const LONG rc = RegEnumKeyEx(key, index, &name, &chars);
            if (rc == ERROR_NO_MORE_ITEMS)
                break;
            check(rc, fullPath);
            names << name;
        }
        for (const QString& name : names) {
            RegKeyHandle child;
            const QString childPath = fullPath + u'\\' + name;
            check(RegOpenKeyEx(key, name, 0, KEY_READ, child.out()), childPath);
            addTree(child.get(), childPath);
        }
    }

    RegFileWriter m_writer;
};

// The class the handler key parent\path names: its default value, or the key's own name when
// that is empty.
QString handlerClass(HKEY parent, const QString& path, const QString& keyName)
{
    const QString clsid = regReadTextValue(parent, path, QString()).text.trimmed();
    return clsid.isEmpty() ? keyName : clsid;
}

// The names of the subkeys of an open key.
QStringList subkeyNames(HKEY key)
{
    QStringList names;
    QString name;
    for (DWORD index = 0;; ++index) {
        DWORD chars = kMaxKeyNameLength + 2;
        if (RegEnumKeyEx(key, index, &name, &chars) != ERROR_SUCCESS)
            break;
        names << name;
    }
    return names;
}

// The classes of the handlers of a file type: below its shellex key, a key of each handler kind
// of the definition table, either naming the class itself or, for a group, holding one member key
// per handler.
QStringList typeHandlerClasses(const QString& internalName)
{
    QStringList clsids;
    RegKeyHandle shellex;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, internalName + QStringLiteral("\\shellex"), 0, KEY_READ, shellex.out()) !=
        ERROR_SUCCESS)
        return clsids;
    for (const DefinitionRow& row : DefinitionRows(SECTION_SHELLEX)) {
        const std::optional<bool> isGroup = DefinitionBoolean(row.group);
        RegKeyHandle kind;
        if (!isGroup || !isSafeSubkeyPath(row.key) ||
            RegOpenKeyEx(shellex.get(), row.key, 0, KEY_READ, kind.out()) != ERROR_SUCCESS)
            continue;
        if (!*isGroup) {
            clsids << handlerClass(shellex.get(), row.key, row.key);
            continue;
        }
        for (const QString& member : subkeyNames(kind.get()))
            clsids << handlerClass(kind.get(), member, member);
    }
    return clsids;
}

// The classes of the handlers of an extension: every key below its shellex key is one.
QStringList extensionHandlerClasses(const QString& extension)
{
    QStringList clsids;
    RegKeyHandle shellex;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, extension + QStringLiteral("\\shellex"), 0, KEY_READ, shellex.out()) !=
        ERROR_SUCCESS)
        return clsids;
    for (const QString& name : subkeyNames(shellex.get()))
        clsids << handlerClass(shellex.get(), name, name);
    return clsids;
}

QString handlerKeyPath(const ShellExtensionObject& handler)
{
    QString path = handler.HostInternalName + QStringLiteral("\\shellex\\") + handler.ExtTypeKey;
    if (handler.ExtTypeGroup)
        path += u'\\' + handler.InternalName;
    return path;
}

QString safeFileName(QString name)
{
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    // A leading dot would hide the file; trailing dots and blanks do not survive on Windows.
    while (!name.isEmpty() && (name.front() == u'.' || name.front().isSpace()))
        name.remove(0, 1);
    while (!name.isEmpty() && (name.back() == u'.' || name.back().isSpace()))
        name.chop(1);
    return (name.isEmpty() ? QStringLiteral("export") : name) + QStringLiteral(".reg");
}

} // namespace

long ItemExport::Export(qint16 itemType, const std::shared_ptr<ItemObject>& item, const QString& fileName,
                        QString& error)
{
    error.clear();
    const long rc = runOperation(QStringLiteral("ItemExport::Export"), kTraceError, [&]() -> long {
        try {
            ExportBuilder builder;
            const long visited = VisitItem(
                itemType, item,
                Overloaded{
                    [&](const std::shared_ptr<FileTypeObject>& type) -> long {
                        builder.addSubtree(HKEY_CLASSES_ROOT, type->InternalName, Presence::Required);
                        QStringList clsids = typeHandlerClasses(type->InternalName);
                        for (const auto& entry : type->FileExtensions) {
                            builder.addSubtree(HKEY_CLASSES_ROOT, entry.item->Extension, Presence::Required);
                            clsids << extensionHandlerClasses(entry.item->Extension);
                        }
                        builder.addClasses(clsids);
                        return 0;
                    },
                    [&](const std::shared_ptr<FileExtensionObject>& extension) -> long {
                        builder.addSubtree(HKEY_CLASSES_ROOT, extension->Extension, Presence::Required);
                        builder.addClasses(extensionHandlerClasses(extension->Extension));
                        return 0;
                    },
                    [&](const std::shared_ptr<ActionObject>& action) -> long {
                        builder.addSubtree(HKEY_CLASSES_ROOT,
                                           action->HostInternalName + QStringLiteral("\\shell\\") + action->CommandKey,
                                           Presence::Required);
                        return 0;
                    },
                    [&](const std::shared_ptr<ShellExtensionObject>& handler) -> long {
                        const QString path = handlerKeyPath(*handler);
                        builder.addSubtree(HKEY_CLASSES_ROOT, path, Presence::Required);
                        builder.addClasses({handlerClass(HKEY_CLASSES_ROOT, path, handler->InternalName)});
                        return 0;
                    },
                });
            if (visited != 0)
                throw OperationError(visited, QStringLiteral("There is no item of kind %1.").arg(itemType));
            QString saveError;
            if (!builder.writer().save(fileName, saveError))
                throw OperationError(kErrWriteFile, saveError);
            return 0;
        } catch (const OperationError& e) {
            error = e.description();
            throw;
        }
    });
    if (rc != 0 && error.isEmpty())
        error = QStringLiteral("The export failed (error %1).").arg(rc);
    return rc;
}

QString ItemExport::SuggestedFileName(qint16 itemType, const std::shared_ptr<ItemObject>& item)
{
    QString name;
    try {
        VisitItem(itemType, item,
                  Overloaded{
                      [&](const std::shared_ptr<FileTypeObject>& type) { name = type->InternalName; return 0L; },
                      [&](const std::shared_ptr<FileExtensionObject>& extension) {
                          name = extension->Extension;
                          return 0L;
                      },
                      [&](const std::shared_ptr<ActionObject>& action) { name = action->CommandKey; return 0L; },
                      [&](const std::shared_ptr<ShellExtensionObject>& handler) {
                          name = handler->Name.isEmpty() ? handler->CLSID : handler->Name;
                          return 0L;
                      },
                  });
    } catch (const OperationError&) {
        // No record: the plain name below.
    }
    return safeFileName(name);
}
