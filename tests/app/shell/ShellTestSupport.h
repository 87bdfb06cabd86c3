#pragma once

#include "app/shell/StartupFlags.h"
#include "control/records/Definitions.h"
#include "platform/settings/Settings.h"

#include <QStringList>

#include <gtest/gtest.h>

// The start-up flags as the names of those that are on, so that a case fits on a line.
inline QString flagsOn(const StartupFlags& f = StartupFlags::current())
{
    const std::pair<const char*, bool> flags[] = {{"LoadOnStartup", f.LoadOnStartup}, {"ShowProgress", f.ShowProgress},
                                                  {"ShowSplash", f.ShowSplash},       {"LoadFull", f.LoadFull},
                                                  {"RefreshOnSelect", f.RefreshOnSelect}};
    QStringList on;
    for (const auto& [name, value] : flags)
        if (value)
            on << QLatin1String(name);
    return on.join(u' ');
}

// Turns on the flags named, in the order flagsOn() names them, and the others off.
inline void setFlags(const QString& on)
{
    const QStringList names = on.split(u' ', Qt::SkipEmptyParts);
    auto has = [&names](const char* name) { return names.contains(QLatin1String(name)); };
    StartupFlags::current() = {has("ShowProgress"), has("ShowSplash"), has("LoadOnStartup"), has("LoadFull"),
                               has("RefreshOnSelect")};
    ASSERT_EQ(flagsOn(), on) << "a flag name is misspelt or out of order";
}

// Section "config" as "key=value" in stored order.
inline QStringList configPairs()
{
    QStringList pairs;
    for (const SettingPair& pair : GetAllSettings(SETTINGS_APPLICATION, SECTION_CONFIG))
        pairs << pair.first + u'=' + pair.second;
    return pairs;
}
