#include "platform/settings/SettingsStore.h"

#include "platform/settings/IniText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kProblemsShown = 10;

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
    load();
    ++s_generation;
}

// ---- reading

void SettingsStore::load()
{
    QFile file(m_filePath);
    if (!file.exists())
        return;
    if (file.open(QIODevice::ReadOnly))
        parse(file.readAll());
    else
        problem(0, QStringLiteral("The file cannot be read (%1)").arg(file.errorString()));
    if (!m_problems.isEmpty()) {
        m_damagedCopyPath = uniqueDamagedCopyPath(m_filePath);
        m_damagedCopyPending = true;
    }
}

// Where reading the file stands: the section of the lines read, and where each section and each
// key first stood, for the messages about duplicates.
struct SettingsStore::ParseState {
    int line = 0;
    qsizetype section = -1; // none before the first section and after a broken section line
    QHash<QString, int> sectionLines;                  // case-folded name
    std::vector<QHash<QString, int>> keyLines;         // per section: case-folded key
};

void SettingsStore::parse(const QByteArray& bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);

    ParseState state;
    for (QByteArray raw : data.split('\n')) {
        ++state.line;
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QString text = QString::fromUtf8(raw);
        if (text.toUtf8() != raw)
            problem(state.line, QStringLiteral("the line is not valid UTF-8 text; what could not be read was "
                                               "replaced by \uFFFD"));
        const QString line = TrimIniBlanks(text);
        if (line.isEmpty())
            continue;
        if (line.startsWith(u';') || line.startsWith(u'#')) {
            if (state.section < 0)
                m_leadingComments << line;
            else
                m_sections[size_t(state.section)].entries.push_back({QString(), line, true});
        } else if (line.startsWith(u'[')) {
            readSectionLine(line, state);
        } else {
            readKeyLine(line, state);
        }
    }
}

void SettingsStore::readSectionLine(const QString& line, ParseState& state)
{
    if (line.size() < 2 || !line.endsWith(u']')) {
        problem(state.line, QStringLiteral("%1 is not a complete [section] line; it and the keys below it up to "
                                           "the next section were left out")
                                .arg(quoted(line)));
        state.section = -1;
        return;
    }
    QString badEscape;
    const QString name = UnescapeIniText(TrimIniBlanks(line.mid(1, line.size() - 2)), &badEscape);
    if (!badEscape.isEmpty())
        problem(state.line, QStringLiteral("the escape %1 is not known; it was read as written").arg(badEscape));
    const QString folded = name.toCaseFolded();
    if (const auto it = m_sectionIndex.constFind(folded); it != m_sectionIndex.constEnd()) {
        problem(state.line, QStringLiteral("the section [%1] appears a second time (first at line %2); its keys "
                                           "were added to the first")
                                .arg(name)
                                .arg(state.sectionLines.value(folded)));
        state.section = *it;
        return;
    }
    state.section = &sectionFor(name) - m_sections.data();
    state.sectionLines.insert(folded, state.line);
    state.keyLines.resize(m_sections.size());
}

void SettingsStore::readKeyLine(const QString& line, ParseState& state)
{
    const qsizetype separator = IniSeparatorIndex(line);
    if (separator < 0) {
        problem(state.line,
                QStringLiteral("%1 is neither a [section] nor a key=value line; it was left out").arg(quoted(line)));
        return;
    }
    if (state.section < 0) {
        problem(state.line, QStringLiteral("%1 belongs to no section; it was left out").arg(quoted(line)));
        return;
    }
    QString badEscape;
    const QString key = UnescapeIniText(TrimIniBlanks(line.left(separator)), &badEscape);
    const QString value = UnescapeIniText(TrimIniBlanks(line.mid(separator + 1)), &badEscape);
    if (!badEscape.isEmpty())
        problem(state.line, QStringLiteral("the escape %1 is not known; it was read as written").arg(badEscape));

    Section& section = m_sections[size_t(state.section)];
    QHash<QString, int>& keyLines = state.keyLines[size_t(state.section)];
    const QString folded = key.toCaseFolded();
    if (section.keyIndex.contains(folded)) {
        problem(state.line, QStringLiteral("the key \"%1\" appears a second time in [%2] (first at line %3); the "
                                           "first value was kept")
                                .arg(key, section.name)
                                .arg(keyLines.value(folded)));
        return;
    }
    section.keyIndex.insert(folded, qsizetype(section.entries.size()));
    section.entries.push_back({key, value});
    keyLines.insert(folded, state.line);
}

void SettingsStore::problem(int line, const QString& text)
{
    m_problems.append({line, text});
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

// ---- the pairs

const SettingsStore::Section* SettingsStore::findSection(const QString& name) const
{
    const auto it = m_sectionIndex.constFind(name.toCaseFolded());
    return it == m_sectionIndex.constEnd() ? nullptr : &m_sections[size_t(*it)];
}

SettingsStore::Section* SettingsStore::findSection(const QString& name)
{
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

SettingsStore::Section& SettingsStore::sectionFor(const QString& name)
{
    if (Section* section = findSection(name))
        return *section;
    m_sectionIndex.insert(name.toCaseFolded(), qsizetype(m_sections.size()));
    m_sections.push_back({name, {}, {}});
    return m_sections.back();
}

QString SettingsStore::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Section* found = findSection(section);
    if (!found)
        return defaultValue;
    const auto it = found->keyIndex.constFind(key.toCaseFolded());
    return it == found->keyIndex.constEnd() ? defaultValue : found->entries[size_t(*it)].value;
}

QList<SettingPair> SettingsStore::pairs(const QString& section) const
{
    QList<SettingPair> result;
    if (const Section* found = findSection(section)) {
        for (const Entry& entry : found->entries)
            if (!entry.comment)
                result.append({entry.key, entry.value});
    }
    return result;
}

void SettingsStore::setValue(const QString& section, const QString& key, const QString& value)
{
    Section& target = sectionFor(section);
    const QString folded = key.toCaseFolded();
    if (const auto it = target.keyIndex.constFind(folded); it != target.keyIndex.constEnd()) {
        Entry& entry = target.entries[size_t(*it)];
        if (entry.value == value)
            return;
        entry.value = value;
    } else {
        target.keyIndex.insert(folded, qsizetype(target.entries.size()));
        target.entries.push_back({key, value});
    }
    ++s_generation;
    m_dirty = true;
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
    if (!m_dirty)
        return true;
    QString error;
    if (!write(error))
        return fail(error);
    m_dirty = false;
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

bool SettingsStore::write(QString& error)
{
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("Varnook could not save its settings: it cannot create the folder %1.").arg(folder);
        return false;
    }
    if (m_damagedCopyPending && !keepDamagedCopy(error))
        return false;

    std::unique_ptr<QSaveFile> out =
        m_saveFileFactory ? m_saveFileFactory(m_filePath) : std::make_unique<QSaveFile>(m_filePath);
    const QByteArray bytes = serialize();
    if (!out->open(QIODevice::WriteOnly) || out->write(bytes) != bytes.size() || !out->commit()) {
        error = QStringLiteral("Varnook could not save its settings to %1 (%2). The file was left as it was.")
                    .arg(m_filePath, out->errorString());
        out->cancelWriting();
        return false;
    }
    syncDirectory(folder);
    return true;
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

QByteArray SettingsStore::serialize() const
{
    QString text;
    for (const QString& comment : m_leadingComments)
        text += comment + QLatin1Char('\n');
    for (const Section& section : m_sections) {
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
