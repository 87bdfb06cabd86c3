#include "tests/support/TestSettings.h"

#include "control/records/Definitions.h"
#include "control/records/SettingsTables.h"
#include "platform/settings/Settings.h"

TestSettings::TestSettings(bool withDefaultTables)
    : m_previous(SetSettingsFolder(m_dir.path()))
{
    if (!withDefaultTables)
        return;
    SettingsStore& store = ApplicationSettings(SETTINGS_APPLICATION);
    SettingsStore::Batch batch(store);
    for (const DefaultSetting& setting : DefaultDefinitionSettings())
        store.setValue(setting.section, setting.key, setting.value);
}

TestSettings::~TestSettings()
{
    SetSettingsFolder(m_previous);
}

void TestSettings::set(const QString& section, const QString& key, const QString& value) const
{
    SaveSetting(SETTINGS_APPLICATION, section, key, value);
}
