#include "app/cli/ScriptCommands.h"

#include "app/cli/ItemLookup.h"
#include "app/cli/ItemReport.h"
#include "app/cli/Listing.h"
#include "app/cli/ScriptSession.h"
#include "app/shell/CommandLine.h"
#include "control/tools/ItemExport.h"
#include "platform/shell/UiSeams.h"

#include <QTextStream>

namespace {

const QString kProgram = QStringLiteral("Varnook2: ");

// The answer that goes on least: boxes asking whether to go on are told no.
int cautiousAnswer(int buttons)
{
    switch (buttons) {
    case vbOKCancel:
    case vbYesNoCancel:
    case vbRetryCancel:
        return vbCancel;
    case vbYesNo:
        return vbNo;
    case vbAbortRetryIgnore:
        return vbAbort;
    default:
        return vbOK;
    }
}

// While a command runs, a message box is a line on standard error.
class BoxesToLines {
public:
    explicit BoxesToLines(QTextStream& err)
        : m_previous(UiSeams::setMessageBoxHandler([&err](const MessageBoxRequest& request) {
            err << kProgram << request.title << QStringLiteral(": ") << request.text.simplified() << Qt::endl;
            return cautiousAnswer(request.buttons());
        }))
    {
    }
    ~BoxesToLines() { UiSeams::setMessageBoxHandler(std::move(m_previous)); }
    BoxesToLines(const BoxesToLines&) = delete;
    BoxesToLines& operator=(const BoxesToLines&) = delete;

private:
    UiSeams::MessageBoxHandler m_previous;
};

void writeJson(QTextStream& out, const QJsonDocument& document)
{
    out << QString::fromUtf8(document.toJson(QJsonDocument::Indented));
}

} // namespace

int ScriptCommands::run(const CommandLine& line, const QProcessEnvironment& system, QTextStream& out, QTextStream& err)
{
    if (!line.isScriptCommand()) {
        err << kProgram << QStringLiteral("no command to run without a window.") << Qt::endl;
        return BadCommandLine;
    }
    BoxesToLines boxes(err);
    ScriptSession session;
    QString error;
    if (!session.open(line.environment(system), error)) {
        err << kProgram << error.simplified() << Qt::endl;
        return RegistryUnavailable;
    }
    for (const QString& problem : session.problems())
        err << kProgram << problem << Qt::endl;

    if (line.action == CommandLine::Action::List) {
        if (line.json)
            writeJson(out, Listing::json(session.core()));
        else
            out << Listing::text(session.core());
        out.flush();
        return Done;
    }

    const std::optional<FoundItem> found = ItemLookup::find(session.core(), line.item);
    if (!found) {
        err << kProgram << QStringLiteral("'%1' is neither an extension nor a file type of %2.")
                               .arg(line.item, session.prefixDir())
            << Qt::endl;
        return NotFound;
    }
    if (line.action == CommandLine::Action::Export) {
        if (ItemExport::Export(found->kind, found->item, line.exportFile, error) != 0) {
            err << kProgram << error.simplified() << Qt::endl;
            return ExportFailed;
        }
        return Done;
    }
    if (line.json)
        writeJson(out, ItemReport::json(session.core(), *found));
    else
        out << ItemReport::text(session.core(), *found);
    out.flush();
    return Done;
}
