#pragma once

#include <QLatin1String>
#include <QList>
#include <QString>

// The default rows of the four definition tables, as the first run of "Varnook2" writes them.

struct DefaultSetting {
    QLatin1String section;
    QString key;
    QString value;
};

// Every value of the tables "shellex", "special", "flags" and "shellex_threadmodels", in the order
// they are written: table by table, row by row, and within a row field by field.
QList<DefaultSetting> DefaultDefinitionSettings();
