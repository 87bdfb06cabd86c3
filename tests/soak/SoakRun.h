#pragma once

#include "tests/soak/SoakModel.h"

#include <QString>
#include <QtGlobal>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <random>

class ActionObject;
class FileExtensionObject;
class FileTypeObject;
class ItemObject;
class KestrowCore;
class PrefixStore;
class ShellExtensionObject;

// A soak of the control's item operations on a prefix: long random sequences of what a user does
// with file types, extensions, actions and shell-extension handlers, with saves that fail now and
// then, each step checked against SoakModel. The registry in memory must match the model after
// every step, and the prefix read again from disk every `reloadEvery` steps. Needs a run context
// and the definition tables in the settings, as the program has them.
class SoakRun {
public:
    struct Options {
        QString prefixDir; // a copy the soak may change
        quint64 seed = 1;
        int reloadEvery = 50;
        bool faults = true;
    };
    struct Figures {
        int steps = 0;
        int fullDisks = 0;
        int foreignChanges = 0;
        int serverStarts = 0;
        int refusedSaves = 0; // steps whose save failed, as the fault in force had it
        int reloads = 0;
        QStringList divergence; // empty while the registry follows the model
    };

    explicit SoakRun(Options options);
    ~SoakRun();
    SoakRun(const SoakRun&) = delete;
    SoakRun& operator=(const SoakRun&) = delete;

    // Opens the prefix; false, with the reason in figures().divergence, when it cannot.
    bool open();
    // Runs `steps` more steps; stops at the first divergence. Returns whether there was none.
    bool run(int steps);
    // Ends any fault, lets the last changes reach the disk and reads the prefix again.
    bool settle();

    const Figures& figures() const { return m_figures; }
    const SoakModel& model() const { return m_model; }
    // The keys below HKEY_CLASSES_ROOT the soak ever made or touched.
    const QStringList& roots() const { return m_roots; }

private:
    enum class Fault { None, FullDisk, Foreign, Server };

    void step();
    bool reload();
    void check(const QString& when);
    void checkControl(const QString& when);
    void diverge(const QString& what);
    // Checks an operation's result against the fault in force: 0, or 1013 while a save must fail.
    void expectResult(const QString& what, long rc);
    void armFault();
    void endFault();

    // The two commands of the item windows; their result after the save.
    long addRecord(qint16 kind, const std::shared_ptr<ItemObject>& record);
    long changeRecord(qint16 kind, const std::shared_ptr<ItemObject>& record);

    // ---- operations; each returns false when it does not apply now
    bool addType();
    bool renameType();
    bool removeType();
    bool addExtension();
    bool editExtension();
    bool removeExtension();
    bool reassociate();
    bool addAction();
    bool editAction();
    bool removeAction();
    bool addHandler();
    bool editHandler();
    bool removeHandler();
    bool moveHandler();

    // An action the model holds, picked at random, with the control's record of it (none when the
    // model holds no action, or the control lacks it: a divergence).
    struct PickedAction {
        QString type; // the type's internal name
        QString verb;
        std::shared_ptr<ActionObject> record;
    };
    PickedAction pickAction();

    // A handler the model holds, picked at random, with the control's record of it (none when the
    // model holds no handler, or the control lacks it: a divergence).
    struct PickedHandler {
        QString host; // a type's internal name or an extension
        int index = -1; // in the host's handlers in the model
        std::shared_ptr<ShellExtensionObject> record;
    };
    PickedHandler pickHandler();

    // ---- randomness and names
    int below(int n);
    bool chance(int percent) { return below(100) < percent; }
    template <typename Map>
    QString pickKey(const Map& map)
    {
        return map.isEmpty() ? QString() : map.keys().at(below(int(map.size())));
    }
    QString newName(const QString& pattern);
    QString newClsid();
    SoakModel::Action randomAction();

    // ---- the control's records of what the model holds; none, and a divergence, when it lacks one
    std::shared_ptr<FileTypeObject> typeRecord(const QString& type);
    std::shared_ptr<FileExtensionObject> extensionRecord(const QString& extension);

    Options m_options;
    std::mt19937_64 m_random;
    QTemporaryDir m_backups;
    std::unique_ptr<PrefixStore> m_store;
    std::unique_ptr<KestrowCore> m_core;
    SoakModel m_model; // what memory holds
    SoakModel m_saved; // what the disk holds
    SoakSnapshot m_others; // the rest of HKEY_CLASSES_ROOT, as the prefix had it
    QStringList m_roots;
    int m_next = 0;
    Fault m_fault = Fault::None;
    int m_faultSteps = 0;
    bool m_unsaved = false;
    qint64 m_fullDiskLimit = -1;
    Figures m_figures;
};
