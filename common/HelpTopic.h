#pragma once

#include <QString>

class QWidget;

// The help pages stand in a folder "Help" beside the deliverable that opens them: the program
// opens its own, the control library those beside the library file.

// The help folder of this deliverable: "Help" beside its file, else the installed
// "../share/varnook2/Help".
QString HelpFolder();

// Opens a page of the help folder with the desktop. A missing page is reported with code 2 (file
// not found), a page the desktop refused with 31 (no program for it); both name the page. Returns
// whether the page was opened. The owner is not used: the page opens in the desktop's browser.
bool OpenHelpTopic(QWidget* owner, const QString& page);

// The same for a page of a given folder.
bool OpenHelpPage(const QString& folder, const QString& page);
