#include "platform/registry/HiveWriter.h"

#include "platform/registry/WineRegFormat.h"

#include <QBuffer>

#include <algorithm>
#include <vector>

namespace {

// The output is written to the device in pieces of about this size: an eighth of the file as it
// was read, within bounds, so that saving a small hive does not cost a large buffer.
constexpr qsizetype kMinFlushSize = 64 << 10;
constexpr qsizetype kMaxFlushSize = 1 << 20;

qsizetype flushSizeFor(const Hive& hive)
{
    return std::clamp(hive.text().size() / 8, kMinFlushSize, kMaxFlushSize);
}

// Wine prints the key line's time as the low 32 bits of the Unix seconds.
std::uint32_t keyLineSeconds(std::int64_t fileTime)
{
    const auto ticks = static_cast<std::uint64_t>(fileTime);
    const auto base = static_cast<std::uint64_t>(wineformat::kTicks1601To1970);
    const auto perSecond = static_cast<std::uint64_t>(wineformat::kTicksPerSecond);
    if (ticks >= base && fileTime >= 0)
        return static_cast<std::uint32_t>((ticks - base) / perSecond);
    return static_cast<std::uint32_t>(0u - static_cast<std::uint32_t>((base - ticks) / perSecond));
}

void appendDecimal(QByteArray& out, std::uint32_t value)
{
    char buffer[12];
    char* d = buffer + sizeof buffer;
    do {
        *--d = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    out.append(d, buffer + sizeof buffer - d);
}

enum class SectionKind { None, Verbatim, Written };

// Calls visit(line, text, lineEnd) for each line of a section after its key line, `text` being
// where the line's text starts after its indent.
template <typename Visit>
void forEachBodyLine(const RegKey::Section& section, Visit&& visit)
{
    if (!section.text)
        return;
    const char* end = section.text + section.length;
    const char* p = wineformat::nextLine(wineformat::lineEnd(section.text, end), end);
    while (p < end) {
        const char* eol = wineformat::lineEnd(p, end);
        const char* text = p;
        while (text < eol && (*text == ' ' || *text == '\t'))
            ++text;
        visit(p, text, eol);
        p = wineformat::nextLine(eol, end);
    }
}

bool startsWith(const char* text, const char* eol, QByteArrayView prefix)
{
    return QByteArrayView(text, eol - text).startsWith(prefix);
}

// Whether a section read from the file holds a value or a class, without decoding it.
bool sectionHasEntries(const RegKey::Section& section)
{
    bool found = false;
    forEachBodyLine(section, [&](const char*, const char* text, const char* eol) {
        found = found || (text < eol && (*text == '@' || *text == '"')) || startsWith(text, eol, "#class=\"");
    });
    return found;
}

bool hasEntries(const RegKey& key)
{
    if (!key.valuesDecoded())
        return sectionHasEntries(key.section());
    return !key.values().empty() || key.className().has_value();
}

SectionKind sectionKind(const RegKey& key)
{
    if (!key.isChanged()) {
        if (key.hasSection())
            return SectionKind::Verbatim;
        // A key only implied by its subkeys' paths has no values; it needs a section of its own
        // only once it has no subkeys left.
        return key.children().empty() ? SectionKind::Written : SectionKind::None;
    }
    const bool needed = hasEntries(key) || key.children().empty() || key.isLink();
    return needed ? SectionKind::Written : SectionKind::None;
}

class Output {
public:
    Output(QIODevice& device, qsizetype flushSize)
        : m_device(device)
        , m_flushSize(flushSize)
    {
        m_buffer.reserve(flushSize + 4096);
    }

    QByteArray& buffer() { return m_buffer; }

    bool flushIfFull()
    {
        return m_buffer.size() < m_flushSize || flush();
    }

    bool flush()
    {
        if (m_buffer.isEmpty())
            return true;
        const qint64 written = m_device.write(m_buffer);
        const bool ok = written == m_buffer.size();
        m_buffer.resize(0);
        return ok;
    }

private:
    QIODevice& m_device;
    const qsizetype m_flushSize;
    QByteArray m_buffer;
};

} // namespace

void HiveWriter::appendSection(QByteArray& out, const RegKey& key, const QByteArray& escapedPath)
{
    out.append('[');
    out.append(escapedPath);
    out.append("] ", 2);
    appendDecimal(out, keyLineSeconds(key.modified()));
    out.append('\n');
    wineformat::appendTimeLine(out, key.modified());
    if (!key.valuesDecoded()) {
        // Only the time is new: the class, link and value lines stay as they were spelled.
        forEachBodyLine(key.section(), [&](const char* line, const char* text, const char* eol) {
            if (!startsWith(text, eol, "#time=")) {
                out.append(line, eol - line);
                out.append('\n');
            }
        });
        return;
    }
    if (key.className()) {
        out.append("#class=\"", 8);
        wineformat::appendEscaped(out, *key.className(), "\"\"");
        out.append("\"\n", 2);
    }
    if (key.isLink())
        out.append("#link\n", 6);
    for (const RegValue& v : key.values())
        wineformat::appendValueLine(out, v.name, v.type, v.data);
}

bool HiveWriter::write(const Hive& hive, QIODevice& device, QString& error)
{
    Output output(device, flushSizeFor(hive));
    QByteArray& out = output.buffer();
    out.append(hive.preamble());

    struct Frame {
        const RegKey* key;
        std::size_t next;
        qsizetype pathLength;
    };
    QByteArray path;
    std::vector<Frame> stack;

    auto visit = [&](const RegKey& key) {
        switch (sectionKind(key)) {
        case SectionKind::None:
            break;
        case SectionKind::Verbatim: {
            const auto& s = key.section();
            out.append('\n');
            out.append(s.text, s.length);
            if (s.length == 0 || s.text[s.length - 1] != '\n')
                out.append('\n');
            break;
        }
        case SectionKind::Written:
            out.append('\n');
            appendSection(out, key, path);
            break;
        }
        stack.push_back(Frame{&key, 0, path.size()});
    };

    visit(*hive.root());
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next >= frame.key->children().size()) {
            stack.pop_back();
            continue;
        }
        const RegKey& child = *frame.key->children()[frame.next++];
        path.resize(frame.pathLength);
        if (!path.isEmpty())
            path.append("\\\\", 2);
        wineformat::appendEscaped(path, child.name(), "[]");
        visit(child);
        if (!output.flushIfFull()) {
            error = device.errorString();
            return false;
        }
    }
    if (!output.flush()) {
        error = device.errorString();
        return false;
    }
    return true;
}

QByteArray HiveWriter::toBytes(const Hive& hive)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    write(hive, buffer, error);
    return bytes;
}
