#pragma once

#include <QJsonDocument>
#include <QString>

class KestrowCore;

// Everything the control loaded, for scripts: every file type with its extensions, actions and
// shell extensions, then the orphaned extensions. Types sort by internal name, extensions by
// name, actions by verb, shell extensions by group and then CLSID, all without regard to letter
// case, so that two listings of one registry are equal and listings of two registries diff well.
// The JSON form is described in docs/cli-json.md.
class Listing {
public:
    static QString text(const KestrowCore& core);
    static QJsonDocument json(const KestrowCore& core);
};
