#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What the program was asked for on its command line.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Fail };

    Action action = Action::Run;
    QString prefixDir; // --prefix DIR: this Wine prefix instead of $WINEPREFIX
    bool readOnly = false;
    QString text; // the help or version text, or the error with a hint to --help

    // Reads the arguments (the program's name first).
    static CommandLine parse(const QStringList& arguments);

    // The environment the prefix is chosen from: --prefix stands for $WINEPREFIX.
    QProcessEnvironment environment(const QProcessEnvironment& system) const;
};
