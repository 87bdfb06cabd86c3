#pragma once

#include "platform/FileStamp.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

using SettingPair = QPair<QString, QString>; // key, value

// The settings of one application, held in memory and kept in the text file
// <folder>/<application>/<application>.ini:
//
//     [section]
//     key=value
//
// Sections and keys are found without regard to letter case and keep the spelling they were first
// written with; pairs keep the order in which they were first written. Comment lines (';' or '#')
// are kept where they stand. Every change is saved atomically at once, or, inside a batch, once
// when the outermost batch ends.
//
// The file may be changed by hand or by another program while the store is in use. Reads take in
// such changes: the first read of each event-loop turn looks at the file (without an event loop in
// this thread, every read does), and when it changed, reads it again and puts this process's
// unsaved changes back on top. A save does the same first, so that it writes what is on disk with
// this process's changes merged in: for the keys this process set, its last value; everything
// else as on disk.
//
// A file that cannot be read completely is not overwritten blindly: what could be read is used,
// problems() names file and line of everything else, and the first save keeps a copy of the file
// as it was beside it (damagedCopyPath()) before replacing it. This holds for each reading of the
// file, the first and those after another program changed it.
//
// A store is used from one thread.
class SettingsStore {
public:
    SettingsStore(QString application, const QString& folder);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const QString& application() const { return m_application; }

    // Changes whenever a store is loaded or changed, here or by a change on disk it took in:
    // readers that derive data from settings keep it while the number stays the same (see
    // SettingsGeneration(), which looks at the files first).
    static quint64 generation() { return s_generation.load(std::memory_order_relaxed); }
    const QString& filePath() const { return m_filePath; }

    QString value(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    // All pairs of a section in stored order; empty for a section that does not exist.
    QList<SettingPair> pairs(const QString& section) const;
    void setValue(const QString& section, const QString& key, const QString& value);

    // Looks at the file now, even when this turn's reads have looked already, and takes in what
    // changed there.
    void refresh() const;
    // Looks at the file as a read does (once per event-loop turn) and takes in what changed there.
    void lookForChanges() const;

    void beginBatch();
    // Ends a batch; the outermost end saves. Returns false when saving failed.
    bool endBatch();

    // Writes the file when this process changed something, merged with what another program
    // wrote meanwhile. Returns false, with lastError() set and the save failure handler told, when
    // it could not; the changes then stay in memory and the file on disk is as it was.
    bool save();
    const QString& lastError() const { return m_lastError; }
    void setSaveFailureHandler(std::function<void(const QString&)> handler) { m_onSaveFailure = std::move(handler); }

    // What could not be read at the last reading of the file, each naming file and line; empty for
    // a sound file.
    QStringList problems() const;
    // The problems in words for the user, with what happens to the file; empty for a sound file.
    QString problemReport() const;
    // Where the file as it was read is (or will be) kept; empty for a sound file.
    const QString& damagedCopyPath() const { return m_damagedCopyPath; }

    // Ends a batch on leaving the scope.
    class Batch {
    public:
        explicit Batch(SettingsStore& store) : m_store(store) { m_store.beginBatch(); }
        ~Batch() { m_store.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        SettingsStore& m_store;
    };

    // ---- seam for tests
    using SaveFileFactory = std::function<std::unique_ptr<QSaveFile>(const QString& path)>;
    void setSaveFileFactory(SaveFileFactory factory) { m_saveFileFactory = std::move(factory); }

private:
    struct Entry {
        QString key;
        QString value;
        bool comment = false; // a comment line kept as written, in `value`
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
        QHash<QString, qsizetype> keyIndex; // case-folded key -> entry
    };
    // The text of a settings file, as read or as it will be written.
    struct Contents {
        QStringList leadingComments;
        std::vector<Section> sections;
        QHash<QString, qsizetype> sectionIndex; // case-folded name -> section

        const Section* find(const QString& name) const;
        Section& sectionFor(const QString& name);
        // Returns false when the key already held the value.
        bool set(const QString& section, const QString& key, const QString& value);
        QByteArray serialize() const;
    };
    struct Problem {
        int line = 0; // 0: the file as a whole
        QString text;
        bool operator==(const Problem&) const = default;
    };
    struct Change {
        QString section;
        QString key;
        QString value;
    };

    class Parser;

    bool takeInDiskChanges(QString* error) const;
    bool write(QString& error);
    bool keepDamagedCopy(QString& error);
    bool fail(const QString& error);

    static inline std::atomic<quint64> s_generation{0};

    QString m_application;
    QString m_filePath;
    // What the file held when last read or written, with m_unsaved on top. A read may take in a
    // newer file: to a reader that is no change of the store, hence mutable.
    mutable Contents m_contents;
    mutable FileStamp m_stamp;
    mutable QList<Problem> m_problems;
    mutable QString m_damagedCopyPath;
    mutable bool m_damagedCopyPending = false;
    // Cleared at the start of each event-loop turn; shared with the call that clears it.
    std::shared_ptr<bool> m_lookedThisTurn = std::make_shared<bool>(false);
    // This process's changes that are not on disk yet, in the order they were first made; each
    // key once, with its last value.
    std::vector<Change> m_unsaved;
    QHash<QPair<QString, QString>, qsizetype> m_unsavedIndex; // case-folded section and key -> change
    int m_batchDepth = 0;
    QString m_lastError;
    std::function<void(const QString&)> m_onSaveFailure;
    SaveFileFactory m_saveFileFactory;
};
