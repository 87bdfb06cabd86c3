#pragma once

#include <QString>

// File dialogs match name filters with the letter case of the file system, but files of a Wine
// prefix are often named in capitals (SETUP.EXE). These rewrite Qt name filters so that they match
// without regard to case.

// One glob pattern: every ASCII letter becomes a bracket pair of both cases ("*.exe" ->
// "*.[eE][xX][eE]"); bracket expressions already in the pattern are kept as they are. "*.*", which
// means every file to a Windows user, becomes "*" so that names without a dot are listed too.
QString CaseInsensitivePattern(const QString& pattern);

// Qt name filters ("Application (*.exe);;Batch file (*.bat *.cmd)"): every entry keeps its text and
// gets its patterns, expanded, in a last pair of parentheses, which a dialog with
// QFileDialog::HideNameFilterDetails uses for matching and does not show:
// "Application (*.exe)" -> "Application (*.exe) (*.[eE][xX][eE])". Patterns may be separated by
// blanks or semicolons; an entry without parentheses is a list of patterns.
QString CaseInsensitiveNameFilters(const QString& filters);
