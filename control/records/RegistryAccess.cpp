#include "control/records/RegistryAccess.h"

#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"
#include "control/records/RecordRegistry.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"

namespace {

constexpr int kTraceRegistryError = 702;

bool openForReading(HKEY parent, const QString& path, RegKeyHandle& key)
{
    return RegOpenKeyEx(parent, path, 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

// Reads a named value of parent\path as text; empty when anything is missing.
QString readValueOf(HKEY parent, const QString& path, const QString& valueName)
{
    RegKeyHandle key;
    QString text;
    if (openForReading(parent, path, key))
        regReadText(key.get(), valueName, text);
    return text;
}

// The shared shape of the DefaultIcon, CLSID and QuickView writers: an empty text removes the
// subkey, any other text becomes the subkey's default value.
long putSubkeyDefault(const QString& procedure, HKEY typeKey, const QString& subkey, const QString& text,
                      const QString& setFailure)
{
    return runOperation(procedure, kTraceRegistryError, [&]() -> long {
        if (text.isEmpty()) {
            RegDeleteTree(typeKey, subkey); // nothing to remove is fine
            return 0;
        }
        RegKeyHandle key;
        DWORD disposition = 0;
        RegCreateKeyEx(typeKey, subkey, 0, QString(), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.out(),
                       &disposition);
        if (disposition != REG_CREATED_NEW_KEY && disposition != REG_OPENED_EXISTING_KEY)
            throw OperationError(kErrCreateKey, QStringLiteral("Error Opening/Creating Key"));
        if (setTextValue(key.get(), QString(), text) != ERROR_SUCCESS)
            throw OperationError(kErrSetValue, setFailure);
        return 0;
    });
}

} // namespace

QString approvedListPath()
{
    return QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved");
}

namespace {

LONG queryText(HKEY key, const QString& valueName, QString& text)
{
    std::uint8_t buffer[kTextBufferChars * 2];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LONG rc = RegQueryValueEx(key, valueName, nullptr, &type, buffer, &size);
    if (rc == ERROR_SUCCESS)
        text = regTextFromBytes(buffer, size);
    return rc;
}

} // namespace

bool regReadText(HKEY key, const QString& valueName, QString& text)
{
    return queryText(key, valueName, text) == ERROR_SUCCESS;
}

bool regReadTextOrEmpty(HKEY key, const QString& valueName, QString& text)
{
    const LONG rc = queryText(key, valueName, text);
    if (rc == ERROR_FILE_NOT_FOUND)
        text.clear();
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

QString regGetDefault(HKEY parent, const QString& name)
{
    if (name.isEmpty())
        return QString();
    return readValueOf(parent, name, QString());
}

QString regGetCLSID(HKEY parent, const QString& name)
{
    return readValueOf(parent, name + QStringLiteral("\\CLSID"), QString());
}

QString regGetDefaultIcon(HKEY parent, const QString& name)
{
    return readValueOf(parent, name + QStringLiteral("\\DefaultIcon"), QString());
}

bool regGetQuickView(HKEY parent, const QString& name)
{
    return readValueOf(parent, name + QStringLiteral("\\QuickView"), QString()) == QStringLiteral("*");
}

std::uint32_t regGetFlags(HKEY parent, const QString& name)
{
    RegKeyHandle key;
    if (!openForReading(parent, name, key))
        return 0;
    std::uint8_t data[4] = {0, 0, 0, 0};
    DWORD size = sizeof data;
    // Whatever the type: the first four bytes, little-endian; longer data does not fit and reads as 0.
    if (RegQueryValueEx(key.get(), QStringLiteral("EditFlags"), nullptr, nullptr, data, &size) != ERROR_SUCCESS)
        return 0;
    return std::uint32_t(data[0]) | (std::uint32_t(data[1]) << 8) | (std::uint32_t(data[2]) << 16) |
           (std::uint32_t(data[3]) << 24);
}

QString regGetContentType(HKEY parent, const QString& ext)
{
    return readValueOf(parent, ext, QStringLiteral("Content Type"));
}

QString regGetInfoTip(HKEY parent, const QString& ext)
{
    return readValueOf(parent, ext, QStringLiteral("InfoTip"));
}

bool regIsApproved(const QString& clsid)
{
    RegKeyHandle key;
    if (!openForReading(HKEY_LOCAL_MACHINE, approvedListPath(), key))
        return false;
    std::uint8_t data[260];
    DWORD size = sizeof data;
    return RegQueryValueEx(key.get(), clsid, nullptr, nullptr, data, &size) == ERROR_SUCCESS;
}

long regPutDefaultItem(HKEY typeKey, const QString& iconPath)
{
    return putSubkeyDefault(QStringLiteral("regPutDefaultItem"), typeKey, QStringLiteral("DefaultIcon"), iconPath,
                            QStringLiteral("Error Setting Registry Value"));
}

long regPutCLSID(HKEY typeKey, const QString& clsid)
{
    return putSubkeyDefault(QStringLiteral("regPutCLSID"), typeKey, QStringLiteral("CLSID"), clsid,
                            QStringLiteral("Error Setting Registry Value"));
}

long regPutQuickView(HKEY typeKey, bool quickView)
{
    return putSubkeyDefault(QStringLiteral("regPutQuickView"), typeKey, QStringLiteral("QuickView"),
                            quickView ? QStringLiteral("*") : QString(), QStringLiteral("Error Writing QuickView Value"));
}

long regPutFlags(HKEY typeKey, std::uint32_t flags)
{
    return runOperation(QStringLiteral("regPutFlags"), kTraceRegistryError, [&]() -> long {
        if (flags == 0) {
            RegDeleteValue(typeKey, QStringLiteral("EditFlags"));
            return 0;
        }
        const std::uint8_t data[4] = {std::uint8_t(flags), std::uint8_t(flags >> 8), std::uint8_t(flags >> 16),
                                      std::uint8_t(flags >> 24)};
        if (RegSetValueEx(typeKey, QStringLiteral("EditFlags"), 0, REG_DWORD, data, sizeof data) != ERROR_SUCCESS)
            throw OperationError(kErrSetValue, QStringLiteral("Error Setting Registry Value"));
        return 0;
    });
}

long regPutContentType(HKEY root, const QString& ext, const QString& contentType)
{
    return runOperation(QStringLiteral("regPutContentType"), kTraceRegistryError, [&]() -> long {
        RegKeyHandle key;
        if (RegOpenKeyEx(root, ext, 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS)
            throw OperationError(kErrOpenKey, QStringLiteral("Error opening Extension key"));
        const LONG rc = contentType.isEmpty() ? RegDeleteValue(key.get(), QStringLiteral("Content Type"))
                                              : setTextValue(key.get(), QStringLiteral("Content Type"), contentType);
        if (rc != ERROR_SUCCESS)
            throw OperationError(kErrSetValue, QStringLiteral("Error writing MIME Content Type"));
        return 0;
    });
}

long regPutInfoTip(HKEY root, const QString& ext, const QString& infoTip)
{
    // Its failures are traced and otherwise swallowed: an info tip is never worth failing a write.
    runOperation(QStringLiteral("regPutInfoTip"), kTraceRegistryError, [&]() -> long {
        RegKeyHandle key;
        if (RegOpenKeyEx(root, ext, 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS)
            throw OperationError(kErrOpenKey, QStringLiteral("Error opening Extension key"));
        const LONG rc = infoTip.isEmpty() ? RegDeleteValue(key.get(), QStringLiteral("InfoTip"))
                                          : setTextValue(key.get(), QStringLiteral("InfoTip"), infoTip);
        if (rc != ERROR_SUCCESS)
            throw OperationError(kErrSetValue, QStringLiteral("Error setting InfoTip value"));
        return 0;
    });
    return 0;
}

long regSetApproved(const QString& clsid, bool approve)
{
    RegKeyHandle key;
    LONG rc = RegOpenKeyEx(HKEY_LOCAL_MACHINE, approvedListPath(), 0, KEY_ALL_ACCESS, key.out());
    if (rc != ERROR_SUCCESS)
        return rc;
    return approve ? setTextValue(key.get(), clsid, QString()) : RegDeleteValue(key.get(), clsid);
}
