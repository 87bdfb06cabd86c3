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
    return regReadTextValue(parent, path, valueName).text;
}

// The shared shape of the DefaultIcon, CLSID and QuickView writers: an empty text removes the
// subkey, any other text becomes the subkey's default value.
long putSubkeyDefault(const QString& procedure, HKEY typeKey, const QString& subkey, const QString& text, DWORD type,
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
        if (setTextValue(key.get(), QString(), text, type) != ERROR_SUCCESS)
            throw OperationError(kErrSetValue, setFailure);
        return 0;
    });
}

} // namespace

QString approvedListPath()
{
    return QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved");
}

RegTextRead regReadTextValue(HKEY key, const QString& valueName)
{
    RegTextRead read;
    std::uint8_t buffer[kTextBufferChars * 2];
    DWORD size = sizeof buffer;
    switch (RegQueryValueEx(key, valueName, nullptr, &read.type, buffer, &size)) {
    case ERROR_SUCCESS:
        read.state = RegValueState::Read;
        read.text = regTextFromBytes(buffer, size);
        break;
    case ERROR_FILE_NOT_FOUND: read.type = REG_NONE; break;
    default: read.state = RegValueState::Unreadable; break;
    }
    return read;
}

RegTextRead regReadTextValue(HKEY parent, const QString& path, const QString& valueName)
{
    RegKeyHandle key;
    if (!openForReading(parent, path, key))
        return {};
    return regReadTextValue(key.get(), valueName);
}

RegFlagsRead regReadFlags(HKEY parent, const QString& name)
{
    RegFlagsRead read;
    RegKeyHandle key;
    if (!openForReading(parent, name, key))
        return read;
    std::uint8_t data[kTextBufferChars * 2];
    DWORD size = sizeof data;
    const LONG rc = RegQueryValueEx(key.get(), QStringLiteral("EditFlags"), nullptr, &read.type, data, &size);
    if (rc == ERROR_FILE_NOT_FOUND) {
        read.type = REG_NONE;
        return read;
    }
    read.state = RegValueState::Unreadable;
    if (rc != ERROR_SUCCESS)
        return read;
    if (read.type == REG_SZ || read.type == REG_EXPAND_SZ) {
        // Some programs store the flags as text ("2"): the number is what the text says, not its bytes.
        bool ok = false;
        const std::uint32_t flags = regTextFromBytes(data, size).trimmed().toUInt(&ok, 10);
        if (ok) {
            read.flags = flags;
            read.state = RegValueState::Read;
        }
        return read;
    }
    if (size > 4)
        return read;
    for (DWORD i = 0; i < size; ++i)
        read.flags |= std::uint32_t(data[i]) << (8 * i);
    read.state = RegValueState::Read;
    return read;
}

RegValueState regApproval(const QString& clsid)
{
    RegKeyHandle key;
    if (!openForReading(HKEY_LOCAL_MACHINE, approvedListPath(), key))
        return RegValueState::Absent;
    std::uint8_t data[260];
    DWORD size = sizeof data;
    switch (RegQueryValueEx(key.get(), clsid, nullptr, nullptr, data, &size)) {
    case ERROR_SUCCESS: return RegValueState::Read;
    case ERROR_FILE_NOT_FOUND: return RegValueState::Absent;
    default: return RegValueState::Unreadable;
    }
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
    return regReadFlags(parent, name).flags;
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
    return regApproval(clsid) == RegValueState::Read;
}

long regPutDefaultItem(HKEY typeKey, const QString& iconPath, DWORD type)
{
    return putSubkeyDefault(QStringLiteral("regPutDefaultItem"), typeKey, QStringLiteral("DefaultIcon"), iconPath, type,
                            QStringLiteral("Error Setting Registry Value"));
}

long regPutCLSID(HKEY typeKey, const QString& clsid, DWORD type)
{
    return putSubkeyDefault(QStringLiteral("regPutCLSID"), typeKey, QStringLiteral("CLSID"), clsid, type,
                            QStringLiteral("Error Setting Registry Value"));
}

long regPutQuickView(HKEY typeKey, bool quickView, DWORD type)
{
    return putSubkeyDefault(QStringLiteral("regPutQuickView"), typeKey, QStringLiteral("QuickView"),
                            quickView ? QStringLiteral("*") : QString(), type,
                            QStringLiteral("Error Writing QuickView Value"));
}

long regPutFlags(HKEY typeKey, std::uint32_t flags, DWORD type)
{
    return runOperation(QStringLiteral("regPutFlags"), kTraceRegistryError, [&]() -> long {
        if (flags == 0) {
            RegDeleteValue(typeKey, QStringLiteral("EditFlags"));
            return 0;
        }
        LONG rc = ERROR_SUCCESS;
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            rc = setTextValue(typeKey, QStringLiteral("EditFlags"), QString::number(flags), type);
        } else {
            const std::uint8_t data[4] = {std::uint8_t(flags), std::uint8_t(flags >> 8), std::uint8_t(flags >> 16),
                                          std::uint8_t(flags >> 24)};
            rc = RegSetValueEx(typeKey, QStringLiteral("EditFlags"), 0, type == REG_BINARY ? REG_BINARY : REG_DWORD,
                               data, sizeof data);
        }
        if (rc != ERROR_SUCCESS)
            throw OperationError(kErrSetValue, QStringLiteral("Error Setting Registry Value"));
        return 0;
    });
}

long regPutContentType(HKEY root, const QString& ext, const QString& contentType, DWORD type)
{
    return runOperation(QStringLiteral("regPutContentType"), kTraceRegistryError, [&]() -> long {
        RegKeyHandle key;
        if (RegOpenKeyEx(root, ext, 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS)
            throw OperationError(kErrOpenKey, QStringLiteral("Error opening Extension key"));
        const LONG rc = contentType.isEmpty()
                            ? RegDeleteValue(key.get(), QStringLiteral("Content Type"))
                            : setTextValue(key.get(), QStringLiteral("Content Type"), contentType, type);
        if (rc != ERROR_SUCCESS)
            throw OperationError(kErrSetValue, QStringLiteral("Error writing MIME Content Type"));
        return 0;
    });
}

long regPutInfoTip(HKEY root, const QString& ext, const QString& infoTip, DWORD type)
{
    // Its failures are traced and otherwise swallowed: an info tip is never worth failing a write.
    runOperation(QStringLiteral("regPutInfoTip"), kTraceRegistryError, [&]() -> long {
        RegKeyHandle key;
        if (RegOpenKeyEx(root, ext, 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS)
            throw OperationError(kErrOpenKey, QStringLiteral("Error opening Extension key"));
        const LONG rc = infoTip.isEmpty() ? RegDeleteValue(key.get(), QStringLiteral("InfoTip"))
                                          : setTextValue(key.get(), QStringLiteral("InfoTip"), infoTip, type);
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
