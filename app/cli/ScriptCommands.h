#pragma once

#include <QProcessEnvironment>

class QTextStream;
struct CommandLine;

// The commands that answer without a window (--list, --show, --export). They only read the
// registry: it is opened read-only, nothing of the prefix is written, and they work while Wine
// runs. --export finds its item as --show does and writes it to a .reg file.
class ScriptCommands {
public:
    // What the program returns; scripts tell the outcomes apart by it.
    enum ExitCode {
        Done = 0,
        NotFound = 1,            // --show or --export names no extension or file type
        BadCommandLine = 2,
        RegistryUnavailable = 3, // no prefix, or its registry could not be opened or read
        ExportFailed = 4,        // the item's keys could not be read or the .reg file not written
    };

    // Runs the command of `line`, whose prefix is chosen from `system` as the window's is. The
    // answer goes to `out`; every problem to `err`, one line each, message boxes of the loading
    // included (a question is answered with its cautious choice, which ends the load).
    static int run(const CommandLine& line, const QProcessEnvironment& system, QTextStream& out, QTextStream& err);
};
