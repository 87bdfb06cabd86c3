#pragma once

#include "control/records/ItemObject.h"
#include "control/records/LoadMemory.h"
#include "control/records/LoadedValue.h"

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

    ActionObject() = default;
    // A copy is a new record: unlocked, and remembering no load, so writing it writes every field.
    // Assignment takes the other record's values and keeps this one's lock and load memory.
    ActionObject(const ActionObject&) = default;
    ActionObject& operator=(const ActionObject&) = default;

    qint16 ItemType() const override;
    QString Key() const override;
    QString ClassName() const override { return QStringLiteral("ActionObject"); }

    long LoadMe();
    // Writes the texts that changed since the load (all of them for an action never loaded, one
    // whose HostInternalName or CommandKey changed, or one whose verb key is gone), each keeping
    // its registry type.
    long WriteMe();
    long RemoveMe();

    void KeepAsLoaded() override;
    // Whether the registry value behind a DDE field (&ActionObject::DDE_Message, ::DDE_App,
    // ::DDE_AppNoRun or ::DDE_Topic) was there at the last load but could not be read whole (260
    // characters or more). The field then holds what it held before the load, and the value is
    // left as it is unless the field is changed. (An unreadable Name or Command fails the load.)
    // False for other fields and for an action never loaded.
    bool Unreadable(QString ActionObject::*field) const;

    // The display name of a verb that has none of its own ("printto" -> "Print To").
    static QString StandardName(const QString& verb);

    bool usesDde() const;

private:
    // The verb's texts as the registry held them, and the verb key they belong to.
    struct Remembered {
        QString verbPath; // HostInternalName\shell\CommandKey
        LoadedValue<QString> name;
        LoadedValue<QString> command;
        LoadedValue<QString> ddeMessage;
        LoadedValue<QString> ddeApp;
        LoadedValue<QString> ddeAppNoRun;
        LoadedValue<QString> ddeTopic;
    };

    QString verbPath() const;
    // Writes the DDE fields that changed below the type key `type`, updating `next`.
    void writeDde(HKEY type, const QString& ddePath, Remembered& next) const;

    LoadMemory<Remembered> m_remembered;
};
