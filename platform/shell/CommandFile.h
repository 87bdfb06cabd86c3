#pragma once

#include <QString>

// The file part of a command: a leading quoted path with both quotes (empty when the quote is not
// closed); else the text up to and including its first blank from the second character on; else
// the whole text.
QString ExtractCommandFile(const QString& command);
