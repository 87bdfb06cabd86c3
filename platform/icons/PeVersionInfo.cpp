#include "platform/icons/PeVersionInfo.h"

#include "platform/icons/ByteView.h"
#include "platform/icons/PeResourceReader.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr quint32 kFixedInfoSignature = 0xFEEF04BD;
constexpr qint64 kFixedInfoSize = 52;
constexpr quint16 kTextValue = 1;

qint64 align4(qint64 offset)
{
    return (offset + 3) & ~qint64(3);
}

// The NUL-terminated UTF-16 text at `from`, read no further than `end`; `next` gets the offset
// after its NUL (or `end` when there is none).
QString text(const ByteView& bytes, qint64 from, qint64 end, qint64& next)
{
    QString result;
    qint64 at = from;
    while (at + 2 <= end) {
        const quint16 c = bytes.u16(at);
        at += 2;
        if (c == 0)
            break;
        result.append(QChar(c));
    }
    next = std::max(at, from);
    return result;
}

// One node of the resource's tree: every node starts with its length, the length of its value,
// its type and its key, and holds its value and then its children, each aligned to 4 bytes.
struct Block {
    qint64 end = 0; // cut at the end of the enclosing block
    quint16 valueLength = 0;
    QString key;
    qint64 value = 0;    // offset of the value
    qint64 children = 0; // offset of the first child
};

std::optional<Block> readBlock(const ByteView& bytes, qint64 offset, qint64 limit)
{
    if (offset + 6 > limit)
        return std::nullopt;
    const quint16 length = bytes.u16(offset);
    if (length < 6)
        return std::nullopt; // would not advance: the rest is damaged
    Block block;
    block.end = std::min(offset + length, limit);
    block.valueLength = bytes.u16(offset + 2);
    const bool textValue = bytes.u16(offset + 4) == kTextValue;
    qint64 afterKey = 0;
    block.key = text(bytes, offset + 6, block.end, afterKey);
    block.value = std::min(align4(afterKey), block.end);
    // Text lengths count UTF-16 units, binary ones bytes.
    const qint64 valueBytes = textValue ? 2 * qint64(block.valueLength) : qint64(block.valueLength);
    block.children = std::min(align4(block.value + valueBytes), block.end);
    return block;
}

// Calls `visit` on each child of `parent` that can be read, in stored order. Each child takes at
// least 6 bytes, so the walk ends within the parent.
template <typename Visit>
void forEachChild(const ByteView& bytes, const Block& parent, Visit visit)
{
    qint64 at = parent.children;
    while (const auto child = readBlock(bytes, at, parent.end)) {
        visit(*child);
        at = align4(child->end);
    }
}

PeVersionInfo::Version version(quint32 high, quint32 low)
{
    return {quint16(high >> 16), quint16(high & 0xFFFF), quint16(low >> 16), quint16(low & 0xFFFF)};
}

// How well a string table's key ("040904b0": language, code page) suits: US English in Unicode
// best, then US English, then Unicode of any language.
int tableRank(const QString& key)
{
    if (key.compare(QLatin1String("040904b0"), Qt::CaseInsensitive) == 0)
        return 3;
    if (key.startsWith(QLatin1String("0409")))
        return 2;
    if (key.size() == 8 && key.endsWith(QLatin1String("04b0"), Qt::CaseInsensitive))
        return 1;
    return 0;
}

} // namespace

QString PeVersionInfo::Version::toString() const
{
    return QStringLiteral("%1.%2.%3.%4").arg(major).arg(minor).arg(build).arg(revision);
}

QString PeVersionInfo::value(const QString& name) const
{
    for (const auto& [key, text] : strings) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return text;
    }
    return {};
}

std::optional<PeVersionInfo> PeVersionInfo::read(const QString& path)
{
    // Only regular files: opening a pipe or a device could block or never end.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const auto resources = PeResourceReader::read(file);
    if (!resources || resources->version.offset < 0)
        return std::nullopt;
    if (!file.seek(resources->version.offset))
        return PeVersionInfo();
    return parse(file.read(std::min(resources->version.size, kMaxResourceBytes)));
}

PeVersionInfo PeVersionInfo::parse(const QByteArray& resource)
{
    PeVersionInfo info;
    const QByteArray bytes = resource.left(kMaxResourceBytes);
    const ByteView view(bytes);
    const auto root = readBlock(view, 0, view.size());
    if (!root || root->key != QLatin1String("VS_VERSION_INFO"))
        return info;

    const qint64 fixed = root->value;
    if (root->valueLength >= kFixedInfoSize && fixed + kFixedInfoSize <= root->end &&
        view.u32(fixed) == kFixedInfoSignature) {
        info.hasFixedInfo = true;
        info.fileVersion = version(view.u32(fixed + 8), view.u32(fixed + 12));
        info.productVersion = version(view.u32(fixed + 16), view.u32(fixed + 20));
    }

    std::optional<Block> best;
    int bestRank = -1;
    forEachChild(view, *root, [&](const Block& child) {
        if (child.key != QLatin1String("StringFileInfo"))
            return; // VarFileInfo: the translations, which the table keys repeat
        forEachChild(view, child, [&](const Block& table) {
            if (const int rank = tableRank(table.key); rank > bestRank) {
                best = table;
                bestRank = rank;
            }
        });
    });
    if (!best)
        return info;
    info.stringTable = best->key;
    forEachChild(view, *best, [&](const Block& string) {
        qint64 next = 0;
        info.strings.append({string.key, text(view, string.value, string.end, next)});
    });
    return info;
}
