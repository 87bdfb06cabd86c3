#include "control/records/ShellExtensionObject.h"

#include "common/MessageBoxes.h"
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

constexpr int kTraceProgress = 600;
constexpr int kTraceError = 602;

} // namespace

qint16 ShellExtensionObject::ItemType() const
{
    return ITEM_SHELLEXTENSION;
}

QString ShellExtensionObject::Key() const
{
    return ShellExtensionKey(CLSID, ExtTypeIndex, HostInternalName);
}

QString ShellExtensionObject::handlerPath() const
{
    QString path = HostInternalName + QStringLiteral("\\shellex\\") + ExtTypeKey;
    if (ExtTypeGroup)
        path += u'\\' + InternalName;
    return path;
}

long ShellExtensionObject::LoadMe()
{
    TraceEvent(QStringLiteral("LoadMe"),
               [&] { return QStringLiteral("loading shell extensions: ") + Key(); }, kTraceProgress);
    long result = 0;
    // Runs one step; a failure is shown once and the load goes on with the next step.
    auto step = [&](auto&& body) {
        try {
            body();
        } catch (const OperationError& e) {
            TraceEvent(QStringLiteral("LoadMe"), e.traceText(Key()), kTraceError);
            result = e.number();
            ShowError(QStringLiteral("Error loading shell extension '%1'.\r\n\r\nInternal Name: %2\r\nHost Key: %3")
                          .arg(Name, InternalName, HostTypeKey),
                      e.number());
        }
    };

    // A missing handler or class is the common case (most types have no handler of most kinds),
    // so it ends the load without the cost of an exception.
    auto endQuietly = [&](long number, const char* description) {
        TraceEvent(QStringLiteral("LoadMe"),
                   [&] { return OperationError(number, QString::fromLatin1(description)).traceText(Key()); },
                   kTraceError);
        return number;
    };

    m_class.forget();
    m_handler.forget();
    const long unexpected = runOperation(QStringLiteral("LoadMe"), kTraceError, [&]() -> long {
        RegKeyHandle handler;
        const QString path = handlerPath();
        if (!isSafeSubkeyPath(path) ||
            RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, handler.out()) != ERROR_SUCCESS)
            return endQuietly(kErrInternalName, "Invalid Internal Name");
        const RegTextRead clsid = regReadTextValue(handler.get(), QString());
        if (clsid.state == RegValueState::Unreadable)
            return endQuietly(kErrClsid, "Error getting CLSID.");
        CLSID = clsid.text.trimmed();
        if (CLSID.isEmpty())
            CLSID = InternalName;
        handler.close();

        RegKeyHandle classKey;
        if (CLSID.isEmpty() ||
            RegOpenKeyEx(HKEY_CLASSES_ROOT, classPath(CLSID), 0, KEY_READ, classKey.out()) != ERROR_SUCCESS)
            return endQuietly(kErrClsid, "Error opening CLSID key. Invalid CLSID.");
        RegTextRead name, inproc32, threadModel;
        step([&] {
            name = regReadTextValue(classKey.get(), QString());
            Name = name.text;
            Inproc = regGetDefault(classKey.get(), QStringLiteral("InprocServer"));
            inproc32 = regReadTextValue(classKey.get(), QStringLiteral("InprocServer32"), QString());
            Inproc32 = inproc32.text;
            threadModel =
                regReadTextValue(classKey.get(), QStringLiteral("InprocServer32"), QStringLiteral("ThreadingModel"));
            ThreadModel = threadModel.text;
        });
        classKey.close();
        if (Name.isEmpty())
            Name = InternalName;
        RegValueState approval = RegValueState::Absent;
        step([&] {
            approval = regApproval(CLSID);
            Approved = approval == RegValueState::Read;
        });
        // The values as loaded, a name taken from the internal name included: it is no change.
        m_class.remember(RememberedClass{CLSID,
                                         {name.state, name.type, Name},
                                         {inproc32.state, inproc32.type, Inproc32},
                                         {threadModel.state, threadModel.type, ThreadModel},
                                         {approval, REG_NONE, Approved}});
        m_handler.remember(RememberedHandler{path, {clsid.state, clsid.type, CLSID}});

        TraceEvent(QStringLiteral("LoadMe"), [&] { return QStringLiteral("clsid: ") + CLSID; }, kTraceProgress);
        TraceEvent(QStringLiteral("LoadMe"),
                   [&] { return QStringLiteral("completed loading shell extension: %1 - %2").arg(Key(), Name); },
                   kTraceProgress);
        return result;
    });
    return unexpected != 0 ? unexpected : result;
}

long ShellExtensionObject::WriteMe()
{
    CommandScope save;
    return save.finish(runOperation(QStringLiteral("WriteMe"), kTraceError, [&]() -> long {
        RegKeyHandle classKey;
        bool classCreated = false;
        // An empty identifier would name the CLSID key itself and overwrite it.
        if (CLSID.trimmed().isEmpty() || !isSafeSubkeyPath(classPath(CLSID)) ||
            !createKey(HKEY_CLASSES_ROOT, classPath(CLSID), classKey, &classCreated))
            throw OperationError(kErrCreateKey, QStringLiteral("Error Creating/Opening Extension CLSID Key"));
        // What was read of a class applies to that class key, while it is still there.
        RememberedClass cls = isSamePlace(m_class->clsid, CLSID) && !classCreated ? *m_class : RememberedClass{};
        cls.clsid = CLSID;
        cls.name.writeIfChanged(Name, cls.name.textType(), false,
                                [&](DWORD kind) { return setTextValue(classKey.get(), QString(), Name, kind); });

        if (cls.inproc32.changed(Inproc32) || cls.threadModel.changed(ThreadModel)) {
            RegKeyHandle server;
            bool serverCreated = false;
            if (!createKey(classKey.get(), QStringLiteral("InprocServer32"), server, &serverCreated))
                throw OperationError(kErrCreateKey, QStringLiteral("Error Creating/Opening InprocServer32 Key"));
            if (serverCreated) { // a new server key gets both values
                cls.inproc32 = LoadedValue<QString>();
                cls.threadModel = LoadedValue<QString>();
            }
            cls.inproc32.writeIfChanged(Inproc32, cls.inproc32.textType(), false, [&](DWORD kind) {
                return setTextValue(server.get(), QString(), Inproc32, kind);
            });
            // An empty threading model is stored as such, not removed.
            cls.threadModel.writeIfChanged(ThreadModel, cls.threadModel.textType(), false, [&](DWORD kind) {
                return setTextValue(server.get(), QStringLiteral("ThreadingModel"), ThreadModel, kind);
            });
        }

        // The approved list's entries are empty texts when this program writes them.
        cls.approved.writeIfChanged(Approved, REG_SZ, !Approved, [&](DWORD) { return regSetApproved(CLSID, Approved); });
        classKey.close();
        m_class.remember(std::move(cls));

        RegKeyHandle groupKey;
        bool handlerCreated = false;
        const QString groupPath = HostInternalName + QStringLiteral("\\shellex\\") + ExtTypeKey;
        if (HostInternalName.isEmpty() || ExtTypeKey.isEmpty() || !isSafeSubkeyPath(groupPath) ||
            !createKey(HKEY_CLASSES_ROOT, groupPath, groupKey, &handlerCreated))
            throw OperationError(kErrOpenKey, QStringLiteral("Error Opening/Creating Shell Extension Key"));
        RegKeyHandle member;
        if (ExtTypeGroup &&
            (InternalName.isEmpty() || !isSafeSubkeyPath(InternalName) ||
             !createKey(groupKey.get(), InternalName, member, &handlerCreated)))
            throw OperationError(kErrCreateKey, QStringLiteral("Error Creating/Opening Internal Name Key"));
        // A group member's key holds the CLSID; a single handler's is the group key itself.
        const HKEY handlerKey = ExtTypeGroup ? member.get() : groupKey.get();
        RememberedHandler registration =
            isSamePlace(m_handler->path, handlerPath()) && !handlerCreated ? *m_handler : RememberedHandler{};
        registration.path = handlerPath();
        registration.clsid.writeIfChanged(CLSID, registration.clsid.textType(), false, [&](DWORD kind) {
            return setTextValue(handlerKey, QString(), CLSID, kind);
        });
        m_handler.remember(std::move(registration));
        return 0;
    }));
}

void ShellExtensionObject::KeepAsLoaded()
{
    // The CLSID is the class's place and stays as it was read.
    RememberedClass kept = *m_class;
    kept.name.keep(Name);
    kept.inproc32.keep(Inproc32);
    kept.threadModel.keep(ThreadModel);
    kept.approved.keep(Approved);
    m_class.remember(std::move(kept));
}

bool ShellExtensionObject::Unreadable(QString ShellExtensionObject::*field) const
{
    if (field == &ShellExtensionObject::Name)
        return m_class->name.unreadable();
    if (field == &ShellExtensionObject::Inproc32)
        return m_class->inproc32.unreadable();
    if (field == &ShellExtensionObject::ThreadModel)
        return m_class->threadModel.unreadable();
    return false;
}

bool ShellExtensionObject::Unreadable(bool ShellExtensionObject::*field) const
{
    return field == &ShellExtensionObject::Approved && m_class->approved.unreadable();
}

long ShellExtensionObject::RemoveMe(bool removeFull)
{
    CommandScope save;
    return save.finish(runOperation(QStringLiteral("RemoveMe"), kTraceError, [&]() -> long {
        RegKeyHandle shellex;
        if (HostInternalName.isEmpty() ||
            RegOpenKeyEx(HKEY_CLASSES_ROOT, HostInternalName + QStringLiteral("\\shellex"), 0, KEY_ALL_ACCESS,
                         shellex.out()) != ERROR_SUCCESS)
            throw OperationError(kErrOpenKey, QStringLiteral("Error Opening File Type Internal Name Key"));
        if (ExtTypeGroup) {
            RegKeyHandle group;
            if (ExtTypeKey.isEmpty() ||
                RegOpenKeyEx(shellex.get(), ExtTypeKey, 0, KEY_ALL_ACCESS, group.out()) != ERROR_SUCCESS)
                throw OperationError(kErrOpenKey, QStringLiteral("Error Opening Shell Extension Group Key"));
            if (!deleteSubtree(group.get(), InternalName))
                throw OperationError(kErrRemoveKey, QStringLiteral("Error Removing Shell Extension Key from Group Key"));
            group.close();
            removeIfEmpty(shellex.get(), ExtTypeKey);
        } else if (!deleteSubtree(shellex.get(), InternalName)) {
            throw OperationError(kErrRemoveKey, QStringLiteral("Error Removing Extension Key"));
        }
        shellex.close();
        removeIfEmpty(HKEY_CLASSES_ROOT, HostInternalName + QStringLiteral("\\shellex"));

        if (removeFull) {
            RegKeyHandle classes;
            if (RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("CLSID"), 0, KEY_ALL_ACCESS, classes.out()) !=
                ERROR_SUCCESS)
                throw OperationError(kErrOpenKey, QStringLiteral("Error Opening Shell Extension CLSID Key"));
            if (!deleteSubtree(classes.get(), CLSID))
                throw OperationError(kErrRemoveKey, QStringLiteral("Error Removing Shell Extension CLSID Key"));
        }
        return 0;
    }));
}
