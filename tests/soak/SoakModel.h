#pragma once

#include "tests/soak/SoakSnapshot.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The reference of the soak: what HKEY_CLASSES_ROOT should hold for the file types, extensions,
// handler classes and foreign keys the soak made, in plain maps, written as a user reads the item
// dialogs rather than as the records write the registry.
class SoakModel {
public:
    struct Action {
        QString name;
        QString command;
        bool dde = false;
        QString ddeMessage, ddeApp, ddeAppNoRun, ddeTopic;
    };
    struct Handler {
        QString clsid;
        int group = -1; // a handler of an extension: -1
    };
    struct Type {
        QString name;
        QMap<QString, Action> actions; // by verb
        QList<Handler> handlers;
    };
    struct Extension {
        QString type; // its file type's internal name
        QString contentType;
        QStringList handlers; // CLSIDs
    };
    struct Class {
        QString name;
        QString inproc32;
        QString threadModel;
    };

    QMap<QString, Type> types;          // by internal name
    QMap<QString, Extension> extensions; // by extension, with its dot
    QMap<QString, Class> classes;       // by CLSID
    QMap<QString, QString> foreign;     // keys another program added, with their default value

    // The extensions of a file type.
    QStringList extensionsOf(const QString& type) const;
    // Removes a type with its actions and handlers; its extensions stay unless `withExtensions`.
    void removeType(const QString& type, bool withExtensions);
    // Removes an extension; a type left without one goes with it, as the control has it.
    void removeExtension(const QString& extension);

    // What HKEY_CLASSES_ROOT holds below the soak's keys.
    SoakSnapshot expected() const;

    // The key of the shell-extension group `group` below shellex, and whether it holds a folder
    // of handlers (else it is one handler itself).
    static QString groupKey(int group);
    static bool isGroup(int group);
    static int groupCount();
};
