#include "app/shell/CommandLine.h"

#include "app/shell/Startup.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {

QString versionText()
{
    return QStringLiteral("Varnook ") + ProgramVersion() + u'\n';
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
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOption(prefix);
    parser.addOption(readOnly);

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = Action::Fail;
        result.text = parser.errorText() + QStringLiteral("\nTry '--help' for the options.\n");
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.action = Action::Fail;
        result.text = QStringLiteral("Unexpected argument '%1'.\nTry '--help' for the options.\n")
                          .arg(parser.positionalArguments().constFirst());
        return result;
    }
    if (parser.isSet(help)) {
        result.action = Action::ShowHelp;
        // The usage line names the program as it was called, without its folder.
        result.text = parser.helpText();
        const qsizetype options = result.text.indexOf(QStringLiteral(" [options]"));
        if (result.text.startsWith(QStringLiteral("Usage: ")) && options > 0)
            result.text.replace(7, options - 7, QFileInfo(arguments.value(0)).fileName());
        return result;
    }
    if (parser.isSet(version)) {
        result.action = Action::ShowVersion;
        result.text = versionText();
        return result;
    }
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
