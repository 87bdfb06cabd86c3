#include "control/records/FileExtensionObject.h"

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

constexpr int kTraceProgress = 400;
constexpr int kTraceError = 402;

template <typename Message>
void trace(Message&& message)
{
    TraceEvent(QStringLiteral("FileExtensionObject"), std::forward<Message>(message), kTraceProgress);
}

} // namespace

qint16 FileExtensionObject::ItemType() const
{
    return ITEM_FILEEXTENSION;
}

QString FileExtensionObject::Key() const
{
    return FileExtensionKey(Extension);
}

long FileExtensionObject::LoadMe(bool loadFull)
{
    return runOperation(
        QStringLiteral("LoadMe"), kTraceError,
        [&]() -> long {
            trace([&] { return QStringLiteral("loading information for extension: ") + Key(); });
            RegKeyHandle root;
            RegOpenKeyEx(HKEY_CLASSES_ROOT, QString(), 0, KEY_READ, root.out());
            // An empty name would read HKEY_CLASSES_ROOT's own values.
            auto read = [&](const QString& valueName) {
                return Extension.isEmpty() ? RegTextRead{} : regReadTextValue(root.get(), Extension, valueName);
            };
            const RegTextRead contentType = read(QStringLiteral("Content Type"));
            const RegTextRead internalName = read(QString());
            const RegTextRead infoTip = read(QStringLiteral("InfoTip"));
            ContentType = contentType.text;
            InternalName = internalName.text;
            InfoTip = infoTip.text;
            m_remembered.remember(Remembered{Extension,
                                             {internalName.state, internalName.type, InternalName},
                                             {contentType.state, contentType.type, ContentType},
                                             {infoTip.state, infoTip.type, InfoTip}});
            trace([&] { return QStringLiteral("mime type: ") + ContentType; });
            trace([&] { return QStringLiteral("internal name: ") + InternalName; });
            trace([&] { return QStringLiteral("infotip: ") + InfoTip; });

            if (loadFull) {
                trace([&] { return QStringLiteral("loading shell extensions for extension: ") + Key(); });
                ShellExtensions.clear();
                RegKeyHandle shellex;
                if (isSafeSubkeyPath(Extension) &&
                    RegOpenKeyEx(root.get(), Extension + QStringLiteral("\\shellex"), 0, KEY_READ, shellex.out()) ==
                        ERROR_SUCCESS) {
                    QString name;
                    for (DWORD index = 0;; ++index) {
                        DWORD chars = kTextBufferChars;
                        if (RegEnumKeyEx(shellex.get(), index, &name, &chars) != ERROR_SUCCESS)
                            break;
                        auto handler = std::make_shared<ShellExtensionObject>();
                        handler->FileExtensionSH = true;
                        handler->ExtTypeGroup = false;
                        handler->ExtTypeIndex = -1;
                        handler->ExtTypeKey = name;
                        handler->InternalName = name;
                        handler->HostInternalName = Extension;
                        if (handler->LoadMe() != 0)
                            continue;
                        // Two handler keys naming one class cannot both be shown; the first stays.
                        if (ShellExtensions.tryAdd(handler->Key(), handler))
                            trace([&] { return QStringLiteral("loaded shell extension ") + handler->Key(); });
                        else
                            TraceEvent(QStringLiteral("LoadMe"),
                                       QStringLiteral("duplicate shell extension skipped: ") + handler->Key(),
                                       kTraceError);
                    }
                }
                trace([&] { return QStringLiteral("done loading shell extensions for extension: ") + Key(); });
            }
            trace([&] { return QStringLiteral("finished loading extension: ") + Key(); });
            return 0;
        },
        [this] { return Key(); });
}

long FileExtensionObject::WriteMe(bool writeFull)
{
    CommandScope save;
    return save.finish(runOperation(
        QStringLiteral("WriteMe"), kTraceError,
        [&]() -> long {
            trace([&] { return QStringLiteral("writing extension to registry: ") + Key(); });
            RegKeyHandle key;
            bool createdNew = false;
            // An empty name would be HKEY_CLASSES_ROOT itself.
            if (!isSafeSubkeyPath(Extension) || !createKey(HKEY_CLASSES_ROOT, Extension, key, &createdNew))
                throw OperationError(kErrCreateKey, QStringLiteral("Error creating internal name key"));
            // What was read applies to the key it was read from, while that key is still there.
            Remembered next =
                isSamePlace(m_remembered->extension, Extension) && !createdNew ? *m_remembered : Remembered{};
            next.extension = Extension;
            if (next.internalName.writeIfChanged(InternalName, next.internalName.textType(), false, [&](DWORD kind) {
                    return setTextValue(key.get(), QString(), InternalName, kind);
                }) != ERROR_SUCCESS)
                throw OperationError(kErrWriteExtension,
                                     QStringLiteral("Error writing internal name for file extension to registry."),
                                     QStringLiteral("WriteMe"));
            next.contentType.writeIfChanged(ContentType, next.contentType.textType(), ContentType.isEmpty(),
                                            [&](DWORD kind) {
                                                return regPutContentType(HKEY_CLASSES_ROOT, Extension, ContentType,
                                                                         kind);
                                            });
            next.infoTip.writeIfChanged(InfoTip, next.infoTip.textType(), InfoTip.isEmpty(), [&](DWORD kind) {
                return regPutInfoTip(HKEY_CLASSES_ROOT, Extension, InfoTip, kind);
            });
            key.close();
            m_remembered.remember(std::move(next));
            if (writeFull) {
                trace([&] { return QStringLiteral("writing shell extensions for extension ") + Key(); });
                for (const auto& entry : ShellExtensions)
                    entry.item->WriteMe();
            }
            trace([&] { return QStringLiteral("done writing extension to registry: ") + Key(); });
            return 0;
        },
        [this] { return Key(); }));
}

void FileExtensionObject::KeepAsLoaded()
{
    Remembered kept = *m_remembered;
    kept.internalName.keep(InternalName);
    kept.contentType.keep(ContentType);
    kept.infoTip.keep(InfoTip);
    m_remembered.remember(std::move(kept));
}

bool FileExtensionObject::Unreadable(QString FileExtensionObject::*field) const
{
    if (field == &FileExtensionObject::InternalName)
        return m_remembered->internalName.unreadable();
    if (field == &FileExtensionObject::ContentType)
        return m_remembered->contentType.unreadable();
    if (field == &FileExtensionObject::InfoTip)
        return m_remembered->infoTip.unreadable();
    return false;
}

long FileExtensionObject::RemoveMe()
{
    CommandScope save;
    // The whole key goes, handlers below its shellex key included.
    const long result = isSafeSubkeyPath(Extension) ? RegDeleteTree(HKEY_CLASSES_ROOT, Extension) : ERROR_BAD_PATHNAME;
    trace([&] { return QStringLiteral("extension removed from registry: ") + Key(); });
    return save.finish(result);
}
