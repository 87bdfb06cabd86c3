#pragma once

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
// A file that cannot be read completely is not overwritten blindly: what could be read is used,
// problems() names file and line of everything else, and the first save keeps a copy of the file
// as it was beside it (damagedCopyPath()) before replacing it.
class SettingsStore {
public:
    SettingsStore(QString application, const QString& folder);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const QString& application() const { return m_application; }

    // Changes whenever any store of the process is loaded or changed: readers that derive data
    // from settings keep it while the number stays the same.
    static quint64 generation() { return s_generation.load(std::memory_order_relaxed); }
    const QString& filePath() const { return m_filePath; }

    QString value(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    // All pairs of a section in stored order; empty for a section that does not exist.
    QList<SettingPair> pairs(const QString& section) const;
    void setValue(const QString& section, const QString& key, const QString& value);

    void beginBatch();
    // Ends a batch; the outermost end saves. Returns false when saving failed.
    bool endBatch();

    // Writes the file when something changed. Returns false, with lastError() set and the save
    // failure handler told, when it could not; the changes then stay in memory and the file on
    // disk is as it was.
    bool save();
    const QString& lastError() const { return m_lastError; }
    void setSaveFailureHandler(std::function<void(const QString&)> handler) { m_onSaveFailure = std::move(handler); }

    // What could not be read, each naming file and line; empty for a sound file.
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
    struct Problem {
        int line = 0; // 0: the file as a whole
        QString text;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
        QHash<QString, qsizetype> keyIndex; // case-folded key -> entry
    };

    struct ParseState;

    void load();
    void parse(const QByteArray& bytes);
    void readSectionLine(const QString& line, ParseState& state);
    void readKeyLine(const QString& line, ParseState& state);
    void problem(int line, const QString& text);
    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    Section& sectionFor(const QString& name);
    QByteArray serialize() const;
    bool keepDamagedCopy(QString& error);
    bool write(QString& error);
    bool fail(const QString& error);

    static inline std::atomic<quint64> s_generation{0};

    QString m_application;
    QString m_filePath;
    QStringList m_leadingComments;
    std::vector<Section> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // case-folded name -> section
    QList<Problem> m_problems;
    QString m_damagedCopyPath;
    bool m_damagedCopyPending = false;
    bool m_dirty = false;
    int m_batchDepth = 0;
    QString m_lastError;
    std::function<void(const QString&)> m_onSaveFailure;
    SaveFileFactory m_saveFileFactory;
};
