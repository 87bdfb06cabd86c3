#include "tests/support/RegistryRecords.h"

#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/RegistryAccess.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

namespace {

const QString kNotDefined = QStringLiteral("<not defined>");

} // namespace

RegistryRecords RegistryRecords::load()
{
    RegistryRecords records;
    RegKeyHandle root;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, QString(), 0, KEY_READ, root.out()) != ERROR_SUCCESS)
        return records;
    QString name;
    for (DWORD index = 0;; ++index) {
        DWORD chars = kTextBufferChars;
        if (RegEnumKeyEx(root.get(), index, &name, &chars) != ERROR_SUCCESS)
            break;
        if (!name.startsWith(u'.'))
            continue;
        auto ext = std::make_shared<FileExtensionObject>();
        ext->Extension = name;
        ext->LoadMe(true);
        ext->HostTypeKey = FileTypeKey(ext->InternalName);
        auto type = records.types.value(ext->HostTypeKey);
        if (!type) {
            type = std::make_shared<FileTypeObject>();
            type->InternalName = ext->InternalName;
            records.types.add(ext->HostTypeKey, type);
        }
        type->FileExtensions.tryAdd(ext->Key(), ext);
        if (type->Loaded() != LOAD_NOTLOADED)
            continue;
        const long rc = type->LoadMe(true);
        if (rc == 0)
            continue;
        records.types.tryRemove(type->Key());
        if (rc == kErrNoInternalName) {
            ext->InternalName = kNotDefined;
            ext->HostTypeKey = kNotDefined;
            ext->KeepAsLoaded();
            records.orphans.tryAdd(ext->Key(), ext);
        }
    }
    root.close();

    for (const DefinitionRow& row : DefinitionRows(SECTION_SPECIAL)) {
        auto type = std::make_shared<FileTypeObject>();
        type->Special = true;
        type->SpecialIndex = static_cast<qint16>(row.index);
        type->InternalName = row.key;
        if (records.types.contains(type->Key()) || type->LoadMe(true) != 0)
            continue;
        if (type->IconPath == DefinitionField(SECTION_SPECIAL, row.index, FIELD_DEFAULTICON)) {
            type->IconPath.clear();
            type->KeepAsLoaded();
        }
        records.types.add(type->Key(), type);
    }
    return records;
}

long RegistryRecords::writeAll() const
{
    long first = 0;
    auto note = [&](long rc) {
        if (first == 0)
            first = rc;
    };
    for (const auto& entry : types)
        note(entry.item->WriteMe(true));
    for (const auto& entry : orphans)
        note(entry.item->WriteMe(true));
    return first;
}

std::shared_ptr<FileTypeObject> RegistryRecords::type(const QString& internalName) const
{
    return types.value(FileTypeKey(internalName));
}

std::shared_ptr<FileExtensionObject> RegistryRecords::extension(const QString& extension) const
{
    const QString key = FileExtensionKey(extension);
    if (auto orphan = orphans.value(key))
        return orphan;
    for (const auto& entry : types)
        if (auto ext = entry.item->FileExtensions.value(key))
            return ext;
    return nullptr;
}
