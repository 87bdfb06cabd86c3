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

    const long unexpected = runOperation(QStringLiteral("LoadMe"), kTraceError, [&]() -> long {
        RegKeyHandle handler;
        const QString path = handlerPath();
        if (!isSafeSubkeyPath(path) ||
            RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, handler.out()) != ERROR_SUCCESS)
            return endQuietly(kErrInternalName, "Invalid Internal Name");
        QString clsid;
        if (!regReadTextOrEmpty(handler.get(), QString(), clsid))
            return endQuietly(kErrClsid, "Error getting CLSID.");
        CLSID = clsid.trimmed();
        if (CLSID.isEmpty())
            CLSID = InternalName;
        handler.close();

        RegKeyHandle classKey;
        if (CLSID.isEmpty() ||
            RegOpenKeyEx(HKEY_CLASSES_ROOT, classPath(CLSID), 0, KEY_READ, classKey.out()) != ERROR_SUCCESS)
            return endQuietly(kErrClsid, "Error opening CLSID key. Invalid CLSID.");
        step([&] {
            Name.clear();
            regReadText(classKey.get(), QString(), Name);
            Inproc = regGetDefault(classKey.get(), QStringLiteral("InprocServer"));
            Inproc32 = regGetDefault(classKey.get(), QStringLiteral("InprocServer32"));
            ThreadModel.clear();
            RegKeyHandle server;
            if (RegOpenKeyEx(classKey.get(), QStringLiteral("InprocServer32"), 0, KEY_READ, server.out()) ==
                ERROR_SUCCESS)
                regReadTextOrEmpty(server.get(), QStringLiteral("ThreadingModel"), ThreadModel);
        });
        classKey.close();
        if (Name.isEmpty())
            Name = InternalName;
        step([&] { Approved = regIsApproved(CLSID); });

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
        // An empty identifier would name the CLSID key itself and overwrite it.
        if (CLSID.trimmed().isEmpty() || !isSafeSubkeyPath(classPath(CLSID)) ||
            !createKey(HKEY_CLASSES_ROOT, classPath(CLSID), classKey))
            throw OperationError(kErrCreateKey, QStringLiteral("Error Creating/Opening Extension CLSID Key"));
        setTextValue(classKey.get(), QString(), Name);

        RegKeyHandle server;
        if (!createKey(classKey.get(), QStringLiteral("InprocServer32"), server))
            throw OperationError(kErrCreateKey, QStringLiteral("Error Creating/Opening InprocServer32 Key"));
        setTextValue(server.get(), QString(), Inproc32);
        // An empty threading model is stored as such, not removed.
        setTextValue(server.get(), QStringLiteral("ThreadingModel"), ThreadModel);
        server.close();

        regSetApproved(CLSID, Approved);
        classKey.close();

        RegKeyHandle groupKey;
        const QString groupPath = HostInternalName + QStringLiteral("\\shellex\\") + ExtTypeKey;
        if (HostInternalName.isEmpty() || ExtTypeKey.isEmpty() || !isSafeSubkeyPath(groupPath) ||
            !createKey(HKEY_CLASSES_ROOT, groupPath, groupKey))
            throw OperationError(kErrOpenKey, QStringLiteral("Error Opening/Creating Shell Extension Key"));
        if (ExtTypeGroup) {
            RegKeyHandle member;
            if (InternalName.isEmpty() || !isSafeSubkeyPath(InternalName) ||
                !createKey(groupKey.get(), InternalName, member))
                throw OperationError(kErrCreateKey, QStringLiteral("Error Creating/Opening Internal Name Key"));
            setTextValue(member.get(), QString(), CLSID);
        } else {
            setTextValue(groupKey.get(), QString(), CLSID);
        }
        return 0;
    }));
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
