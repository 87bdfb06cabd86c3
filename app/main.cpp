#include "app/shell/Startup.h"
#include "app/shell/frmMain.h"
#include "control/tree/IconList.h"
#include "platform/RunContext.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnook2"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/varnook.svg")));
    // Only the main window's closing ends the program, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);
    // Registry, settings, seams and caches of this run: made after the application object, so
    // that they end before it.
    RunContext context;

    ReportSettingsProblems();
    LoadStartupSettings();
    context.setPrefix(OpenPrefixRegistry());
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
