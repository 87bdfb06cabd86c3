#include "platform/registry/HiveReader.h"

#include "platform/registry/WineRegFormat.h"

#include <QDateTime>

#include <cstring>
#include <vector>

using namespace wineformat;

namespace {

constexpr QByteArrayView kHeader("WINE REGISTRY Version 2");

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

const char* skipBlanks(const char* p, const char* end)
{
    while (p < end && isBlank(*p))
        ++p;
    return p;
}

class Parser {
public:
    Parser(Hive& hive, const QString& fileName)
        : m_hive(hive)
        , m_fileName(fileName)
        , m_begin(hive.text().constData())
        , m_end(m_begin + hive.text().size())
        , m_loadTime(fileTimeFromUnixSeconds(QDateTime::currentSecsSinceEpoch()))
    {
        m_stack.push_back(hive.root().get());
    }

    bool run(QString& fatal)
    {
        const char* p = m_begin;
        const char* eol = lineEnd(p, m_end);
        if (QByteArrayView(p, trimCarriageReturn(p, eol) - p) != kHeader) {
            fatal = QStringLiteral("%1:1: this is not a Wine registry file (the first line must be \"%2\")")
                        .arg(m_fileName, QString::fromLatin1(kHeader));
            return false;
        }
        m_line = 1;
        m_lastContentEnd = nextLine(eol, m_end);
        p = m_lastContentEnd;

        while (p < m_end) {
            ++m_line;
            eol = lineEnd(p, m_end);
            const char* stop = trimCarriageReturn(p, eol);
            const char* s = skipBlanks(p, stop);
            if (eol - p > HiveReader::kMaxLineLength) {
                problem(QStringLiteral("the line is longer than 1 MiB"));
                if (s < stop && *s == '[')
                    beginSkippedSection(p);
                p = nextLine(eol, m_end);
                continue;
            }
            if (s == stop) { // blank line
                p = nextLine(eol, m_end);
                continue;
            }
            switch (*s) {
            case '[':
                keyLine(p, s, stop);
                break;
            case '@':
            case '"':
                eol = valueLine(s, eol);
                break;
            case '#':
                optionLine(s, stop);
                break;
            case ';':
                break;
            default:
                problem(QStringLiteral("unrecognized input"));
                break;
            }
            m_lastContentEnd = nextLine(eol, m_end);
            p = m_lastContentEnd;
        }
        if (m_end > m_begin && m_end[-1] != '\n') {
            problem(QStringLiteral("the file ends in the middle of a line; it may be truncated"));
        }
        closeSection();
        if (!m_sawKey)
            m_hive.setPreamble(QByteArray(m_begin, m_lastContentEnd - m_begin));
        mergeRepeatedSections();
        return true;
    }

private:
    void problem(const QString& message)
    {
        m_hive.countProblem();
        if (m_hive.problems().size() < HiveReader::kMaxReportedProblems)
            m_hive.addProblem(QStringLiteral("%1:%2: %3").arg(m_fileName).arg(m_line).arg(message));
    }

    void closeSection()
    {
        if (!m_sectionStart)
            return;
        RegKey::Section section{m_sectionStart, static_cast<std::uint32_t>(m_lastContentEnd - m_sectionStart),
                                static_cast<std::uint32_t>(m_sectionLine)};
        if (m_current) {
            if (m_current->hasSection())
                m_repeats.emplace_back(owned(m_current), section);
            else
                m_current->setSection(section);
        }
        m_sectionStart = nullptr;
    }

    void beginSection(const char* lineStart)
    {
        closeSection();
        if (!m_sawKey) {
            m_sawKey = true;
            m_hive.setPreamble(QByteArray(m_begin, m_lastContentEnd - m_begin));
        }
        m_sectionStart = lineStart;
        m_sectionLine = m_line;
    }

    void beginSkippedSection(const char* lineStart)
    {
        beginSection(lineStart);
        m_current = nullptr;
        m_skipping = true;
    }

    void keyLine(const char* lineStart, const char* s, const char* stop)
    {
        beginSection(lineStart);
        m_current = nullptr;
        m_currentRepeated = false;
        m_skipping = true; // until the key is known to be good

        QString error;
        const char* after = parseEscaped(s + 1, stop, ']', m_path, error);
        if (!after) {
            problem(QStringLiteral("malformed key: ") + error);
            return;
        }
        std::int64_t modified = m_loadTime;
        const char* t = skipBlanks(after, stop);
        if (t < stop) {
            std::uint64_t seconds = 0;
            int digits = 0;
            while (t < stop && *t >= '0' && *t <= '9' && digits < 11) {
                seconds = seconds * 10 + std::uint64_t(*t++ - '0');
                ++digits;
            }
            if (digits == 0 || digits > 10 || skipBlanks(t, stop) != stop) {
                problem(QStringLiteral("malformed key: unexpected text after the key name"));
                return;
            }
            modified = fileTimeFromUnixSeconds(static_cast<std::int64_t>(seconds));
        }
        RegKey* key = resolve(modified);
        if (!key)
            return;
        // A section copied as read must spell the names the tree keeps; one that names a key made
        // earlier in another case is written anew, or a save would rename that key.
        if (!spellsTreeNames())
            key->markChanged();
        m_current = key;
        m_currentRepeated = key->hasSection();
        if (!m_currentRepeated)
            key->setModified(modified);
        m_skipping = false;
    }

    // The shared pointer the tree holds to a key.
    RegKey::Ptr owned(const RegKey* key) const
    {
        return key->parent() ? key->parent()->child(key->name()) : m_hive.root();
    }

    // Finds or creates the key the current path names, reusing the previous key's path.
    RegKey* resolve(std::int64_t modified)
    {
        const QStringView path(m_path);
        m_parts.clear();
        if (path.isEmpty()) {
            m_stack.resize(1);
            return m_stack[0];
        }
        // The whole path is checked before any key is made, so that a bad one leaves the tree as
        // it was.
        qsizetype start = 0;
        for (qsizetype i = 0; i <= path.size(); ++i) {
            if (i < path.size() && path[i] != u'\\')
                continue;
            if (i == start) {
                problem(QStringLiteral("malformed key: empty name in the key path"));
                return nullptr;
            }
            if (i - start > kMaxKeyNameLength) {
                problem(QStringLiteral("key name longer than %1 characters").arg(kMaxKeyNameLength));
                return nullptr;
            }
            m_parts.push_back(path.sliced(start, i - start));
            if (m_parts.size() > static_cast<std::size_t>(kMaxKeyDepth)) {
                problem(QStringLiteral("key nested deeper than %1 levels").arg(kMaxKeyDepth));
                return nullptr;
            }
            start = i + 1;
        }
        std::size_t level = 0;
        for (const QStringView part : m_parts) {
            ++level;
            if (level < m_stack.size() && sameName(m_stack[level]->name(), part))
                continue;
            m_stack.resize(level);
            RegKey* parent = m_stack.back();
            RegKey::Ptr child = parent->child(part);
            if (!child)
                child = parent->addChild(part.toString(), modified);
            m_stack.push_back(child.get());
        }
        m_stack.resize(level + 1);
        return m_stack.back();
    }

    // Whether the path just resolved names every key exactly as the tree spells it.
    bool spellsTreeNames() const
    {
        for (std::size_t i = 0; i < m_parts.size(); ++i) {
            if (m_parts[i] != QStringView(m_stack[i + 1]->name()))
                return false;
        }
        return true;
    }

    // Consecutive key lines mostly repeat their parents' names exactly.
    static bool sameName(QStringView a, QStringView b)
    {
        if (a.size() == b.size() && std::memcmp(a.data(), b.data(), size_t(a.size()) * sizeof(QChar)) == 0)
            return true;
        return RegKey::compareNames(a, b) == 0;
    }

    const char* valueLine(const char* s, const char* eol)
    {
        if (m_skipping)
            return skipContinuation(eol);
        if (!m_current && !m_sawKey) {
            problem(QStringLiteral("value without a key"));
            return skipContinuation(eol);
        }
        int extra = 0;
        qsizetype nameLength = 0;
        QString error;
        const char* last = checkValue(s, eol, m_end, nameLength, extra, error);
        if (!last) {
            problem(error);
            return skipContinuation(eol);
        }
        if (nameLength > kMaxValueNameLength)
            problem(QStringLiteral("value name longer than %1 characters").arg(kMaxValueNameLength));
        m_line += extra;
        return last;
    }

    // After a line that could not be read, also pass over the lines it continues onto.
    const char* skipContinuation(const char* eol)
    {
        const char* lineStart = eol;
        while (lineStart > m_begin && lineStart[-1] != '\n')
            --lineStart;
        const char* stop = trimCarriageReturn(lineStart, eol);
        while (stop > lineStart && isBlank(stop[-1]))
            --stop;
        while (stop > lineStart && stop[-1] == '\\' && eol < m_end) {
            const char* next = nextLine(eol, m_end);
            eol = lineEnd(next, m_end);
            ++m_line;
            lineStart = next;
            stop = trimCarriageReturn(lineStart, eol);
            while (stop > lineStart && isBlank(stop[-1]))
                --stop;
        }
        return eol;
    }

    void optionLine(const char* s, const char* stop)
    {
        if (!m_current || m_skipping)
            return; // file options such as #arch, or options of a skipped key
        const QByteArrayView line(s, stop - s);
        if (line.startsWith("#time=")) {
            std::uint64_t ticks = 0;
            int digits = 0;
            for (const char* t = s + 6; t < stop; ++t) {
                const char c = *t;
                int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
                if (v < 0 || ++digits > 16) {
                    problem(QStringLiteral("malformed #time line"));
                    return;
                }
                ticks = ticks * 16 + std::uint64_t(v);
            }
            if (!m_currentRepeated)
                m_current->setModified(static_cast<std::int64_t>(ticks));
        } else if (line.startsWith("#class=\"")) {
            QString name;
            QString error;
            if (!parseEscaped(s + 8, stop, '"', name, error))
                problem(QStringLiteral("malformed #class line: ") + error);
        } else if (line == "#link") {
            m_current->setLink(true);
        }
    }

    // A key whose sections are spread over the file is decoded and written anew.
    void mergeRepeatedSections()
    {
        for (const auto& [key, section] : m_repeats) {
            if (!key)
                continue;
            std::vector<RegValue> values = key->values();
            RegKey extra{QString()};
            extra.setSection(section);
            for (const RegValue& v : extra.values())
                values.push_back(v);
            std::optional<QString> className = extra.className() ? extra.className() : key->className();
            key->adoptValues(std::move(values), std::move(className));
            key->setSection({});
            key->markChanged();
        }
    }

    Hive& m_hive;
    const QString& m_fileName;
    const char* m_begin;
    const char* m_end;
    std::int64_t m_loadTime;
    int m_line = 0;
    bool m_sawKey = false;
    const char* m_lastContentEnd = nullptr;
    const char* m_sectionStart = nullptr;
    int m_sectionLine = 0;
    RegKey* m_current = nullptr;
    bool m_currentRepeated = false;
    bool m_skipping = false;
    std::vector<RegKey*> m_stack;
    std::vector<std::pair<RegKey::Ptr, RegKey::Section>> m_repeats;
    QString m_path;
    std::vector<QStringView> m_parts; // of m_path; kept to spare an allocation per key line
};

} // namespace

HiveReader::Result HiveReader::read(QByteArray text, const QString& fileName)
{
    auto hive = std::make_shared<Hive>();
    hive->setText(std::move(text));
    Parser parser(*hive, fileName);
    QString fatal;
    if (!parser.run(fatal))
        return {nullptr, fatal};
    return {hive, QString()};
}
