#include "app/shell/CommandLine.h"

#include "app/shell/Startup.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kHint = QStringLiteral("\nTry '--help' for the options.\n");

QString versionText()
{
    return QStringLiteral("Varnook ") + ProgramVersion() + u'\n';
}

// What scripts need to know beyond the options.
const QString kExitCodes = QStringLiteral(
    "\n"
    "--list, --show and --export only read the registry: it is opened read-only, nothing of the\n"
    "prefix is written, and they work while Wine runs. Output is sorted without regard to letter case.\n"
    "\n"
    "Exit codes:\n"
    "  0  done\n"
    "  1  the item of --show or --export was not found\n"
    "  2  bad command line\n"
    "  3  the registry could not be opened or read\n"
    "  4  the .reg file of --export could not be written\n");

CommandLine failure(const QString& message)
{
    CommandLine result;
    result.action = CommandLine::Action::Fail;
    result.text = message + kHint;
    return result;
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Varnook edits the file types, extensions, actions and shell extensions of a Wine prefix."));
    const QCommandLineOption prefix(QStringLiteral("prefix"),
                                    QStringLiteral("Edit the Wine prefix in <dir> (instead of $WINEPREFIX or ~/.wine)."),
                                    QStringLiteral("dir"));
    const QCommandLineOption readOnly(QStringLiteral("read-only"), QStringLiteral("Show the registry; change nothing."));
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("Print every file type (extensions, actions, shell extensions) and "
                                                 "the orphaned extensions, without a window."));
    const QCommandLineOption show(QStringLiteral("show"),
                                  QStringLiteral("Print what the information panel shows of <item>: an extension "
                                                 "(.txt or txt) or a file type's internal name."),
                                  QStringLiteral("item"));
    const QCommandLineOption exportItem(
        QStringLiteral("export"),
        QStringLiteral("Write the registry keys of <item> (as for --show) to the .reg file given after it, "
                       "which Wine's regedit imports."),
        QStringLiteral("item"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("With --list or --show: print JSON."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({prefix, readOnly, list, show, exportItem, json});

    if (!parser.parse(arguments))
        return failure(parser.errorText());
    if (parser.isSet(help)) {
        CommandLine result;
        result.action = Action::ShowHelp;
        // The usage line names the program as it was called, without its folder.
        result.text = parser.helpText();
        const qsizetype options = result.text.indexOf(QStringLiteral(" [options]"));
        if (result.text.startsWith(QStringLiteral("Usage: ")) && options > 0)
            result.text.replace(7, options - 7, QFileInfo(arguments.value(0)).fileName());
        result.text += kExitCodes;
        return result;
    }
    if (parser.isSet(version)) {
        CommandLine result;
        result.action = Action::ShowVersion;
        result.text = versionText();
        return result;
    }

    CommandLine result;
    const int commands = int(parser.isSet(list)) + int(parser.isSet(show)) + int(parser.isSet(exportItem));
    if (commands > 1)
        return failure(QStringLiteral("Give only one of '--list' and '--show'."));
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(list)) {
        result.action = Action::List;
    } else if (parser.isSet(show)) {
        result.action = Action::Show;
        result.item = parser.value(show).trimmed();
    } else if (parser.isSet(exportItem)) {
        result.action = Action::Export;
        result.item = parser.value(exportItem).trimmed();
        if (positional.isEmpty())
            return failure(QStringLiteral("The option '--export' needs the file to write."));
        result.exportFile = positional.constFirst();
    }
    // Export takes its file as the one argument that is no option; nothing else does.
    const qsizetype expected = result.action == Action::Export ? 1 : 0;
    if (positional.size() > expected)
        return failure(QStringLiteral("Unexpected argument '%1'.").arg(positional.at(expected)));
    if ((result.action == Action::Show || result.action == Action::Export) && result.item.isEmpty())
        return failure(QStringLiteral("The option '--%1' needs an extension or a file type.")
                           .arg(result.action == Action::Show ? QStringLiteral("show") : QStringLiteral("export")));
    if (result.action == Action::Export && (result.exportFile.isEmpty() || QFileInfo(result.exportFile).isDir()))
        return failure(QStringLiteral("'%1' is no file name to export to.").arg(result.exportFile));
    if (parser.isSet(json) && result.action != Action::List && result.action != Action::Show)
        return failure(QStringLiteral("The option '--json' goes with '--list' or '--show'."));
    result.json = parser.isSet(json);

    if (parser.isSet(prefix)) {
        result.prefixDir = parser.value(prefix);
        if (result.prefixDir.isEmpty()) {
            result.action = Action::Fail;
            result.text = QStringLiteral("The option '--prefix' needs a folder.\n");
            return result;
        }
    }
    result.readOnly = parser.isSet(readOnly);
    return result;
}

QProcessEnvironment CommandLine::environment(const QProcessEnvironment& system) const
{
    QProcessEnvironment chosen = system;
    if (!prefixDir.isEmpty())
        chosen.insert(QStringLiteral("WINEPREFIX"), QDir(prefixDir).absolutePath());
    return chosen;
}
