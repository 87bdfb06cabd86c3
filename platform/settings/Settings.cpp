#include "platform/settings/Settings.h"

#include "platform/RunContext.h"

#include <QDir>

#include <map>
#include <memory>
#include <utility>

namespace {

struct Stores {
    QString folderOverride;
    std::map<QString, std::unique_ptr<SettingsStore>> byApplication; // case-folded name
};

Stores& stores()
{
    return RunContext::current().state<Stores>();
}

} // namespace

QString SettingsFolder()
{
    if (!stores().folderOverride.isEmpty())
        return stores().folderOverride;
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty() && QDir::isAbsolutePath(configHome))
        return configHome;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString SetSettingsFolder(const QString& folder)
{
    stores().byApplication.clear();
    return std::exchange(stores().folderOverride, folder);
}

SettingsStore& ApplicationSettings(const QString& application)
{
    std::unique_ptr<SettingsStore>& store = stores().byApplication[application.toCaseFolded()];
    if (!store)
        store = std::make_unique<SettingsStore>(application, SettingsFolder());
    return *store;
}

quint64 SettingsGeneration()
{
    for (const auto& [name, store] : stores().byApplication)
        store->lookForChanges();
    return SettingsStore::generation();
}

QString GetSetting(const QString& application, const QString& section, const QString& key, const QString& defaultValue)
{
    return ApplicationSettings(application).value(section, key, defaultValue);
}

void SaveSetting(const QString& application, const QString& section, const QString& key, const QString& value)
{
    ApplicationSettings(application).setValue(section, key, value);
}

QList<SettingPair> GetAllSettings(const QString& application, const QString& section)
{
    return ApplicationSettings(application).pairs(section);
}
