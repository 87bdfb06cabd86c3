#include "control/tree/CollectionLoader.h"

#include "common/MessageBoxes.h"
#include "common/Trace.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/RegistryAccess.h"
#include "control/tree/IconList.h"
#include "control/tree/KestrowCore.h"
#include "control/tree/LoadProgress.h"
#include "control/tree/StepGuard.h"
#include "control/tree/TreeBinding.h"
#include "control/tree/TreeLayout.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "platform/settings/Settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

constexpr int kTraceProgress = 200;
constexpr int kTraceError = 202;
// Progress is drawn and input handled this often; doing it for every one of tens of thousands
// of keys would cost more than the load itself.
constexpr qint64 kPumpIntervalMs = 16;

template <typename Message>
void trace(const QString& source, Message&& message, int level = kTraceProgress)
{
    TraceEvent(source, std::forward<Message>(message), level);
}

class Loader {
public:
    Loader(KestrowCore& core, bool loadFull, LoadProgress* progress)
        : m_core(core)
        , m_loadFull(loadFull)
        , m_progress(progress)
        , m_guard([this] { return QStringLiteral("Extension: ") + m_lastExtension; })
    {
    }

    long run()
    {
        trace(QStringLiteral("LoadCollection"), QStringLiteral("starting to load file type collection"));
        if (RegOpenKeyEx(HKEY_CLASSES_ROOT, QString(), 0, KEY_READ, m_root.out()) != ERROR_SUCCESS) {
            ShowError(QStringLiteral("Fatal Error: invalid registry hive (default hive = %1)")
                          .arg(static_cast<qint32>(static_cast<quint32>(HKEY_CLASSES_ROOT))),
                      kErrInvalidHive, QString(), vbOKOnly);
            return finish(kErrInvalidHive);
        }
        // A load that found only orphaned extensions left something behind as well.
        if (m_core.Count() > 0 || !m_core.OrphanedExtensions().isEmpty())
            clearPrevious();
        start();

        QString name;
        for (DWORD index = 0;; ++index) {
            DWORD chars = kTextBufferChars;
            if (RegEnumKeyEx(m_root.get(), index, &name, &chars) != ERROR_SUCCESS)
                break;
            if (name.startsWith(u'.')) {
                m_lastExtension = name;
                if (!m_guard.run([&] { loadExtension(name); }, {kErrDuplicateKey}))
                    return finish(m_guard.code());
            }
            if (pump(static_cast<int>(index), false))
                return finish(kResultCancelled);
        }
        if (pump(m_count, true))
            return finish(kResultCancelled);
        m_root.close();

        stage(QStringLiteral("Loading Special Types..."));
        LoadSpecial(m_core, m_loadFull);
        stage(QStringLiteral("Binding File Types to TreeView..."));
        BindCollection(m_core);
        if (m_progress)
            m_progress->finished();
        trace(QStringLiteral("LoadCollection"), QStringLiteral("completed loading file type collection"));
        return 0;
    }

private:
    void clearPrevious()
    {
        if (m_progress)
            m_progress->clearingStarted();
        QCoreApplication::processEvents();
        m_core.Clear();
        if (m_progress)
            m_progress->clearingFinished();
    }

    void start()
    {
        DWORD subKeys = 0;
        if (RegQueryInfoKey(m_root.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return;
        trace(QStringLiteral("LoadCollection"), [&] { return QStringLiteral("found %1 HKCR entries").arg(subKeys); });
        m_count = static_cast<int>(subKeys);
        if (m_progress)
            m_progress->started(m_count);
        m_sincePump.start();
    }

    void stage(const QString& message)
    {
        if (m_progress)
            m_progress->stageChanged(message);
    }

    // Shows progress and lets input through; true when the user cancelled.
    bool pump(int index, bool force)
    {
        if (!force && m_sincePump.isValid() && m_sincePump.elapsed() < kPumpIntervalMs)
            return false;
        if (m_progress)
            m_progress->advanced(index);
        QCoreApplication::processEvents();
        m_sincePump.restart();
        return m_progress && m_progress->cancelRequested();
    }

    void loadExtension(const QString& name)
    {
        auto ext = std::make_shared<FileExtensionObject>();
        ext->Extension = name;
        trace(QStringLiteral("LoadCollection"), [&] { return QStringLiteral("about to load file extension ") + name; });
        ext->LoadMe(m_loadFull);
        trace(QStringLiteral("LoadCollection"), [&] { return QStringLiteral("loaded file extension ") + name; });

        ext->HostTypeKey = FileTypeKey(ext->InternalName);
        // A type that several extensions name is loaded once and shared.
        std::shared_ptr<FileTypeObject> type = m_core.FileTypeCollection().value(ext->HostTypeKey);
        if (!type) {
            type = std::make_shared<FileTypeObject>();
            type->InternalName = ext->InternalName;
            m_core.FileTypeCollection().add(ext->HostTypeKey, type);
        }
        type->FileExtensions.tryAdd(ext->Key(), ext);
        if (type->Loaded() != LOAD_NOTLOADED)
            return;

        trace(QStringLiteral("LoadCollection"),
              [&] { return QStringLiteral("about to load file type ") + type->Key(); });
        const long rc = type->LoadMe(m_loadFull);
        if (m_progress)
            m_progress->typeLoaded(type->Name);
        if (rc != 0) {
            trace(QStringLiteral("LoadCollection"),
                  [&] { return QStringLiteral("error loading file type ") + type->Key(); }, kTraceError);
            m_core.FileTypeCollection().tryRemove(type->Key());
            if (rc == kErrNoInternalName) {
                // Shown as the owner of an orphan; writing the extension back leaves what the
                // registry holds.
                ext->InternalName = kNotDefined;
                ext->HostTypeKey = kNotDefined;
                ext->KeepAsLoaded();
                m_core.OrphanedExtensions().tryAdd(ext->Key(), ext);
            }
            return;
        }
        trace(QStringLiteral("LoadCollection"),
              [&] { return QStringLiteral("successfully loaded file type ") + type->Key(); });
        m_core.AddTypeIcon(*type);
    }

    long finish(long code)
    {
        m_core.Clear();
        m_root.close();
        if (m_progress)
            m_progress->finished();
        return code;
    }

    KestrowCore& m_core;
    const bool m_loadFull;
    LoadProgress* m_progress;
    RegKeyHandle m_root;
    QString m_lastExtension;
    StepGuard m_guard;
    int m_count = 0;
    QElapsedTimer m_sincePump;
};

} // namespace

long LoadCollection(KestrowCore& core, bool loadFull, LoadProgress* progress)
{
    Loader loader(core, loadFull, progress);
    return loader.run();
}

void LoadSpecial(KestrowCore& core, bool loadFull)
{
    trace(QStringLiteral("LoadSpecial"), QStringLiteral("loading special file types..."));
    const int rows = static_cast<int>(GetAllSettings(SETTINGS_APPLICATION, SECTION_SPECIAL).size() / 6);
    for (int n = 0; n < rows; ++n) {
        auto type = std::make_shared<FileTypeObject>();
        type->Special = true;
        type->SpecialGroup = DefinitionBoolean(DefinitionField(SECTION_SPECIAL, n, FIELD_GROUP)).value_or(false);
        type->SpecialIndex = static_cast<qint16>(n);
        type->InternalName = DefinitionField(SECTION_SPECIAL, n, FIELD_KEY);
        trace(QStringLiteral("LoadSpecial"), [&] { return QStringLiteral("about to load ") + type->Key(); });
        const long rc = type->LoadMe(loadFull);
        if (rc == kErrNoInternalName)
            continue; // not on this machine
        if (rc != 0) {
            ShowError(QStringLiteral("Error loading special file type from the registry.\r\n\r\nKey: %1\r\nIndex: %2")
                          .arg(type->Key())
                          .arg(n),
                      rc, QString(), vbOKOnly);
            continue;
        }
        // The table's stand-in text is no icon location: it goes, so that the type shows its
        // predefined image. A location from the registry is the user's data and stays, drawable
        // or not, so that writing the type back never loses it.
        const QString placeholder = DefinitionField(SECTION_SPECIAL, n, FIELD_DEFAULTICON);
        if (type->IconPath == placeholder && !HasIcon(placeholder)) {
            type->IconPath.clear();
            type->KeepAsLoaded();
        }
        core.AddTypeIcon(*type);
        // A special type already loaded through an extension keeps that record.
        core.FileTypeCollection().tryAdd(type->Key(), type);
        trace(QStringLiteral("LoadSpecial"), [&] { return QStringLiteral("loaded ") + type->Key(); });
    }
    trace(QStringLiteral("LoadSpecial"), QStringLiteral("done loading special file types"));
}
