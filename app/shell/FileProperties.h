#pragma once

#include "platform/shell/CommandFile.h"

#include <QString>

class QWidget;

// The properties of the file a command line or a server path names, shown the way the "Command:"
// and "Inprocess Server (32-bit):" rows of the main window ask for them.

// Shows the properties of the file `command` names, owned by `owner`. The file is looked up in the
// prefix of this run as a Windows program there would find it. When there is no such file, or
// nothing could show it, the user is told so in an information box.
void ShowFileProperties(const QString& command, QWidget* owner);

// Makes the properties window (frmProperties) what UiSeams::showFileProperties shows.
void InstallFilePropertiesWindow();
