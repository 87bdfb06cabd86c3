#pragma once

#include <QString>

class QWidget;

// Asks the user for an existing file of the prefix through the browse seam and returns it as the
// Windows path a program in the prefix uses ("C:\...", "Z:\..."), since the registry is read by
// Windows programs; empty when the user cancelled.
//
// `filter` is in the Windows form "Description|*.a;*.b|All Files (*.*)|*.*"; the dialog opens in
// the folder of the file `currentText` names (a path or a command), else in drive C.
QString BrowseForFile(QWidget* owner, const QString& title, const QString& filter, const QString& currentText);

// "Batch Script (*.bat;*.cmd)|*.bat;*.cmd" -> "Batch Script (*.bat *.cmd)", entries joined by ";;".
QString QtNameFilters(const QString& windowsFilter);
