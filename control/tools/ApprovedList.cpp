#include "control/tools/ApprovedList.h"

#include "control/records/OperationError.h"
#include "control/records/RecordRegistry.h"
#include "control/records/RegistryAccess.h"
#include "platform/registry/CommandScope.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

#include <cstdint>

namespace {

constexpr int kTraceRegistryError = 702;

// The 32-bit server of a class; empty when the class has none or the name is no key name.
QString inprocServerOf(const QString& clsid)
{
    if (clsid.isEmpty() || clsid.contains(u'\\'))
        return QString();
    return regReadTextValue(HKEY_CLASSES_ROOT, classPath(clsid) + QStringLiteral("\\InprocServer32"), QString()).text;
}

// The text of a value as the text buffer holds it: up to its NUL, and no longer than the buffer
// leaves room for. Values that are not text have no name to show.
QString entryName(DWORD type, const std::uint8_t* data, DWORD size)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return QString();
    return regTextFromBytes(data, size).left(kTextBufferChars - 1);
}

} // namespace

std::vector<ApprovedEntry> ApprovedList::regEnumApproved(const Pump& pump)
{
    std::vector<ApprovedEntry> entries;
    RegKeyHandle key;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, approvedListPath(), 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return entries;
    std::vector<std::uint8_t> data(kTextBufferChars * 2);
    for (DWORD index = 0;; ++index) {
        if (pump)
            pump();
        QString name;
        // Names are kept whole: an entry is removed by its name.
        DWORD nameChars = kMaxValueNameLength + 1;
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(data.size());
        LONG rc = RegEnumValue(key.get(), index, &name, &nameChars, nullptr, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            // A long text is read whole and then cut: one long name must not end the walk.
            data.resize(size);
            nameChars = kMaxValueNameLength + 1;
            rc = RegEnumValue(key.get(), index, &name, &nameChars, nullptr, &type, data.data(), &size);
        }
        if (rc != ERROR_SUCCESS)
            break;
        // The key's default value is no entry of the list.
        if (name.isEmpty())
            continue;
        entries.push_back({name, entryName(type, data.data(), size), inprocServerOf(name)});
    }
    return entries;
}

long ApprovedList::Add(const QString& clsid, const QString& name)
{
    CommandScope command;
    const long rc = runOperation(QStringLiteral("ApprovedList::Add"), kTraceRegistryError, [&]() -> long {
        RegKeyHandle key;
        if (LONG open = RegOpenKeyEx(HKEY_LOCAL_MACHINE, approvedListPath(), 0, KEY_SET_VALUE, key.out());
            open != ERROR_SUCCESS)
            throw OperationError(open, QStringLiteral("Error opening the approved list key"));
        if (LONG set = setTextValue(key.get(), clsid, name); set != ERROR_SUCCESS)
            throw OperationError(set, QStringLiteral("Error adding shell extension to the approved list."));
        return 0;
    });
    return command.finish(rc);
}

long ApprovedList::Remove(const QString& clsid)
{
    if (clsid.isEmpty())
        return ERROR_INVALID_PARAMETER;
    CommandScope command;
    const long rc = runOperation(QStringLiteral("ApprovedList::Remove"), kTraceRegistryError, [&]() -> long {
        RegKeyHandle key;
        if (LONG open = RegOpenKeyEx(HKEY_LOCAL_MACHINE, approvedListPath(), 0, KEY_ALL_ACCESS, key.out());
            open != ERROR_SUCCESS)
            throw OperationError(open, QStringLiteral("Error opening the approved list key"));
        if (LONG removed = RegDeleteValue(key.get(), clsid); removed != ERROR_SUCCESS)
            throw OperationError(removed, QStringLiteral("Error removing shell extension from the approved list."));
        return 0;
    });
    return command.finish(rc);
}
