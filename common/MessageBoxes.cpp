#include "common/MessageBoxes.h"

#include <QApplication>

namespace {

// The box belongs to the window the user is working in, so that it stays in front of it.
int showBox(const QString& title, const QString& message, int style)
{
    return UiSeams::messageBox({title, message, style, QApplication::activeWindow()});
}

} // namespace

QString ApplicationTitle()
{
    return QStringLiteral(VARNOOK_APPLICATION_TITLE);
}

int ShowError(const QString& message, long number, const QString& title, int buttons)
{
    const QString caption = title.isEmpty() ? QStringLiteral("Error - %1").arg(number) : title;
    return showBox(caption, message, buttons | vbExclamation);
}

void ShowInfo(const QString& message, const QString& title)
{
    showBox(title.isEmpty() ? ApplicationTitle() : title, message, vbOKOnly | vbInformation);
}

int AskQuestion(const QString& message, int buttons, const QString& title)
{
    return showBox(title.isEmpty() ? ApplicationTitle() : title, message, buttons | vbQuestion);
}
