#pragma once

#include "platform/registry/PrefixStore.h"

#include <QProcessEnvironment>
#include <QString>

#include <memory>

// What the program does before its main window opens: the settings of "Varnook2" (section
// "config" and the definition tables) and the registry of the chosen Wine prefix.

// "major.minor.revision" of the program.
QString ProgramVersion();

// A boolean option of "config" is false only for exactly "False"; every other text is true,
// including the empty text an absent key reads as.
bool ConfigFlag(const QString& text);

// Writes every default setting (section "config", then the four definition tables) over what is
// stored, deleting nothing; one save.
void WriteDefaultSettings();

// Writes the defaults unless "FirstRun" is exactly "False", then reads the five start-up flags.
void LoadStartupSettings();

// The choices of the Options dialog.
struct OptionChoices {
    bool LoadOnStartup = true;
    bool LoadFull = true;
    bool RefreshOnSelect = true;
    bool ShowSplash = true;
};

// Sets the flags from the choices and writes them; one save. ShowProgress is always the opposite
// of ShowSplash: the progress box stands in for the splash screen.
void SaveOptions(const OptionChoices& choices);

// Tells the user once what could not be read from the settings file, and from now on about every
// settings save that fails.
void ReportSettingsProblems();

// Opens the registry of the prefix to edit ($WINEPREFIX, ~/.wine or Varnook's own, created on
// first use) and makes it the current registry. Tells the user when it is read-only, and from now
// on about every save that fails. Returns null, after telling the user why, when it cannot be
// opened. The store must outlive every use of the registry. A registry opened `readOnly` on
// request is shown without a word; the status bar says so.
std::unique_ptr<PrefixStore> OpenPrefixRegistry(
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(), bool readOnly = false);
