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

// Reads a text value into `field` (a missing value is empty text); an unreadable value leaves the
// field as it was. Returns what was found.
RegTextRead readInto(HKEY key, const QString& valueName, QString& field)
{
    RegTextRead read = regReadTextValue(key, valueName);
    if (read.state != RegValueState::Unreadable)
        field = read.text;
    return read;
}

// The same for the default value of parent\name; a missing key leaves the field as it was.
RegTextRead readSubkeyDefault(HKEY parent, const QString& name, QString& field)
{
    RegKeyHandle key;
    if (RegOpenKeyEx(parent, name, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return {};
    return readInto(key.get(), QString(), field);
}

LoadedValue<QString> loaded(const RegTextRead& read, const QString& value)
{
    return {read.state, read.type, value};
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

QString ActionObject::verbPath() const
{
    return HostInternalName + QStringLiteral("\\shell\\") + CommandKey;
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
    m_remembered.forget();
    return runOperation(
        QStringLiteral("LoadMe"), kTraceError,
        [&]() -> long {
            RegKeyHandle verb;
            const QString path = verbPath();
            RegTextRead name, command, message, app, appNoRun, topic;
            // A verb key that does not exist is not a failure: the action keeps its texts.
            if (isSafeSubkeyPath(HostInternalName) && isSafeSubkeyPath(CommandKey) &&
                RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, verb.out()) == ERROR_SUCCESS) {
                name = readInto(verb.get(), QString(), Name);
                if (name.state == RegValueState::Unreadable)
                    throw OperationError(kErrLoadAction, QStringLiteral("Error loading Action Name."));
                QString subkey;
                for (DWORD index = 0;; ++index) {
                    DWORD chars = kTextBufferChars;
                    if (RegEnumKeyEx(verb.get(), index, &subkey, &chars) != ERROR_SUCCESS)
                        break;
                    const QString lower = subkey.toLower();
                    if (lower == QLatin1String("command")) {
                        RegKeyHandle commandKey;
                        const bool opened =
                            RegOpenKeyEx(verb.get(), subkey, 0, KEY_READ, commandKey.out()) == ERROR_SUCCESS;
                        if (opened)
                            command = readInto(commandKey.get(), QString(), Command);
                        if (!opened || command.state == RegValueState::Unreadable)
                            throw OperationError(kErrLoadAction, QStringLiteral("Error loading Action Command String."));
                    } else if (lower == QLatin1String("ddeexec")) {
                        RegKeyHandle dde;
                        if (RegOpenKeyEx(verb.get(), subkey, 0, KEY_READ, dde.out()) != ERROR_SUCCESS)
                            continue;
                        message = readInto(dde.get(), QString(), DDE_Message);
                        app = readSubkeyDefault(dde.get(), QStringLiteral("Application"), DDE_App);
                        appNoRun = readSubkeyDefault(dde.get(), QStringLiteral("ifexec"), DDE_AppNoRun);
                        topic = readSubkeyDefault(dde.get(), QStringLiteral("topic"), DDE_Topic);
                    }
                }
            }
            if (Name.isEmpty())
                Name = StandardName(CommandKey);
            // The texts as loaded, the standard display name included: it is no change.
            m_remembered.remember(Remembered{path, loaded(name, Name), loaded(command, Command),
                                             loaded(message, DDE_Message), loaded(app, DDE_App),
                                             loaded(appNoRun, DDE_AppNoRun), loaded(topic, DDE_Topic)});
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

        const QString path = QStringLiteral("shell\\") + CommandKey;
        RegKeyHandle verb;
        bool createdNew = false;
        if (!isSafeSubkeyPath(CommandKey) || !createKey(type.get(), path, verb, &createdNew))
            throw OperationError(kErrCreateKey, QStringLiteral("Error creating Action Key"));
        // What was read applies to the verb key it was read from, while that key is still there.
        Remembered next = isSamePlace(m_remembered->verbPath, verbPath()) && !createdNew ? *m_remembered : Remembered{};
        next.verbPath = verbPath();
        next.name.writeIfChanged(Name, next.name.textType(), false,
                                 [&](DWORD kind) { return setTextValue(verb.get(), QString(), Name, kind); });
        verb.close();

        next.command.writeIfChanged(Command, next.command.textType(), false, [&](DWORD kind) -> long {
            RegKeyHandle command;
            if (!createKey(type.get(), path + QStringLiteral("\\command"), command))
                return kErrCreateKey;
            return setTextValue(command.get(), QString(), Command, kind);
        });

        writeDde(type.get(), path + QStringLiteral("\\ddeexec"), next);
        m_remembered.remember(std::move(next));
        return 0;
    }));
}

void ActionObject::writeDde(HKEY type, const QString& ddePath, Remembered& next) const
{
    struct Part {
        const QString& field;
        LoadedValue<QString>& memory;
        QString subkey; // below ddeexec; empty for its own default value
    };
    Part parts[] = {{DDE_Message, next.ddeMessage, QString()},
                    {DDE_App, next.ddeApp, QStringLiteral("Application")},
                    {DDE_AppNoRun, next.ddeAppNoRun, QStringLiteral("ifexec")},
                    {DDE_Topic, next.ddeTopic, QStringLiteral("topic")}};
    bool changed = false;
    bool keepsUnreadable = false;
    for (const Part& part : parts) {
        changed |= part.memory.changed(part.field);
        keepsUnreadable |= part.memory.unreadable() && !part.memory.changed(part.field);
    }
    if (!changed)
        return;
    // Without any DDE the conversation goes, unless it holds a value the user could not see.
    if (!usesDde() && !keepsUnreadable) {
        deleteSubtree(type, ddePath);
        for (Part& part : parts)
            part.memory = LoadedValue<QString>(RegValueState::Absent, REG_NONE, QString());
        return;
    }
    RegKeyHandle dde;
    bool createdNew = false;
    if (!createKey(type, ddePath, dde, &createdNew))
        return;
    for (Part& part : parts) {
        if (createdNew)
            part.memory = LoadedValue<QString>(); // a new conversation gets every part
        // An empty field leaves an existing subkey of that name as it is; the message is set even empty.
        if (!part.subkey.isEmpty() && part.field.isEmpty())
            continue;
        part.memory.writeIfChanged(part.field, part.memory.textType(), false, [&](DWORD kind) -> long {
            if (part.subkey.isEmpty())
                return setTextValue(dde.get(), QString(), part.field, kind);
            RegKeyHandle key;
            if (!createKey(dde.get(), part.subkey, key))
                return kErrCreateKey;
            return setTextValue(key.get(), QString(), part.field, kind);
        });
    }
}

void ActionObject::KeepAsLoaded()
{
    Remembered kept = *m_remembered;
    kept.name.keep(Name);
    kept.command.keep(Command);
    kept.ddeMessage.keep(DDE_Message);
    kept.ddeApp.keep(DDE_App);
    kept.ddeAppNoRun.keep(DDE_AppNoRun);
    kept.ddeTopic.keep(DDE_Topic);
    m_remembered.remember(std::move(kept));
}

bool ActionObject::Unreadable(QString ActionObject::*field) const
{
    if (field == &ActionObject::DDE_Message)
        return m_remembered->ddeMessage.unreadable();
    if (field == &ActionObject::DDE_App)
        return m_remembered->ddeApp.unreadable();
    if (field == &ActionObject::DDE_AppNoRun)
        return m_remembered->ddeAppNoRun.unreadable();
    if (field == &ActionObject::DDE_Topic)
        return m_remembered->ddeTopic.unreadable();
    return false;
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
