#include "app/cli/ScriptCommands.h"
#include "app/shell/CommandLine.h"
#include "app/shell/FileProperties.h"
#include "app/shell/Startup.h"
#include "app/shell/frmMain.h"
#include "control/tree/IconList.h"
#include "platform/RunContext.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Read before the application object: --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine options = CommandLine::parse(arguments);
    if (options.isScriptCommand()) {
        // No window and no display: the loader still makes icons, which need a GUI application,
        // and the offscreen platform gives one anywhere.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(argc, argv);
        QGuiApplication::setApplicationName(QStringLiteral("Varnook2"));
        RunContext context;
        QTextStream out(stdout);
        QTextStream err(stderr);
        return ScriptCommands::run(options, QProcessEnvironment::systemEnvironment(), out, err);
    }
    if (options.action != CommandLine::Action::Run) {
        std::FILE* out = options.action == CommandLine::Action::Fail ? stderr : stdout;
        std::fputs(options.text.toLocal8Bit().constData(), out);
        return options.action == CommandLine::Action::Fail ? ScriptCommands::BadCommandLine : ScriptCommands::Done;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnook2"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/varnook.svg")));
    // Lets the desktop match the windows to the installed desktop entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("org.varnook.Varnook2"));

    // Only the main window's closing ends the program, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);
    // Registry, settings, seams and caches of this run: made after the application object, so
    // that they end before it.
    RunContext context;
    InstallFilePropertiesWindow();

    ReportSettingsProblems();
    LoadStartupSettings();
    context.setPrefix(OpenPrefixRegistry(options.environment(QProcessEnvironment::systemEnvironment()), options.readOnly));
    if (!context.prefix())
        return 1;

    // Icon locations are Windows paths of this prefix.
    SetIconPrefix(context.prefix()->prefixDir());

    frmMain window;
    window.setPrefix(context.prefix());
    QObject::connect(&window, &frmMain::unloaded, &application, &QCoreApplication::quit, Qt::QueuedConnection);
    window.Form_Load();
    // Closed while it loaded, before the event loop ran: the program is done.
    if (window.isUnloaded())
        return 0;
    return QApplication::exec();
}
