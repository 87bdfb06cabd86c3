#include "platform/shell/CommandFile.h"

QString ExtractCommandFile(const QString& command)
{
    if (command.startsWith(u'"')) {
        const qsizetype close = command.indexOf(u'"', 1);
        return close < 0 ? QString() : command.left(close + 1);
    }
    const qsizetype blank = command.indexOf(u' ', 1);
    return blank < 0 ? command : command.left(blank + 1);
}
