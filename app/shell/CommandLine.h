#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What the program was asked for on its command line.
struct CommandLine {
    enum class Action {
        Run,         // open the main window
        ShowHelp,
        ShowVersion,
        List,        // --list: every file type and orphaned extension, on standard output
        Show,        // --show ITEM: one item as the information panel describes it
        Export,      // --export ITEM FILE
        Fail,
    };

    Action action = Action::Run;
    QString prefixDir; // --prefix DIR: this Wine prefix instead of $WINEPREFIX
    bool readOnly = false;
    bool json = false;  // --json: List and Show write JSON instead of text
    QString item;       // Show, Export: ".ext", "ext" or a file type's internal name
    QString exportFile; // Export: the file to write
    QString text;       // the help or version text, or the error with a hint to --help

    // Reads the arguments (the program's name first).
    static CommandLine parse(const QStringList& arguments);

    // The environment the prefix is chosen from: --prefix stands for $WINEPREFIX.
    QProcessEnvironment environment(const QProcessEnvironment& system) const;

    // Whether the action answers on standard output without a window.
    bool isScriptCommand() const { return action == Action::List || action == Action::Show || action == Action::Export; }
};
