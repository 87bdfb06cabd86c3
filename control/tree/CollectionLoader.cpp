#include "control/tree/CollectionLoader.h"

#include "common/MessageBoxes.h"
#include "common/Trace.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/RegistryAccess.h"
#include "control/tree/IconList.h"
#include "control/tree/Kestrow.h"
#include "control/tree/ProgressBox.h"
#include "control/tree/StepGuard.h"
#include "control/tree/TreeBinding.h"
#include "control/tree/frmSplash.h"
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

const QString kNotDefined = QStringLiteral("<not defined>");

template <typename Message>
void trace(const QString& source, Message&& message, int level = kTraceProgress)
{
    TraceEvent(source, std::forward<Message>(message), level);
}

// The file type's own icon under its key, or the default icon when it has none that can be drawn.
void addTypeIcon(Kestrow& control, const FileTypeObject& type)
{
    trace(QStringLiteral("LoadCollection"), [&] { return QStringLiteral("loading icon ") + type.IconPath; });
    if (control.imlIcons().Contains(type.Key()))
        return; // loaded before, and kept
    if (AddIcon(control.imlIcons(), type.IconPath, ICON_SMALL, type.Key()) == -1) {
        trace(QStringLiteral("LoadCollection"),
              QStringLiteral("error loading icon %1 - loading default icon").arg(type.IconPath), kTraceError);
        AddIcon(control.imlIcons(), kDefaultIconLocation, ICON_SMALL, type.Key());
    }
}

class Loader {
public:
    Loader(Kestrow& control, bool& showProgressBox, bool& showSplashScreen, bool loadFull)
        : m_control(control)
        , m_showProgressBox(showProgressBox)
        , m_showSplashScreen(showSplashScreen)
        , m_loadFull(loadFull)
        , m_guard([this] { return QStringLiteral("Extension: ") + m_lastExtension; })
    {
    }

    long run()
    {
        trace(QStringLiteral("LoadCollection"), QStringLiteral("starting to load file type collection"));
        if (m_showSplashScreen)
            m_showProgressBox = false;
        if (RegOpenKeyEx(HKEY_CLASSES_ROOT, QString(), 0, KEY_READ, m_root.out()) != ERROR_SUCCESS) {
            ShowError(QStringLiteral("Fatal Error: invalid registry hive (default hive = %1)")
                          .arg(static_cast<qint32>(static_cast<quint32>(HKEY_CLASSES_ROOT))),
                      kErrInvalidHive, QString(), vbOKOnly);
            return finish(kErrInvalidHive);
        }
        // A load that found only orphaned extensions left something behind as well.
        if (m_control.Count() > 0 || !m_control.OrphanedExtensions().isEmpty())
            clearPrevious();
        showProgress();

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
        if (pump(m_shownMax, true))
            return finish(kResultCancelled);
        m_root.close();

        if (m_splash) {
            m_splash->setMessage(QStringLiteral("Loading Special Types..."));
            m_splash->setInfoMsg(QString());
        }
        LoadSpecial(m_control, m_loadFull);
        if (m_splash)
            m_splash->setMessage(QStringLiteral("Binding File Types to TreeView..."));
        BindCollection(m_control);
        closeProgress();
        if (KestrowNode* all = m_control.tree().node(FileTypeKey(QStringLiteral("*")))) {
            m_control.SelectNode(all);
            m_control.tree().setExpanded(all, false);
        }
        trace(QStringLiteral("LoadCollection"), QStringLiteral("completed loading file type collection"));
        return 0;
    }

private:
    void clearPrevious()
    {
        ProgressBox& box = m_control.progressBox();
        box.setWindowTitle(QStringLiteral("Varnook"));
        box.DisplayMessage(QStringLiteral("Clearing previously loaded file type information.\r\n\r\nPlease wait..."));
        box.show();
        QCoreApplication::processEvents();
        m_control.Clear();
        if (!m_showProgressBox)
            box.close();
    }

    void showProgress()
    {
        DWORD subKeys = 0;
        if (RegQueryInfoKey(m_root.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return;
        trace(QStringLiteral("LoadCollection"), [&] { return QStringLiteral("found %1 HKCR entries").arg(subKeys); });
        m_shownMax = static_cast<int>(subKeys);
        if (m_showProgressBox) {
            m_box = &m_control.progressBox();
            m_box->setWindowTitle(QStringLiteral("Loading File Types..."));
            m_box->setMax(m_shownMax);
            m_box->ShowCancelButton();
            m_box->HideMessage();
            m_box->show();
        } else if (m_showSplashScreen) {
            m_splash = &m_control.splash();
            m_splash->setMax(m_shownMax);
            m_splash->setMessage(QStringLiteral("Loading File Types"));
            m_splash->setInfoMsg(QStringLiteral("<Initializing>"));
            m_splash->show();
        }
        m_sincePump.start();
    }

    // Shows progress and lets input through; true when the user cancelled.
    bool pump(int index, bool force)
    {
        if (!force && m_sincePump.isValid() && m_sincePump.elapsed() < kPumpIntervalMs)
            return false;
        if (m_box)
            m_box->Update(index);
        else if (m_splash)
            m_splash->Update(index);
        QCoreApplication::processEvents();
        m_sincePump.restart();
        return m_box && m_box->cancelCode() == kResultCancelled;
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
        std::shared_ptr<FileTypeObject> type = m_control.FileTypeCollection().value(ext->HostTypeKey);
        if (!type) {
            type = std::make_shared<FileTypeObject>();
            type->InternalName = ext->InternalName;
            m_control.FileTypeCollection().add(ext->HostTypeKey, type);
        }
        type->FileExtensions.tryAdd(ext->Key(), ext);
        if (type->Loaded() != LOAD_NOTLOADED)
            return;

        trace(QStringLiteral("LoadCollection"),
              [&] { return QStringLiteral("about to load file type ") + type->Key(); });
        const long rc = type->LoadMe(m_loadFull);
        if (m_splash)
            m_splash->setInfoMsg(type->Name);
        if (rc != 0) {
            trace(QStringLiteral("LoadCollection"),
                  [&] { return QStringLiteral("error loading file type ") + type->Key(); }, kTraceError);
            m_control.FileTypeCollection().tryRemove(type->Key());
            if (rc == kErrNoInternalName) {
                ext->InternalName = kNotDefined;
                ext->HostTypeKey = kNotDefined;
                m_control.OrphanedExtensions().tryAdd(ext->Key(), ext);
            }
            return;
        }
        trace(QStringLiteral("LoadCollection"),
              [&] { return QStringLiteral("successfully loaded file type ") + type->Key(); });
        addTypeIcon(m_control, *type);
    }

    void closeProgress()
    {
        if (m_showProgressBox)
            m_control.progressBox().close();
        if (m_showSplashScreen)
            m_control.splash().close();
    }

    long finish(long code)
    {
        m_control.Clear();
        m_root.close();
        closeProgress();
        return code;
    }

    Kestrow& m_control;
    bool& m_showProgressBox;
    bool& m_showSplashScreen;
    const bool m_loadFull;
    RegKeyHandle m_root;
    QString m_lastExtension;
    StepGuard m_guard;
    ProgressBox* m_box = nullptr;
    frmSplash* m_splash = nullptr;
    int m_shownMax = 0;
    QElapsedTimer m_sincePump;
};

} // namespace

long LoadCollection(Kestrow& control, bool& showProgressBox, bool& showSplashScreen, bool loadFull)
{
    Loader loader(control, showProgressBox, showSplashScreen, loadFull);
    return loader.run();
}

void LoadSpecial(Kestrow& control, bool loadFull)
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
        if (!control.imlIcons().Contains(type->Key()) &&
            AddIcon(control.imlIcons(), type->IconPath, ICON_SMALL, type->Key()) == -1) {
            const QString iconKey = DefinitionField(SECTION_SPECIAL, n, FIELD_ICONKEY);
            control.imlIcons().Add(control.imlIcons().Image(iconKey), type->Key());
        }
        // The table's stand-in text is no icon location: it goes, so that the type shows its
        // predefined image. A location from the registry is the user's data and stays, drawable
        // or not, so that writing the type back never loses it.
        const QString placeholder = DefinitionField(SECTION_SPECIAL, n, FIELD_DEFAULTICON);
        if (type->IconPath == placeholder && !HasIcon(placeholder))
            type->IconPath.clear();
        // A special type already loaded through an extension keeps that record.
        control.FileTypeCollection().tryAdd(type->Key(), type);
        trace(QStringLiteral("LoadSpecial"), [&] { return QStringLiteral("loaded ") + type->Key(); });
    }
    trace(QStringLiteral("LoadSpecial"), QStringLiteral("done loading special file types"));
}
