#include "platform/registry/Registry.h"

#include "platform/RunContext.h"
#include "platform/registry/WineRegFormat.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>

namespace {

constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE;
constexpr REGSAM kTreeChangeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE;

bool isPredefined(HKEY key)
{
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE || key == HKEY_USERS;
}

// Copies `bytes` into a caller's buffer with the Win32 size protocol; the caller has checked that
// a buffer comes with its size.
LONG copyData(const QByteArray& bytes, std::uint8_t* data, DWORD* dataSize)
{
    const auto size = static_cast<DWORD>(bytes.size());
    if (!data) {
        if (dataSize)
            *dataSize = size;
        return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (size > 0)
        std::memcpy(data, bytes.constData(), size);
    *dataSize = size;
    return ERROR_SUCCESS;
}

} // namespace

Registry::Registry() = default;

Registry::~Registry()
{
    if (RunContext::exists() && RunContext::current().registry() == this)
        RunContext::current().setRegistry(nullptr);
}

Registry* Registry::current()
{
    return RunContext::exists() ? RunContext::current().registry() : nullptr;
}

void Registry::setCurrent(Registry* registry)
{
    RunContext::current().setRegistry(registry);
}

void Registry::mountMachine(std::shared_ptr<Hive> hive, bool readOnly)
{
    m_classes.reset();
    m_machine = Mount{std::move(hive), readOnly};
}

void Registry::mountUser(std::shared_ptr<Hive> hive, bool readOnly)
{
    m_user = Mount{std::move(hive), readOnly};
}

bool Registry::isReadOnly(const Hive* hive) const
{
    if (hive == m_machine.hive.get())
        return m_machine.readOnly;
    if (hive == m_user.hive.get())
        return m_user.readOnly;
    return true;
}

std::int64_t Registry::now() const
{
    if (m_clock)
        return m_clock();
    return QDateTime::currentMSecsSinceEpoch() * 10000 + wineformat::kTicks1601To1970;
}

void Registry::beginBatch()
{
    ++m_batchDepth;
}

bool Registry::endBatch()
{
    if (m_batchDepth > 0)
        --m_batchDepth;
    return commitIfIdle();
}

bool Registry::commitIfIdle()
{
    if (m_batchDepth > 0 || !m_pendingCommit)
        return true;
    m_pendingCommit = false;
    return m_commit ? m_commit() : true;
}

void Registry::changed(Hive& hive)
{
    hive.setDirty(true);
    m_pendingCommit = true;
    commitIfIdle();
}

LONG Registry::resolveHandle(HKEY key, REGSAM rights, OpenKey& out) const
{
    if (isPredefined(key)) {
        const Mount& mount = key == HKEY_CURRENT_USER ? m_user : m_machine;
        if (!mount.hive || key == HKEY_USERS)
            return ERROR_INVALID_HANDLE;
        out.hive = mount.hive;
        out.access = mount.readOnly ? KEY_READ : KEY_ALL_ACCESS;
        if (rights && !(out.access & rights))
            return ERROR_ACCESS_DENIED;
        out.key = mount.hive->root();
        if (key == HKEY_CLASSES_ROOT) {
            // Looked up once and kept while it lives: nearly every call goes through it.
            if (!m_classes || m_classes->isDeleted()) {
                RegKey::Ptr software = out.key->child(QStringLiteral("Software"));
                m_classes = software ? software->child(QStringLiteral("Classes")) : nullptr;
            }
            out.key = m_classes;
            if (!out.key)
                return ERROR_FILE_NOT_FOUND;
        }
        return ERROR_SUCCESS;
    }
    auto it = m_handles.find(key);
    if (it == m_handles.end())
        return ERROR_INVALID_HANDLE;
    // The handle's rights are checked before its key, as Windows checks them when the handle is used.
    if (rights && !(it->second.access & rights))
        return ERROR_ACCESS_DENIED;
    if (it->second.key->isDeleted())
        return ERROR_KEY_DELETED;
    out = it->second;
    return ERROR_SUCCESS;
}

LONG Registry::walk(const OpenKey& from, const QString& subKey, RegKey::Ptr& found, QStringList* missing) const
{
    found = from.key;
    if (subKey.isEmpty())
        return ERROR_SUCCESS;
    if (subKey.startsWith(u'\\'))
        return ERROR_BAD_PATHNAME;
    QStringView path(subKey);
    if (path.endsWith(u'\\'))
        path.chop(1); // "a\b\" names a\b, as Windows takes it
    int depth = from.key->depth();
    // Split by hand: QStringView::indexOf(QChar) takes the general substring search, and nearly
    // every registry call walks a path.
    qsizetype start = 0;
    while (start <= path.size()) {
        const qsizetype end = std::find(path.begin() + start, path.end(), QChar(u'\\')) - path.begin();
        const QStringView part = path.mid(start, end - start);
        start = end + 1;
        if (part.isEmpty())
            return ERROR_BAD_PATHNAME;
        if (part.size() > kMaxKeyNameLength || ++depth > kMaxKeyDepth)
            return ERROR_INVALID_PARAMETER;
        if (missing && !missing->isEmpty()) {
            missing->append(part.toString());
            continue;
        }
        RegKey::Ptr next = found->child(part);
        if (!next) {
            if (!missing)
                return ERROR_FILE_NOT_FOUND;
            missing->append(part.toString());
            continue;
        }
        found = std::move(next);
    }
    return ERROR_SUCCESS;
}

LONG Registry::resolveFor(HKEY key, REGSAM rights, bool changes, OpenKey& out) const
{
    if (LONG rc = resolveHandle(key, rights, out); rc != ERROR_SUCCESS)
        return rc;
    if (changes && !writable(out))
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

HKEY Registry::newHandle(OpenKey entry)
{
    const HKEY handle = m_nextHandle;
    m_nextHandle += 4;
    m_handles.emplace(handle, std::move(entry));
    return handle;
}

bool Registry::writable(const OpenKey& entry) const
{
    return !isReadOnly(entry.hive.get());
}

LONG Registry::RegOpenKeyEx(HKEY key, const QString& subKey, DWORD /*options*/, REGSAM access, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    OpenKey from;
    if (LONG rc = resolveHandle(key, 0, from); rc != ERROR_SUCCESS)
        return rc;
    RegKey::Ptr found;
    if (LONG rc = walk(from, subKey, found, nullptr); rc != ERROR_SUCCESS)
        return rc;
    if ((access & kWriteRights) && !writable(from))
        return ERROR_ACCESS_DENIED;
    *result = newHandle(OpenKey{found, from.hive, access});
    return ERROR_SUCCESS;
}

LONG Registry::RegCreateKeyEx(HKEY key, const QString& subKey, DWORD /*reserved*/, const QString& className,
                              DWORD /*options*/, REGSAM access, const void* /*security*/, HKEY* result,
                              DWORD* disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    OpenKey from;
    if (LONG rc = resolveHandle(key, 0, from); rc != ERROR_SUCCESS)
        return rc;
    RegKey::Ptr found;
    QStringList missing;
    if (LONG rc = walk(from, subKey, found, &missing); rc != ERROR_SUCCESS)
        return rc;
    if ((access & kWriteRights) && !writable(from))
        return ERROR_ACCESS_DENIED;
    if (!missing.isEmpty()) {
        if (!(from.access & KEY_CREATE_SUB_KEY) || !writable(from))
            return ERROR_ACCESS_DENIED;
        const std::int64_t time = now();
        found->touch(time);
        for (const QString& name : missing)
            found = found->addChild(name, time);
        found->markChanged();
        if (!className.isEmpty())
            found->setClassName(className);
    }
    *result = newHandle(OpenKey{found, from.hive, access});
    if (disposition)
        *disposition = missing.isEmpty() ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    if (!missing.isEmpty())
        changed(*from.hive);
    return ERROR_SUCCESS;
}

LONG Registry::RegCloseKey(HKEY key)
{
    if (isPredefined(key))
        return ERROR_SUCCESS;
    return m_handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG Registry::RegQueryValueEx(HKEY key, const QString& valueName, DWORD* /*reserved*/, DWORD* type,
                               std::uint8_t* data, DWORD* dataSize)
{
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    OpenKey entry;
    if (LONG rc = resolveFor(key, KEY_QUERY_VALUE, false, entry); rc != ERROR_SUCCESS)
        return rc;
    const RegValue* value = entry.key->value(valueName);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    return copyData(value->data, data, dataSize);
}

LONG Registry::RegSetValueEx(HKEY key, const QString& valueName, DWORD /*reserved*/, DWORD type,
                             const std::uint8_t* data, DWORD dataSize)
{
    OpenKey entry;
    if (LONG rc = resolveFor(key, KEY_SET_VALUE, true, entry); rc != ERROR_SUCCESS)
        return rc;
    if (valueName.size() > kMaxValueNameLength)
        return ERROR_INVALID_PARAMETER;
    if (!data && dataSize != 0)
        return ERROR_NOACCESS;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(dataSize));
    // Setting what is already stored changes nothing, not even the key's time.
    if (const RegValue* existing = entry.key->value(valueName);
        existing && existing->type == type && existing->data == bytes)
        return ERROR_SUCCESS;
    entry.key->setValue(valueName, type, bytes);
    entry.key->touch(now());
    changed(*entry.hive);
    return ERROR_SUCCESS;
}

LONG Registry::RegDeleteValue(HKEY key, const QString& valueName)
{
    OpenKey entry;
    if (LONG rc = resolveFor(key, KEY_SET_VALUE, true, entry); rc != ERROR_SUCCESS)
        return rc;
    if (!entry.key->removeValue(valueName))
        return ERROR_FILE_NOT_FOUND;
    entry.key->touch(now());
    changed(*entry.hive);
    return ERROR_SUCCESS;
}

LONG Registry::RegDeleteKey(HKEY key, const QString& subKey)
{
    OpenKey entry;
    if (LONG rc = resolveFor(key, kTreeChangeRights, true, entry); rc != ERROR_SUCCESS)
        return rc;
    RegKey::Ptr target;
    if (LONG rc = walk(entry, subKey, target, nullptr); rc != ERROR_SUCCESS)
        return rc;
    RegKey* parent = target->parent();
    if (!parent || !target->children().empty())
        return ERROR_ACCESS_DENIED; // a hive root, or a key with subkeys (as Windows NT refuses)
    parent->removeChild(target->name());
    parent->touch(now());
    changed(*entry.hive);
    return ERROR_SUCCESS;
}

LONG Registry::RegDeleteTree(HKEY key, const QString& subKey)
{
    OpenKey entry;
    if (LONG rc = resolveFor(key, kTreeChangeRights, true, entry); rc != ERROR_SUCCESS)
        return rc;
    RegKey::Ptr target;
    if (LONG rc = walk(entry, subKey, target, nullptr); rc != ERROR_SUCCESS)
        return rc;
    const std::int64_t time = now();
    if (subKey.isEmpty()) {
        // Empties the key itself: its subkeys and its values go, the key stays.
        std::vector<QString> names;
        for (const RegKey::Ptr& child : target->children())
            names.push_back(child->name());
        for (const QString& name : names)
            target->removeChild(name);
        target->removeAllValues();
        target->touch(time);
    } else {
        RegKey* parent = target->parent();
        if (!parent)
            return ERROR_ACCESS_DENIED;
        parent->removeChild(target->name());
        parent->touch(time);
    }
    changed(*entry.hive);
    return ERROR_SUCCESS;
}

LONG Registry::RegEnumKeyEx(HKEY key, DWORD index, QString* name, DWORD* nameChars, DWORD* /*reserved*/,
                            QString* className, DWORD* classChars, std::int64_t* lastWriteTime)
{
    OpenKey entry;
    if (LONG rc = resolveFor(key, KEY_ENUMERATE_SUB_KEYS, false, entry); rc != ERROR_SUCCESS)
        return rc;
    if (!name || !nameChars)
        return ERROR_INVALID_PARAMETER;
    const auto& children = entry.key->children();
    if (index >= children.size())
        return ERROR_NO_MORE_ITEMS;
    const RegKey& child = *children[index];
    if (static_cast<DWORD>(child.name().size()) + 1 > *nameChars)
        return ERROR_MORE_DATA;
    *name = child.name();
    *nameChars = static_cast<DWORD>(child.name().size());
    if (className) {
        const QString cls = child.className().value_or(QString());
        if (classChars) {
            if (static_cast<DWORD>(cls.size()) + 1 > *classChars)
                return ERROR_MORE_DATA;
            *classChars = static_cast<DWORD>(cls.size());
        }
        *className = cls;
    }
    if (lastWriteTime)
        *lastWriteTime = child.modified();
    return ERROR_SUCCESS;
}

LONG Registry::RegEnumValue(HKEY key, DWORD index, QString* valueName, DWORD* valueNameChars, DWORD* /*reserved*/,
                            DWORD* type, std::uint8_t* data, DWORD* dataSize)
{
    if (!valueName || !valueNameChars || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    OpenKey entry;
    if (LONG rc = resolveFor(key, KEY_QUERY_VALUE, false, entry); rc != ERROR_SUCCESS)
        return rc;
    const auto& values = entry.key->values();
    if (index >= values.size())
        return ERROR_NO_MORE_ITEMS;
    const RegValue& value = values[index];
    if (static_cast<DWORD>(value.name.size()) + 1 > *valueNameChars) {
        // The type and size still tell the caller what to make room for.
        if (type)
            *type = value.type;
        if (dataSize)
            *dataSize = static_cast<DWORD>(value.data.size());
        return ERROR_MORE_DATA;
    }
    *valueName = value.name;
    *valueNameChars = static_cast<DWORD>(value.name.size());
    if (type)
        *type = value.type;
    return copyData(value.data, data, dataSize);
}

LONG Registry::RegQueryInfoKey(HKEY key, QString* className, DWORD* classChars, DWORD* /*reserved*/,
                               DWORD* subKeys, DWORD* maxSubKeyChars, DWORD* maxClassChars, DWORD* values,
                               DWORD* maxValueNameChars, DWORD* maxValueBytes, DWORD* securityDescriptorBytes,
                               std::int64_t* lastWriteTime)
{
    OpenKey entry;
    if (LONG rc = resolveFor(key, KEY_QUERY_VALUE, false, entry); rc != ERROR_SUCCESS)
        return rc;
    const RegKey& k = *entry.key;
    if (className) {
        const QString cls = k.className().value_or(QString());
        if (classChars) {
            if (static_cast<DWORD>(cls.size()) + 1 > *classChars)
                return ERROR_MORE_DATA;
            *classChars = static_cast<DWORD>(cls.size());
        }
        *className = cls;
    }
    if (subKeys)
        *subKeys = static_cast<DWORD>(k.children().size());
    if (maxSubKeyChars || maxClassChars) {
        DWORD maxName = 0;
        DWORD maxClass = 0;
        for (const RegKey::Ptr& child : k.children()) {
            maxName = std::max(maxName, static_cast<DWORD>(child->name().size()));
            if (maxClassChars && child->className())
                maxClass = std::max(maxClass, static_cast<DWORD>(child->className()->size()));
        }
        if (maxSubKeyChars)
            *maxSubKeyChars = maxName;
        if (maxClassChars)
            *maxClassChars = maxClass;
    }
    if (values || maxValueNameChars || maxValueBytes) {
        const auto& list = k.values();
        DWORD maxName = 0;
        DWORD maxData = 0;
        for (const RegValue& v : list) {
            maxName = std::max(maxName, static_cast<DWORD>(v.name.size()));
            maxData = std::max(maxData, static_cast<DWORD>(v.data.size()));
        }
        if (values)
            *values = static_cast<DWORD>(list.size());
        if (maxValueNameChars)
            *maxValueNameChars = maxName;
        if (maxValueBytes)
            *maxValueBytes = maxData;
    }
    if (securityDescriptorBytes)
        *securityDescriptorBytes = 0;
    if (lastWriteTime)
        *lastWriteTime = k.modified();
    return ERROR_SUCCESS;
}
