#include "app/cli/ScriptSession.h"

#include "control/records/Definitions.h"
#include "control/records/SettingsTables.h"
#include "control/tree/CollectionLoader.h"
#include "platform/RunContext.h"
#include "platform/registry/PrefixLocator.h"
#include "platform/registry/Registry.h"
#include "platform/settings/Settings.h"

#include <QDir>
#include <QFileInfo>

ScriptSession::~ScriptSession()
{
    m_core.Clear();
    if (m_madeCurrent)
        Registry::setCurrent(m_previousRegistry);
    if (m_defaultSettings)
        SetSettingsFolder(m_previousSettingsFolder);
}

bool ScriptSession::open(const QProcessEnvironment& environment, QString& error)
{
    const PrefixLocator::Choice choice = PrefixLocator::choose(environment);
    if (choice.kind == PrefixLocator::Kind::OwnPrefix &&
        !QFileInfo::exists(QDir(choice.path).filePath(QStringLiteral("system.reg")))) {
        error = QStringLiteral("There is no Wine prefix to read: set WINEPREFIX or give --prefix.");
        return false;
    }
    auto store = std::make_unique<PrefixStore>(choice.path);
    store->setReadOnlyRequested(true);
    if (!store->open(error))
        return false;
    m_store = std::move(store);
    m_previousRegistry = RunContext::current().registry();
    Registry::setCurrent(&m_store->registry());
    m_madeCurrent = true;

    useDefaultTablesWhenNoneStored();
    if (const long rc = LoadCollection(m_core, true, nullptr); rc != 0) {
        error = QStringLiteral("The registry of %1 could not be read (error %2).").arg(m_store->prefixDir()).arg(rc);
        return false;
    }
    return true;
}

QStringList ScriptSession::problems() const
{
    QStringList problems;
    if (!m_store)
        return problems;
    for (const Hive* hive : {m_store->registry().machineHive().get(), m_store->registry().userHive().get()}) {
        if (!hive)
            continue;
        problems += hive->problems();
        if (hive->problemCount() > hive->problems().size())
            problems << QStringLiteral("... and %1 more problems.").arg(hive->problemCount() - hive->problems().size());
    }
    return problems;
}

void ScriptSession::useDefaultTablesWhenNoneStored()
{
    if (!DefinitionRows(SECTION_SHELLEX).isEmpty() || !DefinitionRows(SECTION_SPECIAL).isEmpty())
        return;
    // The window would write the defaults on its first start; a command that only reads keeps
    // them in a folder of its own instead of the user's settings.
    m_defaultSettings.emplace();
    if (!m_defaultSettings->isValid()) {
        m_defaultSettings.reset();
        return;
    }
    m_previousSettingsFolder = SetSettingsFolder(m_defaultSettings->path());
    SettingsStore& store = ApplicationSettings(SETTINGS_APPLICATION);
    SettingsStore::Batch batch(store);
    for (const DefaultSetting& setting : DefaultDefinitionSettings())
        store.setValue(setting.section, setting.key, setting.value);
}
