#pragma once

#include <QProcessEnvironment>
#include <QString>

// Chooses the Wine prefix whose registry Varnook edits: $WINEPREFIX when set, else ~/.wine when it
// holds a system.reg, else Varnook's own prefix, which is created from the sample registry.
class PrefixLocator {
public:
    enum class Kind { WinePrefixVariable, HomeWine, OwnPrefix };

    struct Choice {
        QString path;
        Kind kind = Kind::OwnPrefix;
    };

    static Choice choose(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

    // $XDG_DATA_HOME/Varnook2/prefix (by default under ~/.local/share).
    static QString ownPrefixPath(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

    // Makes sure the own prefix exists: creates it from the sample registry when it has no
    // system.reg yet. Returns false, with `error` set, when it cannot be created.
    static bool ensureOwnPrefix(const QString& path, QString& error);
};
