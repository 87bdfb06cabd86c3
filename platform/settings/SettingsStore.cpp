#include "platform/settings/SettingsStore.h"

#include "platform/settings/IniText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QThread>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kProblemsShown = 10;
// A save starts again when the file changed while it was being written; a file that keeps
// changing is not fought over.
constexpr int kSaveAttempts = 3;

// After a rename the directory entry itself must reach the disk too.
void syncDirectory(const QString& dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString quoted(const QString& line)
{
    constexpr qsizetype kLongest = 60;
    return QLatin1Char('"') + (line.size() > kLongest ? line.left(kLongest) + QStringLiteral("...") : line) +
           QLatin1Char('"');
}

QString uniqueDamagedCopyPath(const QString& filePath)
{
    const QString base =
        filePath + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = base;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = base + QLatin1Char('-') + QString::number(n);
    return path;
}

} // namespace

SettingsStore::SettingsStore(QString application, const QString& folder)
    : m_application(std::move(application))
    , m_filePath(QDir(folder).filePath(m_application + QLatin1Char('/') + m_application + QStringLiteral(".ini")))
{
    takeInDiskChanges(nullptr);
    ++s_generation;
}

SettingsStore::~SettingsStore() = default;

// ---- reading the text

// Reads the lines of a settings file into Contents, noting what it could not read. Remembers where
// each section and each key first stood, for the messages about duplicates.
class SettingsStore::Parser {
public:
    Parser(Contents& contents, QList<Problem>& problems)
        : m_contents(contents)
        , m_problems(problems)
    {
    }

    void parse(const QByteArray& bytes);

private:
    void readSectionLine(const QString& line);
    void readKeyLine(const QString& line);
    void problem(const QString& text) { m_problems.append({m_line, text}); }

    Contents& m_contents;
    QList<Problem>& m_problems;
    int m_line = 0;
    qsizetype m_section = -1; // none before the first section and after a broken section line
    QHash<QString, int> m_sectionLines;          // case-folded name
    std::vector<QHash<QString, int>> m_keyLines; // per section: case-folded key
};

void SettingsStore::Parser::parse(const QByteArray& bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);

    // A byte order mark that starts a line (a key may begin with U+FEFF) is text; only the file's
    // first one, removed above, is a mark. QString::fromUtf8 would drop it.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    for (QByteArray raw : data.split('\n')) {
        ++m_line;
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QString text = decoder.decode(raw);
        if (text.toUtf8() != raw)
            problem(QStringLiteral("the line is not valid UTF-8 text; what could not be read was replaced by \uFFFD"));
        QString line = TrimIniBlanks(text);
        if (line.isEmpty())
            continue;
        if (line.startsWith(u';') || line.startsWith(u'#')) {
            // A comment is written back as it stands; a carriage return left at its end (blanks
            // followed it) would come back as part of the line end and change the file again.
            while (line.endsWith(u'\r'))
                line = TrimIniBlanks(line.chopped(1));
            if (m_section < 0)
                m_contents.leadingComments << line;
            else
                m_contents.sections[size_t(m_section)].entries.push_back({QString(), line, true});
        } else if (line.startsWith(u'[')) {
            readSectionLine(line);
        } else {
            readKeyLine(line);
        }
    }
}

void SettingsStore::Parser::readSectionLine(const QString& line)
{
    if (line.size() < 2 || !line.endsWith(u']')) {
        problem(QStringLiteral("%1 is not a complete [section] line; it and the keys below it up to the next "
                               "section were left out")
                    .arg(quoted(line)));
        m_section = -1;
        return;
    }
    QString badEscape;
    const QString name = UnescapeIniText(TrimIniBlanks(line.mid(1, line.size() - 2)), &badEscape);
    if (!badEscape.isEmpty())
        problem(QStringLiteral("the escape %1 is not known; it was read as written").arg(badEscape));
    const QString folded = name.toCaseFolded();
    if (const auto it = m_contents.sectionIndex.constFind(folded); it != m_contents.sectionIndex.constEnd()) {
        problem(QStringLiteral("the section [%1] appears a second time (first at line %2); its keys were added to "
                               "the first")
                    .arg(name)
                    .arg(m_sectionLines.value(folded)));
        m_section = *it;
        return;
    }
    m_section = &m_contents.sectionFor(name) - m_contents.sections.data();
    m_sectionLines.insert(folded, m_line);
    m_keyLines.resize(m_contents.sections.size());
}

void SettingsStore::Parser::readKeyLine(const QString& line)
{
    const qsizetype separator = IniSeparatorIndex(line);
    if (separator < 0) {
        problem(QStringLiteral("%1 is neither a [section] nor a key=value line; it was left out").arg(quoted(line)));
        return;
    }
    if (m_section < 0) {
        problem(QStringLiteral("%1 belongs to no section; it was left out").arg(quoted(line)));
        return;
    }
    QString badEscape;
    const QString key = UnescapeIniText(TrimIniBlanks(line.left(separator)), &badEscape);
    const QString value = UnescapeIniText(TrimIniBlanks(line.mid(separator + 1)), &badEscape);
    if (!badEscape.isEmpty())
        problem(QStringLiteral("the escape %1 is not known; it was read as written").arg(badEscape));

    Section& section = m_contents.sections[size_t(m_section)];
    QHash<QString, int>& keyLines = m_keyLines[size_t(m_section)];
    const QString folded = key.toCaseFolded();
    if (section.keyIndex.contains(folded)) {
        problem(QStringLiteral("the key \"%1\" appears a second time in [%2] (first at line %3); the first value "
                               "was kept")
                    .arg(key, section.name)
                    .arg(keyLines.value(folded)));
        return;
    }
    section.keyIndex.insert(folded, qsizetype(section.entries.size()));
    section.entries.push_back({key, value});
    keyLines.insert(folded, m_line);
}

QStringList SettingsStore::problems() const
{
    QStringList list;
    for (const Problem& problem : m_problems)
        list << (problem.line > 0 ? QStringLiteral("%1, line %2: %3").arg(m_filePath).arg(problem.line).arg(problem.text)
                                  : QStringLiteral("%1: %2").arg(m_filePath, problem.text));
    return list;
}

QString SettingsStore::problemReport() const
{
    if (m_problems.isEmpty())
        return QString();
    QString report = QStringLiteral("Varnook could not read all of its settings file %1:\r\n").arg(m_filePath);
    for (const Problem& problem : m_problems.mid(0, kProblemsShown))
        report += problem.line > 0 ? QStringLiteral("\r\nLine %1: %2.").arg(problem.line).arg(problem.text)
                                   : QStringLiteral("\r\n%1.").arg(problem.text);
    if (m_problems.size() > kProblemsShown)
        report += QStringLiteral("\r\n... and %1 more.").arg(m_problems.size() - kProblemsShown);
    report += QStringLiteral("\r\n\r\n");
    report += m_damagedCopyPending
                  ? QStringLiteral("Before it saves its settings, Varnook will keep a copy of the file as it is now "
                                   "in %1.")
                        .arg(m_damagedCopyPath)
                  : QStringLiteral("Varnook kept a copy of the file as it was in %1.").arg(m_damagedCopyPath);
    return report;
}

// ---- the file on disk

// The stamp of the file at `path` (AT_FDCWD: relative to the working folder), or, for an empty
// path, of the open file `descriptor`; none when there is no such file or it cannot be looked at.
// A look costs a system call, ten times what a lookup in memory costs, and loading the file types
// reads values tens of thousands of times in a few turns; so reads look once per event-loop turn.
// A change made before the event that started the work in hand is always seen.
void SettingsStore::lookForChanges() const
{
    if (*m_lookedThisTurn)
        return;
    takeInDiskChanges(nullptr);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->thread() != QThread::currentThread())
        return; // no turns to count: every read looks
    *m_lookedThisTurn = true;
    QMetaObject::invokeMethod(
        app,
        [looked = std::weak_ptr<bool>(m_lookedThisTurn)] {
            if (const std::shared_ptr<bool> flag = looked.lock())
                *flag = false;
        },
        Qt::QueuedConnection);
}

void SettingsStore::refresh() const
{
    takeInDiskChanges(nullptr);
}

// Reads the file again when it is not the one last read or written, and puts this process's
// unsaved changes back on top. Returns false, with `error` set, when the file is there but cannot
// be read: then nothing may replace it.
bool SettingsStore::takeInDiskChanges(QString* error) const
{
    const FileStamp now = FileStamp::of(m_filePath);
    if (now == m_stamp)
        return true;
    if (!now.exists) {
        // Removed by someone else: what this process holds is all that is left; a save writes it.
        m_stamp = now;
        return true;
    }

    QFile file(m_filePath);
    FileStamp stamp;
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        stamp = FileStamp::ofOpenFile(file.handle()); // before reading: a write after it is seen next time
        bytes = file.readAll();
    }
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        m_problems = {{0, QStringLiteral("The file cannot be read (%1)").arg(file.errorString())}};
        if (!m_damagedCopyPending)
            m_damagedCopyPath = uniqueDamagedCopyPath(m_filePath);
        m_damagedCopyPending = true;
        m_stamp = {}; // the next look reads again
        if (error)
            *error = QStringLiteral("Varnook did not save its settings: it cannot read %1 (%2), and it does not "
                                    "replace a file it could not read.")
                         .arg(m_filePath, file.errorString());
        return false;
    }

    Contents contents;
    QList<Problem> problems;
    Parser(contents, problems).parse(bytes);
    for (const Change& change : m_unsaved)
        contents.set(change.section, change.key, change.value);
    m_stamp = stamp;
    const bool changed = contents.serialize() != m_contents.serialize();
    if (!changed && problems == m_problems)
        return true; // touched, or written back as it was: nothing new, not even a new damage
    m_contents = std::move(contents);
    m_problems = std::move(problems);
    m_damagedCopyPending = !m_problems.isEmpty();
    m_damagedCopyPath = m_damagedCopyPending ? uniqueDamagedCopyPath(m_filePath) : QString();
    if (changed)
        ++s_generation;
    return true;
}

// ---- the pairs

const SettingsStore::Section* SettingsStore::Contents::find(const QString& name) const
{
    const auto it = sectionIndex.constFind(name.toCaseFolded());
    return it == sectionIndex.constEnd() ? nullptr : &sections[size_t(*it)];
}

SettingsStore::Section& SettingsStore::Contents::sectionFor(const QString& name)
{
    if (const Section* section = find(name))
        return sections[size_t(section - sections.data())];
    sectionIndex.insert(name.toCaseFolded(), qsizetype(sections.size()));
    sections.push_back({name, {}, {}});
    return sections.back();
}

bool SettingsStore::Contents::set(const QString& section, const QString& key, const QString& value)
{
    Section& target = sectionFor(section);
    const QString folded = key.toCaseFolded();
    if (const auto it = target.keyIndex.constFind(folded); it != target.keyIndex.constEnd()) {
        Entry& entry = target.entries[size_t(*it)];
        if (entry.value == value)
            return false;
        entry.value = value;
        return true;
    }
    target.keyIndex.insert(folded, qsizetype(target.entries.size()));
    target.entries.push_back({key, value});
    return true;
}

QString SettingsStore::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    lookForChanges();
    const Section* found = m_contents.find(section);
    if (!found)
        return defaultValue;
    const auto it = found->keyIndex.constFind(key.toCaseFolded());
    return it == found->keyIndex.constEnd() ? defaultValue : found->entries[size_t(*it)].value;
}

QList<SettingPair> SettingsStore::pairs(const QString& section) const
{
    lookForChanges();
    QList<SettingPair> result;
    if (const Section* found = m_contents.find(section)) {
        for (const Entry& entry : found->entries)
            if (!entry.comment)
                result.append({entry.key, entry.value});
    }
    return result;
}

void SettingsStore::setValue(const QString& section, const QString& key, const QString& value)
{
    // Compared with the file as it is now: an older value in memory must not make a write look
    // like no change.
    lookForChanges();
    if (!m_contents.set(section, key, value))
        return;
    const QPair<QString, QString> id{section.toCaseFolded(), key.toCaseFolded()};
    if (const auto it = m_unsavedIndex.constFind(id); it != m_unsavedIndex.constEnd()) {
        m_unsaved[size_t(*it)].value = value;
    } else {
        m_unsavedIndex.insert(id, qsizetype(m_unsaved.size()));
        m_unsaved.push_back({section, key, value});
    }
    ++s_generation;
    if (m_batchDepth == 0)
        save();
}

// ---- saving

void SettingsStore::beginBatch()
{
    ++m_batchDepth;
}

bool SettingsStore::endBatch()
{
    if (m_batchDepth > 0)
        --m_batchDepth;
    return m_batchDepth > 0 || save();
}

bool SettingsStore::save()
{
    if (m_unsaved.empty())
        return true;
    QString error;
    if (!write(error))
        return fail(error);
    m_unsaved.clear();
    m_unsavedIndex.clear();
    m_lastError.clear();
    return true;
}

bool SettingsStore::fail(const QString& error)
{
    m_lastError = error;
    if (m_onSaveFailure)
        m_onSaveFailure(error);
    return false;
}

// Writes what is on disk with this process's changes on top. The file is looked at once more just
// before the new one replaces it, so that only a change in that last instant could be overwritten.
bool SettingsStore::write(QString& error)
{
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("Varnook could not save its settings: it cannot create the folder %1.").arg(folder);
        return false;
    }
    for (int attempt = 1;; ++attempt) {
        if (!takeInDiskChanges(&error))
            return false;
        if (m_damagedCopyPending && !keepDamagedCopy(error))
            return false;

        std::unique_ptr<QSaveFile> out =
            m_saveFileFactory ? m_saveFileFactory(m_filePath) : std::make_unique<QSaveFile>(m_filePath);
        const auto couldNotWrite = [&] {
            error = QStringLiteral("Varnook could not save its settings to %1 (%2). The file was left as it was.")
                        .arg(m_filePath, out->errorString());
            out->cancelWriting();
            return false;
        };
        const QByteArray bytes = m_contents.serialize();
        if (!out->open(QIODevice::WriteOnly) || out->write(bytes) != bytes.size() || !out->flush())
            return couldNotWrite();
        ::fsync(out->handle()); // now, so that the look below comes just before the rename
        const FileStamp written = FileStamp::ofOpenFile(out->handle());
        if (FileStamp::of(m_filePath) != m_stamp) {
            out->cancelWriting();
            if (attempt < kSaveAttempts)
                continue;
            error = QStringLiteral("Varnook could not save its settings: %1 kept changing while it was saving. "
                                   "The file was left as it was.")
                        .arg(m_filePath);
            return false;
        }
        if (!out->commit())
            return couldNotWrite();
        syncDirectory(folder);
        m_stamp = written;
        return true;
    }
}

bool SettingsStore::keepDamagedCopy(QString& error)
{
    QFile original(m_filePath);
    if (!original.exists()) {
        m_damagedCopyPending = false; // removed meanwhile: nothing left to keep
        return true;
    }
    QSaveFile copy(m_damagedCopyPath);
    if (!original.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Varnook did not save its settings: it could not read %1 to keep a copy of it "
                               "first (%2).")
                    .arg(m_filePath, original.errorString());
        return false;
    }
    const QByteArray bytes = original.readAll();
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() || !copy.commit()) {
        error = QStringLiteral("Varnook did not save its settings: it could not keep a copy of %1 as %2 first "
                               "(%3).")
                    .arg(m_filePath, m_damagedCopyPath, copy.errorString());
        return false;
    }
    m_damagedCopyPending = false;
    return true;
}

QByteArray SettingsStore::Contents::serialize() const
{
    QString text;
    for (const QString& comment : leadingComments)
        text += comment + QLatin1Char('\n');
    for (const Section& section : sections) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QLatin1Char('[') + EscapeIniText(section.name, IniField::Name) + QStringLiteral("]\n");
        for (const Entry& entry : section.entries) {
            text += entry.comment ? entry.value
                                  : EscapeIniText(entry.key, IniField::Name) + QLatin1Char('=') +
                                        EscapeIniText(entry.value, IniField::Value);
            text += QLatin1Char('\n');
        }
    }
    return text.toUtf8();
}
