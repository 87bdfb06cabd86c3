#pragma once

#include "control/records/ItemObject.h"

#include <QString>

// One action of a file type: a verb key below the type's shell key with its command line and an
// optional DDE conversation.
class ActionObject : public ItemObject {
public:
    QString Name;
    QString Command;
    QString DDE_App;
    QString DDE_AppNoRun;
    QString DDE_Message;
    QString DDE_Topic;
    QString HostTypeKey;
    QString CommandKey;
    QString HostInternalName;

    qint16 ItemType() const override;
    QString Key() const override;
    QString ClassName() const override { return QStringLiteral("ActionObject"); }

    long LoadMe();
    long WriteMe();
    long RemoveMe();

    // The display name of a verb that has none of its own ("printto" -> "Print To").
    static QString StandardName(const QString& verb);

    bool usesDde() const;
};
