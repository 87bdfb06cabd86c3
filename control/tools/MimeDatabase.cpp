#include "control/tools/MimeDatabase.h"

#include "common/Trace.h"
#include "control/records/OperationError.h"
#include "control/records/RecordRegistry.h"
#include "control/records/RegistryAccess.h"
#include "platform/registry/CommandScope.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

namespace {

constexpr int kTraceRegistry = 700;
constexpr int kTraceRegistryError = 702;

const QString kExtension = QStringLiteral("Extension");
const QString kClsid = QStringLiteral("CLSID");
const QString kImageFilterClsid = QStringLiteral("Image Filter CLSID");

// Writes into the database: the content type's key, then its values. Returns the registry's code.
long addContentType(const QString& contentType, const QString& extension, const QString& clsid,
                    const QString& imageClsid)
{
    RegKeyHandle database;
    if (LONG rc = RegOpenKeyEx(HKEY_CLASSES_ROOT, MimeDatabase::databasePath(), 0,
                               KEY_CREATE_SUB_KEY | KEY_SET_VALUE, database.out());
        rc != ERROR_SUCCESS)
        return rc;
    RegKeyHandle type;
    DWORD disposition = 0;
    if (LONG rc = RegCreateKeyEx(database.get(), contentType, 0, QString(), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, type.out(), &disposition);
        rc != ERROR_SUCCESS)
        return rc;
    if (long rc = setTextValue(type.get(), kExtension, extension); rc != ERROR_SUCCESS)
        return rc;
    if (!clsid.isEmpty())
        if (long rc = setTextValue(type.get(), kClsid, clsid); rc != ERROR_SUCCESS)
            return rc;
    // Only image types are read with an image filter, so only they get one.
    if (!imageClsid.isEmpty() && MimeDatabase::isImageType(contentType))
        if (long rc = setTextValue(type.get(), kImageFilterClsid, imageClsid); rc != ERROR_SUCCESS)
            return rc;
    return ERROR_SUCCESS;
}

long removeContentType(const QString& contentType)
{
    RegKeyHandle database;
    if (LONG rc = RegOpenKeyEx(HKEY_CLASSES_ROOT, MimeDatabase::databasePath(), 0, KEY_ALL_ACCESS, database.out());
        rc != ERROR_SUCCESS)
        return rc;
    // Some content types keep subkeys (image types have "Bits"): the whole type goes.
    return RegDeleteTree(database.get(), contentType);
}

} // namespace

QString MimeDatabase::databasePath()
{
    return QStringLiteral("MIME\\Database\\Content Type");
}

bool MimeDatabase::isImageType(const QString& contentType)
{
    return contentType.startsWith(QStringLiteral("image"), Qt::CaseSensitive);
}

bool MimeDatabase::isContentTypeName(const QString& contentType)
{
    return !contentType.isEmpty() && !contentType.contains(u'\\');
}

std::vector<MimeDatabase::Entry> MimeDatabase::regEnumMimeTypes()
{
    std::vector<Entry> entries;
    RegKeyHandle database;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, databasePath(), 0, KEY_READ, database.out()) != ERROR_SUCCESS)
        return entries;
    DWORD subKeys = 0;
    if (RegQueryInfoKey(database.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        entries.reserve(subKeys);
    for (DWORD index = 0;; ++index) {
        QString name;
        DWORD nameChars = kTextBufferChars;
        if (RegEnumKeyEx(database.get(), index, &name, &nameChars) != ERROR_SUCCESS)
            break;
        Entry entry;
        entry.ContentType = name;
        RegKeyHandle type;
        if (RegOpenKeyEx(database.get(), name, 0, KEY_READ, type.out()) == ERROR_SUCCESS) {
            entry.Extension = regReadTextValue(type.get(), kExtension).text;
            entry.CLSID = regReadTextValue(type.get(), kClsid).text;
            if (isImageType(name))
                entry.ImageFilterCLSID = regReadTextValue(type.get(), kImageFilterClsid).text;
        }
        entries.push_back(std::move(entry));
    }
    TraceEvent(QStringLiteral("regEnumMimeTypes"),
               QStringLiteral("enumerated available mime types: %1").arg(entries.size()), kTraceRegistry);
    return entries;
}

long MimeDatabase::regAddMimeType(const QString& contentType, const QString& extension, const QString& clsid,
                                  const QString& imageClsid)
{
    return runOperation(
        QStringLiteral("regAddMimeType"), kTraceRegistryError,
        [&]() -> long {
            if (!isContentTypeName(contentType))
                throw OperationError(ERROR_INVALID_PARAMETER, QStringLiteral("Invalid MIME Content Type"));
            CommandScope command;
            if (const long rc = command.finish(addContentType(contentType, extension, clsid, imageClsid)); rc != 0)
                throw OperationError(rc, QStringLiteral("Error adding MIME Content Type"));
            return 0;
        },
        contentType);
}

long MimeDatabase::regRemoveMimeType(const QString& contentType)
{
    return runOperation(
        QStringLiteral("regRemoveMimeType"), kTraceRegistryError,
        [&]() -> long {
            if (!isContentTypeName(contentType))
                throw OperationError(ERROR_INVALID_PARAMETER, QStringLiteral("Invalid MIME Content Type"));
            CommandScope command;
            if (const long rc = command.finish(removeContentType(contentType)); rc != 0)
                throw OperationError(rc, QStringLiteral("Error removing MIME Content Type"));
            return 0;
        },
        contentType);
}
