#pragma once

#include <QList>
#include <QString>

// The two definition tables the shell-extension panels choose from: the handler groups (section
// "shellex") and the threading models (section "shellex_threadmodels"), read from the settings.
class HandlerTables {
public:
    struct Group {
        int index = 0;    // the row number n, which records keep as ExtTypeIndex
        QString name;     // n_Name in the singular ("Context Menu Handlers" -> "Context Menu Handler")
        QString key;      // n_Key, the key below "shellex"
        bool isGroup = false; // n_Group: the handlers are members of the key, not the key itself
    };
    struct ThreadModel {
        QString text;  // what the list shows
        QString value; // what the record stores as ThreadModel
    };

    // Reads both tables. Groups are in the order of their numbers; a row whose key is not a safe
    // key name or whose group flag is not a boolean text is left out, since nothing could be
    // written to it.
    static HandlerTables Load();

    const QList<Group>& groups() const { return m_groups; }
    const QList<ThreadModel>& threadModels() const { return m_threadModels; }

    // The group numbered `index`; null when there is none.
    const Group* group(int index) const;
    // The position of the threading model whose value is `value`, compared without regard to
    // case; -1 when none matches.
    int threadModelIndex(const QString& value) const;

private:
    QList<Group> m_groups;
    QList<ThreadModel> m_threadModels;
};
