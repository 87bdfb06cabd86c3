#include "app/shell/Startup.h"

#include "app/shell/StartupFlags.h"
#include "common/MessageBoxes.h"
#include "control/records/Definitions.h"
#include "control/records/SettingsTables.h"
#include "platform/registry/PrefixLocator.h"
#include "platform/settings/Settings.h"

#include <QCoreApplication>

namespace {

const QString kFalse = QStringLiteral("False");

QString config(const QString& key)
{
    return GetSetting(SETTINGS_APPLICATION, SECTION_CONFIG, key);
}

void saveConfig(const QString& key, const QString& value)
{
    SaveSetting(SETTINGS_APPLICATION, SECTION_CONFIG, key, value);
}

void showWarning(const QString& message)
{
    UiSeams::messageBox({ApplicationTitle(), message, vbOKOnly | vbExclamation, nullptr});
}

void showFailure(const QString& message)
{
    UiSeams::messageBox({ApplicationTitle(), message, vbOKOnly | vbCritical, nullptr});
}

} // namespace

QString ProgramVersion()
{
    return QStringLiteral("%1.%2.%3").arg(VARNOOK_VERSION_MAJOR).arg(VARNOOK_VERSION_MINOR).arg(VARNOOK_VERSION_REVISION);
}

bool ConfigFlag(const QString& text)
{
    return text != kFalse;
}

void WriteDefaultSettings()
{
    SettingsStore::Batch batch(ApplicationSettings(SETTINGS_APPLICATION));
    saveConfig(QStringLiteral("Name"), QStringLiteral("Varnook 2.0"));
    saveConfig(QStringLiteral("InstDir"), QCoreApplication::applicationDirPath());
    saveConfig(QStringLiteral("Version"), ProgramVersion());
    saveConfig(QStringLiteral("FirstRun"), kFalse);
    saveConfig(QStringLiteral("ShowProgress"), BooleanText(false));
    saveConfig(QStringLiteral("ShowSplash"), BooleanText(true));
    saveConfig(QStringLiteral("LoadOnStartup"), BooleanText(true));
    saveConfig(QStringLiteral("LoadFull"), BooleanText(true));
    saveConfig(QStringLiteral("RefreshOnSelect"), BooleanText(true));
    for (const DefaultSetting& setting : DefaultDefinitionSettings())
        SaveSetting(SETTINGS_APPLICATION, setting.section, setting.key, setting.value);
}

void LoadStartupSettings()
{
    if (config(QStringLiteral("FirstRun")) != kFalse)
        WriteDefaultSettings();
    StartupFlags& flags = StartupFlags::current();
    flags.LoadOnStartup = ConfigFlag(config(QStringLiteral("LoadOnStartup")));
    flags.ShowProgress = ConfigFlag(config(QStringLiteral("ShowProgress")));
    flags.ShowSplash = ConfigFlag(config(QStringLiteral("ShowSplash")));
    flags.LoadFull = ConfigFlag(config(QStringLiteral("LoadFull")));
    flags.RefreshOnSelect = ConfigFlag(config(QStringLiteral("RefreshOnSelect")));
}

void SaveOptions(const OptionChoices& choices)
{
    StartupFlags& flags = StartupFlags::current();
    SettingsStore::Batch batch(ApplicationSettings(SETTINGS_APPLICATION));
    flags.LoadOnStartup = choices.LoadOnStartup;
    saveConfig(QStringLiteral("LoadOnStartup"), BooleanText(flags.LoadOnStartup));
    flags.LoadFull = choices.LoadFull;
    saveConfig(QStringLiteral("LoadFull"), BooleanText(flags.LoadFull));
    flags.RefreshOnSelect = choices.RefreshOnSelect;
    saveConfig(QStringLiteral("RefreshOnSelect"), BooleanText(flags.RefreshOnSelect));
    flags.ShowSplash = choices.ShowSplash;
    flags.ShowProgress = !choices.ShowSplash;
    saveConfig(QStringLiteral("ShowSplash"), BooleanText(flags.ShowSplash));
    saveConfig(QStringLiteral("ShowProgress"), BooleanText(flags.ShowProgress));
}

void ReportSettingsProblems()
{
    SettingsStore& store = ApplicationSettings(SETTINGS_APPLICATION);
    if (!store.problems().isEmpty())
        showWarning(store.problemReport());
    store.setSaveFailureHandler(showWarning);
}

std::unique_ptr<PrefixStore> OpenPrefixRegistry(const QProcessEnvironment& environment, bool readOnly)
{
    const PrefixLocator::Choice choice = PrefixLocator::choose(environment);
    QString error;
    if (choice.kind == PrefixLocator::Kind::OwnPrefix && !PrefixLocator::ensureOwnPrefix(choice.path, error)) {
        showFailure(error);
        return nullptr;
    }
    auto store = std::make_unique<PrefixStore>(choice.path);
    store->setReadOnlyRequested(readOnly);
    if (!store->open(error)) {
        showFailure(error);
        return nullptr;
    }
    Registry::setCurrent(&store->registry());
    if (store->isReadOnly() && !readOnly)
        ShowInfo(store->readOnlyReason());
    store->setSaveFailureHandler(showWarning);
    return store;
}
