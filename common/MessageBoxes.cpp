#include "common/MessageBoxes.h"

QString ApplicationTitle()
{
    return QStringLiteral(VARNOOK_APPLICATION_TITLE);
}

int ShowError(const QString& message, long number, const QString& title, int buttons)
{
    const QString caption = title.isEmpty() ? QStringLiteral("Error - %1").arg(number) : title;
    return UiSeams::messageBox({caption, message, buttons | vbExclamation, nullptr});
}

void ShowInfo(const QString& message, const QString& title)
{
    UiSeams::messageBox({title.isEmpty() ? ApplicationTitle() : title, message, vbOKOnly | vbInformation, nullptr});
}

int AskQuestion(const QString& message, int buttons, const QString& title)
{
    return UiSeams::messageBox({title.isEmpty() ? ApplicationTitle() : title, message, buttons | vbQuestion, nullptr});
}
