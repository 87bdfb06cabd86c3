#include "control/records/FileTypeObject.h"

#include "common/MessageBoxes.h"
#include "common/Trace.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"
#include "control/records/RecordRegistry.h"
#include "control/records/RegistryAccess.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "platform/RunContext.h"
#include "platform/registry/CommandScope.h"
#include "platform/settings/Settings.h"

#include <QSet>

namespace {

constexpr int kTraceProgress = 300;
constexpr int kTraceError = 302;

template <typename Message>
void trace(const QString& procedure, Message&& message)
{
    TraceEvent(procedure, std::forward<Message>(message), kTraceProgress);
}

// A broken row of the settings would otherwise be reported for every file type of a load. Once the
// settings change it is reported again, as the user may have mended one row and broken another.
void reportBadGroupFlagOnce(int index, const QString& text)
{
    struct Reported {
        QSet<QString> entries; // "n_Group=text"
        quint64 generation = 0;
    };
    Reported& reported = RunContext::current().state<Reported>();
    if (const quint64 generation = SettingsGeneration(); generation != reported.generation) {
        reported.entries.clear();
        reported.generation = generation;
    }
    const QString entry = DefinitionFieldKey(index, FIELD_GROUP);
    if (reported.entries.contains(entry + u'=' + text))
        return;
    reported.entries.insert(entry + u'=' + text);
    ShowError(QStringLiteral("The setting \"%1\" of the shell extension groups is \"%2\", which is neither True nor "
                             "False.\r\n\r\nShell extensions of the group \"%3\" are not loaded until it is corrected.")
                  .arg(entry, text, DefinitionField(SECTION_SHELLEX, index, FIELD_NAME)),
              kErrTypeMismatch);
}

// Walks the subkeys of an open key by index; returns the code that ended the walk when it was
// anything but the normal end.
template <typename Visit>
long forEachSubkey(HKEY key, Visit&& visit)
{
    QString name;
    for (DWORD index = 0;; ++index) {
        DWORD chars = kTextBufferChars;
        const LONG rc = RegEnumKeyEx(key, index, &name, &chars);
        if (rc == ERROR_NO_MORE_ITEMS)
            return 0;
        if (rc != ERROR_SUCCESS)
            return rc;
        visit(name);
    }
}

// EditFlags keep the form they were found in: a number, 4 bytes of binary data, or decimal text.
DWORD flagsType(const LoadedValue<std::uint32_t>& flags)
{
    switch (flags.type()) {
    case REG_BINARY:
    case REG_SZ:
    case REG_EXPAND_SZ: return flags.type();
    default: return REG_DWORD;
    }
}

} // namespace

qint16 FileTypeObject::ItemType() const
{
    return ITEM_FILETYPE;
}

QString FileTypeObject::Key() const
{
    return FileTypeKey(InternalName);
}

std::shared_ptr<ItemObject> FileTypeObject::GetItem(qint16 itemType, const QString& itemKey) const
{
    switch (itemType) {
    case ITEM_FILEEXTENSION: return FileExtensions.item(itemKey);
    case ITEM_SHELLEXTENSION: return ShellExtensions.item(itemKey);
    case ITEM_ACTION: return Actions.item(itemKey);
    default: return nullptr;
    }
}

long FileTypeObject::LoadMe(bool loadFull)
{
    return runOperation(
        QStringLiteral("LoadMe"), kTraceError,
        [&]() -> long {
            trace(QStringLiteral("LoadMe"), [&] { return QStringLiteral("loading file type ") + Key(); });
            m_loaded = LOAD_VALUES;
            m_remembered.forget();
            if (InternalName.trimmed().isEmpty() || !isSafeSubkeyPath(InternalName))
                return kErrNoInternalName;
            {
                RegKeyHandle type;
                if (RegOpenKeyEx(HKEY_CLASSES_ROOT, InternalName, 0, KEY_READ, type.out()) != ERROR_SUCCESS)
                    return kErrNoInternalName;
            }
            RegKeyHandle root;
            if (RegOpenKeyEx(HKEY_CLASSES_ROOT, QString(), 0, KEY_READ, root.out()) != ERROR_SUCCESS)
                return kErrInvalidHive;
            const RegTextRead name = regReadTextValue(root.get(), InternalName, QString());
            const RegTextRead clsid = regReadTextValue(root.get(), InternalName + QStringLiteral("\\CLSID"), QString());
            const RegTextRead icon =
                regReadTextValue(root.get(), InternalName + QStringLiteral("\\DefaultIcon"), QString());
            const RegFlagsRead flags = regReadFlags(root.get(), InternalName);
            const RegTextRead quickView =
                regReadTextValue(root.get(), InternalName + QStringLiteral("\\QuickView"), QString());
            Name = name.text;
            CLSID = clsid.text;
            IconPath = icon.text;
            Flags = flags.flags;
            QuickView = quickView.text == QStringLiteral("*");
            trace(QStringLiteral("LoadMe"), [&] { return QStringLiteral("name: ") + Name; });
            trace(QStringLiteral("LoadMe"), [&] { return QStringLiteral("clsid: ") + CLSID; });
            trace(QStringLiteral("LoadMe"), [&] { return QStringLiteral("icon: ") + IconPath; });
            trace(QStringLiteral("LoadMe"), [&] { return QStringLiteral("flags: ") + QString::number(Flags); });
            trace(QStringLiteral("LoadMe"), [&] { return QStringLiteral("quickview: ") + QString::number(QuickView); });
            root.close();

            if (Name.isEmpty()) {
                if (Special)
                    Name = DefinitionField(SECTION_SPECIAL, SpecialIndex, FIELD_NAME);
                else if (const auto first = FileExtensions.first())
                    Name = first->Extension.mid(1).toUpper() + QStringLiteral(" File Type");
                else
                    Name = InternalName; // no description and no extension: the key's own name
            }
            if (IconPath.isEmpty() && Special)
                IconPath = DefinitionField(SECTION_SPECIAL, SpecialIndex, FIELD_DEFAULTICON);
            // The values as loaded, made-up name and stand-in icon included: they are no change.
            m_remembered.remember(Remembered{InternalName,
                                             {name.state, name.type, Name},
                                             {clsid.state, clsid.type, CLSID},
                                             {icon.state, icon.type, IconPath},
                                             {flags.state, flags.type, Flags},
                                             {quickView.state, quickView.type, QuickView}});

            if (!loadFull) {
                trace(QStringLiteral("LoadMe"),
                      [&] { return QStringLiteral("completed loading basic info for file type: ") + Key(); });
                return 0;
            }
            ShellExtensions.clear();
            Actions.clear();
            if (const long rc = LoadActions(); rc != 0)
                ShowError(QStringLiteral("Error loading actions for file type '%1'.").arg(Name), rc);
            if (const long rc = LoadShellExtensions(); rc != 0)
                ShowError(QStringLiteral("Error loading shell extensions for file type '%1'.").arg(Name), rc);
            trace(QStringLiteral("LoadMe"),
                  [&] { return QStringLiteral("loading file extensions for file type: ") + Key(); });
            for (const auto& entry : FileExtensions)
                entry.item->LoadMe(true);
            trace(QStringLiteral("LoadMe"), QStringLiteral("done loading file extensions"));
            trace(QStringLiteral("LoadMe"),
                  [&] { return QStringLiteral("completed loading all information for file type: ") + Key(); });
            m_loaded = LOAD_FULL;
            return 0;
        },
        [this] { return Key(); });
}

void FileTypeObject::KeepAsLoaded()
{
    Remembered kept = *m_remembered;
    kept.name.keep(Name);
    kept.clsid.keep(CLSID);
    kept.iconPath.keep(IconPath);
    kept.flags.keep(Flags);
    kept.quickView.keep(QuickView);
    m_remembered.remember(std::move(kept));
}

bool FileTypeObject::Unreadable(QString FileTypeObject::*field) const
{
    if (field == &FileTypeObject::Name)
        return m_remembered->name.unreadable();
    if (field == &FileTypeObject::CLSID)
        return m_remembered->clsid.unreadable();
    if (field == &FileTypeObject::IconPath)
        return m_remembered->iconPath.unreadable();
    return false;
}

bool FileTypeObject::Unreadable(std::uint32_t FileTypeObject::*field) const
{
    return field == &FileTypeObject::Flags && m_remembered->flags.unreadable();
}

bool FileTypeObject::Unreadable(bool FileTypeObject::*field) const
{
    return field == &FileTypeObject::QuickView && m_remembered->quickView.unreadable();
}

long FileTypeObject::LoadActions()
{
    return runOperation(
        QStringLiteral("LoadActions"), kTraceError,
        [&]() -> long {
            trace(QStringLiteral("LoadActions"),
                  [&] { return QStringLiteral("loading actions for file type: ") + Key(); });
            long result = 0;
            const QString typeKey = Key(); // one string shared by every action
            RegKeyHandle shell;
            if (RegOpenKeyEx(HKEY_CLASSES_ROOT, InternalName + QStringLiteral("\\shell"), 0, KEY_READ, shell.out()) ==
                ERROR_SUCCESS) {
                result = forEachSubkey(shell.get(), [&](const QString& verb) {
                    auto action = std::make_shared<ActionObject>();
                    action->HostTypeKey = typeKey;
                    action->HostInternalName = InternalName;
                    action->CommandKey = verb;
                    if (action->LoadMe() == 0)
                        Actions.tryAdd(action->Key(), action);
                });
            }
            trace(QStringLiteral("LoadActions"), QStringLiteral("done loading actions"));
            return result;
        },
        [this] { return Key(); });
}

long FileTypeObject::LoadShellExtensions()
{
    return runOperation(
        QStringLiteral("LoadShellExtensions"), kTraceError,
        [&]() -> long {
            trace(QStringLiteral("LoadShellExtensions"),
                  [&] { return QStringLiteral("loading shell extensions for file type: ") + Key(); });
            long result = 0;
            RegKeyHandle shellex;
            if (RegOpenKeyEx(HKEY_CLASSES_ROOT, InternalName + QStringLiteral("\\shellex"), 0, KEY_READ,
                             shellex.out()) != ERROR_SUCCESS) {
                trace(QStringLiteral("LoadShellExtensions"), QStringLiteral("done loading shell extensions"));
                return 0;
            }
            const QString typeKey = Key(); // one string shared by every handler
            auto load = [&](const QString& groupKey, int index, bool isGroup, const QString& internalName) {
                auto handler = std::make_shared<ShellExtensionObject>();
                handler->HostInternalName = InternalName;
                handler->FileExtensionSH = false;
                handler->HostTypeKey = typeKey;
                handler->ExtTypeGroup = isGroup;
                handler->ExtTypeKey = groupKey;
                handler->ExtTypeIndex = static_cast<qint16>(index);
                handler->InternalName = internalName;
                if (handler->LoadMe() != 0)
                    return;
                // Two handlers of one group naming one class cannot both be shown; the first stays.
                if (!ShellExtensions.tryAdd(handler->Key(), handler))
                    TraceEvent(QStringLiteral("LoadShellExtensions"),
                               QStringLiteral("duplicate shell extension skipped: ") + handler->Key(), kTraceError);
            };
            for (const DefinitionRow& row : DefinitionRows(SECTION_SHELLEX)) {
                const std::optional<bool> isGroup = DefinitionBoolean(row.group);
                if (!isGroup) {
                    reportBadGroupFlagOnce(row.index, row.group);
                    continue;
                }
                RegKeyHandle group;
                if (!isSafeSubkeyPath(row.key) ||
                    RegOpenKeyEx(shellex.get(), row.key, 0, KEY_READ, group.out()) != ERROR_SUCCESS)
                    continue;
                if (!*isGroup) {
                    load(row.key, row.index, false, row.key);
                    continue;
                }
                if (const long rc = forEachSubkey(group.get(), [&](const QString& member) {
                        load(row.key, row.index, true, member);
                    });
                    rc != 0)
                    result = rc;
            }
            trace(QStringLiteral("LoadShellExtensions"), QStringLiteral("done loading shell extensions"));
            return result;
        },
        [this] { return Key(); });
}

long FileTypeObject::WriteMe(bool writeFull)
{
    CommandScope save;
    return save.finish(runOperation(
        QStringLiteral("WriteMe"), kTraceError,
        [&]() -> long {
            RegKeyHandle type;
            bool createdNew = false;
            // An empty or malformed name would address HKEY_CLASSES_ROOT itself.
            if (!isSafeSubkeyPath(InternalName) || !createKey(HKEY_CLASSES_ROOT, InternalName, type, &createdNew))
                throw OperationError(kErrCreateKey, QStringLiteral("Error creating Internal Name key for File Type."));
            // What was read applies to the key it was read from, while that key is still there.
            Remembered next = isSamePlace(m_remembered->internalName, InternalName) && !createdNew ? *m_remembered
                                                                                                   : Remembered{};
            next.internalName = InternalName;
            if (next.name.writeIfChanged(Name, next.name.textType(), false, [&](DWORD kind) {
                    return setTextValue(type.get(), QString(), Name, kind);
                }) != ERROR_SUCCESS)
                throw OperationError(kErrWriteName, QStringLiteral("Error writing name to registry."),
                                     QStringLiteral("WriteMe"));
            next.iconPath.writeIfChanged(IconPath, next.iconPath.textType(), IconPath.isEmpty(), [&](DWORD kind) {
                return regPutDefaultItem(type.get(), IconPath, kind);
            });
            next.clsid.writeIfChanged(CLSID, next.clsid.textType(), CLSID.isEmpty(),
                                     [&](DWORD kind) { return regPutCLSID(type.get(), CLSID, kind); });
            next.flags.writeIfChanged(Flags, flagsType(next.flags), Flags == 0,
                                     [&](DWORD kind) { return regPutFlags(type.get(), Flags, kind); });
            next.quickView.writeIfChanged(QuickView, next.quickView.textType(), !QuickView,
                                         [&](DWORD kind) { return regPutQuickView(type.get(), QuickView, kind); });
            type.close();
            m_remembered.remember(std::move(next));
            if (writeFull) {
                for (const auto& entry : FileExtensions)
                    entry.item->WriteMe(true);
                for (const auto& entry : Actions)
                    entry.item->WriteMe();
                for (const auto& entry : ShellExtensions)
                    entry.item->WriteMe();
            }
            return 0;
        },
        [this] { return Key(); }));
}

long FileTypeObject::RemoveMe(bool removeFull)
{
    CommandScope save;
    // A name that cannot address the type's key removes nothing, its extensions included.
    if (!isSafeSubkeyPath(InternalName))
        return save.finish(ERROR_BAD_PATHNAME);
    if (removeFull)
        for (const auto& entry : FileExtensions)
            entry.item->RemoveMe();
    // Actions and handlers live below the type key and go with it.
    return save.finish(RegDeleteTree(HKEY_CLASSES_ROOT, InternalName));
}
