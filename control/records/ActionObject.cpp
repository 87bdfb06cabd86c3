#include "control/records/ActionObject.h"

#include "common/Trace.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"
#include "control/records/RecordRegistry.h"
#include "control/records/RegistryAccess.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "platform/registry/CommandScope.h"

namespace {

constexpr int kTraceProgress = 500;
constexpr int kTraceError = 502;

// Reads the default value of parent\name into `field` when the key exists and the value can be
// read; leaves the field as it was otherwise.
void readSubkeyDefault(HKEY parent, const QString& name, QString& field)
{
    RegKeyHandle key;
    if (RegOpenKeyEx(parent, name, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return;
    QString text;
    if (regReadTextOrEmpty(key.get(), QString(), text))
        field = text;
}

} // namespace

qint16 ActionObject::ItemType() const
{
    return ITEM_ACTION;
}

QString ActionObject::Key() const
{
    return ActionKey(CommandKey, HostInternalName);
}

bool ActionObject::usesDde() const
{
    return !DDE_App.isEmpty() || !DDE_AppNoRun.isEmpty() || !DDE_Message.isEmpty() || !DDE_Topic.isEmpty();
}

QString ActionObject::StandardName(const QString& verb)
{
    static const struct {
        const char* verb;
        const char* name;
    } kNames[] = {{"OPEN", "Open"}, {"PRINT", "Print"}, {"PRINTTO", "Print To"}, {"EDIT", "Edit"},
                  {"NEW", "New"},   {"FIND", "Find"},   {"EXPLORE", "Explore"}};
    const QString upper = verb.toUpper();
    for (const auto& entry : kNames)
        if (upper == QLatin1String(entry.verb))
            return QString::fromLatin1(entry.name);
    return verb;
}

long ActionObject::LoadMe()
{
    return runOperation(
        QStringLiteral("LoadMe"), kTraceError,
        [&]() -> long {
            RegKeyHandle verb;
            const QString path = HostInternalName + QStringLiteral("\\shell\\") + CommandKey;
            // A verb key that does not exist is not a failure: the action keeps its texts.
            if (isSafeSubkeyPath(HostInternalName) && isSafeSubkeyPath(CommandKey) &&
                RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, verb.out()) == ERROR_SUCCESS) {
                if (!regReadTextOrEmpty(verb.get(), QString(), Name))
                    throw OperationError(kErrLoadAction, QStringLiteral("Error loading Action Name."));
                QString subkey;
                for (DWORD index = 0;; ++index) {
                    DWORD chars = kTextBufferChars;
                    if (RegEnumKeyEx(verb.get(), index, &subkey, &chars) != ERROR_SUCCESS)
                        break;
                    const QString lower = subkey.toLower();
                    if (lower == QLatin1String("command")) {
                        RegKeyHandle command;
                        if (RegOpenKeyEx(verb.get(), subkey, 0, KEY_READ, command.out()) != ERROR_SUCCESS ||
                            !regReadTextOrEmpty(command.get(), QString(), Command))
                            throw OperationError(kErrLoadAction, QStringLiteral("Error loading Action Command String."));
                    } else if (lower == QLatin1String("ddeexec")) {
                        RegKeyHandle dde;
                        if (RegOpenKeyEx(verb.get(), subkey, 0, KEY_READ, dde.out()) != ERROR_SUCCESS)
                            continue;
                        QString message;
                        if (regReadTextOrEmpty(dde.get(), QString(), message))
                            DDE_Message = message;
                        readSubkeyDefault(dde.get(), QStringLiteral("Application"), DDE_App);
                        readSubkeyDefault(dde.get(), QStringLiteral("ifexec"), DDE_AppNoRun);
                        readSubkeyDefault(dde.get(), QStringLiteral("topic"), DDE_Topic);
                    }
                }
            }
            if (Name.isEmpty())
                Name = StandardName(CommandKey);
            TraceEvent(QStringLiteral("LoadMe"),
                       [&] { return QStringLiteral("action loaded: ") + Key(); }, kTraceProgress);
            return 0;
        },
        [this] { return Key(); });
}

long ActionObject::WriteMe()
{
    CommandScope save;
    return save.finish(runOperation(QStringLiteral("WriteMe"), kTraceError, [&]() -> long {
        RegKeyHandle type;
        if (!isSafeSubkeyPath(HostInternalName) ||
            RegOpenKeyEx(HKEY_CLASSES_ROOT, HostInternalName, 0, KEY_ALL_ACCESS, type.out()) != ERROR_SUCCESS)
            throw OperationError(kErrOpenKey, QStringLiteral("Invalid Internal Name Key"));

        const QString verbPath = QStringLiteral("shell\\") + CommandKey;
        RegKeyHandle verb;
        if (!isSafeSubkeyPath(CommandKey) || !createKey(type.get(), verbPath, verb))
            throw OperationError(kErrCreateKey, QStringLiteral("Error creating Action Key"));
        setTextValue(verb.get(), QString(), Name);
        verb.close();

        RegKeyHandle command;
        if (createKey(type.get(), verbPath + QStringLiteral("\\command"), command))
            setTextValue(command.get(), QString(), Command);
        command.close();

        const QString ddePath = verbPath + QStringLiteral("\\ddeexec");
        if (!usesDde()) {
            deleteSubtree(type.get(), ddePath);
            return 0;
        }
        RegKeyHandle dde;
        if (!createKey(type.get(), ddePath, dde))
            return 0;
        setTextValue(dde.get(), QString(), DDE_Message);
        // An empty field leaves an existing subkey of that name as it is.
        const std::pair<QString, const QString*> parts[] = {{QStringLiteral("Application"), &DDE_App},
                                                            {QStringLiteral("ifexec"), &DDE_AppNoRun},
                                                            {QStringLiteral("topic"), &DDE_Topic}};
        for (const auto& [name, field] : parts) {
            if (field->isEmpty())
                continue;
            RegKeyHandle part;
            if (createKey(dde.get(), name, part))
                setTextValue(part.get(), QString(), *field);
        }
        return 0;
    }));
}

long ActionObject::RemoveMe()
{
    CommandScope save;
    return save.finish(runOperation(QStringLiteral("RemoveMe"), kTraceError, [&]() -> long {
        RegKeyHandle shell;
        const QString shellPath = HostInternalName + QStringLiteral("\\shell");
        if (!isSafeSubkeyPath(HostInternalName) ||
            RegOpenKeyEx(HKEY_CLASSES_ROOT, shellPath, 0, KEY_ALL_ACCESS, shell.out()) != ERROR_SUCCESS)
            throw OperationError(kErrOpenKey, QStringLiteral("Error Opening Internal Name/Action Key"));
        if (!deleteSubtree(shell.get(), CommandKey))
            throw OperationError(kErrRemoveKey, QStringLiteral("Error Removing Action Key"));
        shell.close();
        removeIfEmpty(HKEY_CLASSES_ROOT, shellPath);
        return 0;
    }));
}
