#include "app/shell/Startup.h"
#include "app/shell/frmMain.h"
#include "control/tree/IconList.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnook2"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/varnook.svg")));
    // Only the main window's closing ends the program, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);

    ReportSettingsProblems();
    LoadStartupSettings();
    const std::unique_ptr<PrefixStore> prefix = OpenPrefixRegistry();
    if (!prefix)
        return 1;

    // Icon locations are Windows paths of this prefix.
    SetIconPrefix(prefix->prefixDir());

    frmMain window;
    window.setPrefix(prefix.get());
    QObject::connect(&window, &frmMain::unloaded, &application, &QCoreApplication::quit, Qt::QueuedConnection);
    window.Form_Load();
    // Closed while it loaded, before the event loop ran: the program is done.
    if (window.isUnloaded())
        return 0;
    return QApplication::exec();
}
