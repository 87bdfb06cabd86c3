#pragma once

#include "platform/settings/SettingsStore.h"

#include <QList>
#include <QString>

// The per-user settings store, addressed by (application, section, key); every value is a text.
// Each application's settings are one SettingsStore, loaded on first use and kept by the run
// context, in the file <SettingsFolder()>/<application>/<application>.ini.

// The stored text, or `defaultValue` when the key is absent.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
// Stores a text; a save failure goes to the store's save failure handler.
void SaveSetting(const QString& application, const QString& section, const QString& key, const QString& value);
// All (key, value) pairs of a section in stored order.
QList<SettingPair> GetAllSettings(const QString& application, const QString& section);

// Changes whenever the settings of this run change, here or on disk: readers that derive data from
// settings keep it while the number stays the same. Asking looks at the files as a read does.
quint64 SettingsGeneration();

// The store of one application (names compare without regard to letter case).
SettingsStore& ApplicationSettings(const QString& application);

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not an absolute path; or the folder set below.
QString SettingsFolder();
// Points every store at another folder (tests use a temporary one); an empty folder restores the
// default. Stores loaded so far are dropped, so the next use reads the new folder. Returns the
// folder set before.
QString SetSettingsFolder(const QString& folder);
