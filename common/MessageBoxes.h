#pragma once

#include "platform/shell/UiSeams.h"

#include <QString>

// The three message boxes every window of a deliverable uses. Untitled information and question
// boxes carry the deliverable's own title ("Kestrow2" in the library, "Varnook" in the program).

// An exclamation box; an empty title reads "Error - " and the number. Returns the button pressed.
int ShowError(const QString& message, long number, const QString& title = QString(), int buttons = vbOKOnly);
// An OK box with the information icon.
void ShowInfo(const QString& message, const QString& title = QString());
// A box with the question icon. Returns the button pressed.
int AskQuestion(const QString& message, int buttons, const QString& title = QString());

// The title untitled boxes of this deliverable carry.
QString ApplicationTitle();
