#include "platform/registry/RegKey.h"

#include "platform/registry/WineRegFormat.h"

#include <algorithm>

namespace {

// From this many subkeys on, a key finds its subkeys by a hash of their names.
constexpr std::size_t kIndexedChildren = 64;

// Names compare by Windows' case table, as Wine does: Unicode's simple lowercase, except for the
// titlecase digraphs and the symbols whose lowercase letter has an uppercase of its own (Kelvin
// sign, Ohm sign, ...), which it leaves as they are. "\u212Aelvin" and "kelvin" are two keys in Wine.
inline char16_t lowered(char16_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
    switch (c) {
    case 0x01C5: // Dz with caron
    case 0x01C8: // Lj
    case 0x01CB: // Nj
    case 0x01F2: // Dz
    case 0x03F4: // Greek capital theta symbol
    case 0x1E9E: // capital sharp s
    case 0x2126: // Ohm sign
    case 0x212A: // Kelvin sign
    case 0x212B: // Angstrom sign
        return c;
    default:
        return QChar(c).toLower().unicode();
    }
}

} // namespace

RegKey::RegKey(QString name, std::int64_t modified)
    : m_name(std::move(name))
    , m_modified(modified)
{
}

int RegKey::depth() const
{
    int d = 0;
    for (const RegKey* k = m_parent; k; k = k->m_parent)
        ++d;
    return d;
}

int RegKey::compareNames(QStringView a, QStringView b)
{
    const auto* pa = reinterpret_cast<const char16_t*>(a.utf16());
    const auto* pb = reinterpret_cast<const char16_t*>(b.utf16());
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] == pb[i])
            continue;
        const char16_t la = lowered(pa[i]);
        const char16_t lb = lowered(pb[i]);
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::size_t RegKey::NameHash::operator()(QStringView name) const
{
    std::size_t hash = 14695981039346656037ULL; // FNV-1a over the lowered units
    for (const QChar c : name) {
        hash ^= lowered(c.unicode());
        hash *= 1099511628211ULL;
    }
    return hash;
}

RegKey::Ptr RegKey::child(QStringView name) const
{
    // Keys are often asked for in the order files list them: the last child first.
    if (m_children.empty())
        return nullptr;
    const int last = compareNames(m_children.back()->m_name, name);
    if (last == 0)
        return m_children.back();
    if (last < 0)
        return nullptr;
    if (m_children.size() >= kIndexedChildren) {
        if (!m_childIndex) {
            m_childIndex = std::make_unique<ChildIndex>(m_children.size());
            for (const Ptr& c : m_children)
                m_childIndex->emplace(c->m_name, c);
        }
        const auto it = m_childIndex->find(name);
        return it == m_childIndex->end() ? nullptr : it->second;
    }
    auto it = std::lower_bound(m_children.begin(), m_children.end() - 1, name,
                               [](const Ptr& k, QStringView n) { return compareNames(k->m_name, n) < 0; });
    if (compareNames((*it)->m_name, name) == 0)
        return *it;
    return nullptr;
}

RegKey::Ptr RegKey::addChild(QString name, std::int64_t modified)
{
    auto key = std::make_shared<RegKey>(std::move(name), modified);
    key->m_parent = this;
    // Files come sorted, so the common case appends.
    if (m_children.empty() || compareNames(m_children.back()->m_name, key->m_name) < 0) {
        m_children.push_back(key);
    } else {
        auto it = std::lower_bound(m_children.begin(), m_children.end(), key->m_name,
                                   [](const Ptr& k, const QString& n) { return compareNames(k->m_name, n) < 0; });
        m_children.insert(it, key);
    }
    if (m_childIndex)
        m_childIndex->emplace(key->m_name, key);
    return key;
}

bool RegKey::removeChild(const QString& name)
{
    auto it = std::lower_bound(m_children.begin(), m_children.end(), name,
                               [](const Ptr& k, const QString& n) { return compareNames(k->m_name, n) < 0; });
    if (it == m_children.end() || compareNames((*it)->m_name, name) != 0)
        return false;
    Ptr removed = *it;
    m_children.erase(it);
    if (m_childIndex)
        m_childIndex->erase(removed->m_name);
    markSubtreeDeleted(*removed);
    return true;
}

void RegKey::markSubtreeDeleted(RegKey& key)
{
    // Iterative: a hive may be as deep as the registry allows.
    std::vector<RegKey*> pending{&key};
    while (!pending.empty()) {
        RegKey* k = pending.back();
        pending.pop_back();
        k->m_deleted = true;
        k->m_parent = nullptr;
        for (const Ptr& c : k->m_children)
            pending.push_back(c.get());
    }
}

const std::vector<RegValue>& RegKey::values() const
{
    if (!m_decoded)
        decodeSection();
    return m_decoded->values;
}

std::vector<RegValue>::iterator RegKey::findValue(QStringView name) const
{
    if (!m_decoded)
        decodeSection();
    auto& values = m_decoded->values;
    auto it = std::lower_bound(values.begin(), values.end(), name,
                               [](const RegValue& v, QStringView n) { return compareNames(v.name, n) < 0; });
    if (it != values.end() && compareNames(it->name, name) == 0)
        return it;
    return values.end();
}

const RegValue* RegKey::value(QStringView name) const
{
    auto it = findValue(name);
    return it == m_decoded->values.end() ? nullptr : &*it;
}

void RegKey::setValue(const QString& name, DWORD type, const QByteArray& data)
{
    auto it = findValue(name);
    if (it != m_decoded->values.end()) {
        // An existing name keeps the case it was created with.
        it->type = type;
        it->data = data;
        return;
    }
    auto& values = m_decoded->values;
    auto pos = std::lower_bound(values.begin(), values.end(), name,
                                [](const RegValue& v, const QString& n) { return compareNames(v.name, n) < 0; });
    values.insert(pos, RegValue{name, type, data});
}

bool RegKey::removeValue(const QString& name)
{
    auto it = findValue(name);
    if (it == m_decoded->values.end())
        return false;
    m_decoded->values.erase(it);
    return true;
}

void RegKey::removeAllValues()
{
    if (!m_decoded)
        decodeSection();
    m_decoded->values.clear();
}

const std::optional<QString>& RegKey::className() const
{
    if (!m_decoded)
        decodeSection();
    return m_decoded->className;
}

void RegKey::setClassName(const QString& className)
{
    if (!m_decoded)
        decodeSection();
    m_decoded->className = className;
}

void RegKey::touch(std::int64_t now)
{
    m_modified = now;
    m_changed = true;
}

std::unique_ptr<RegKey::Decoded> RegKey::makeDecoded(std::vector<RegValue> values, std::optional<QString> className)
{
    const auto less = [](const RegValue& a, const RegValue& b) { return compareNames(a.name, b.name) < 0; };
    if (!std::is_sorted(values.begin(), values.end(), less)) // files come sorted
        std::stable_sort(values.begin(), values.end(), less);
    // A later line for the same name replaces an earlier one, as Wine loads it.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (kept > 0 && compareNames(values[kept - 1].name, values[i].name) == 0) {
            values[kept - 1] = std::move(values[i]);
            continue;
        }
        if (kept != i)
            values[kept] = std::move(values[i]);
        ++kept;
    }
    values.resize(kept);
    auto decoded = std::make_unique<Decoded>();
    decoded->values = std::move(values);
    decoded->className = std::move(className);
    return decoded;
}

void RegKey::adoptValues(std::vector<RegValue> values, std::optional<QString> className)
{
    m_decoded = makeDecoded(std::move(values), std::move(className));
}

void RegKey::decodeSection() const
{
    std::vector<RegValue> values;
    std::optional<QString> className;
    if (m_section.text) {
        const char* p = m_section.text;
        const char* end = p + m_section.length;
        p = wineformat::nextLine(wineformat::lineEnd(p, end), end); // the key line
        QString error;
        while (p < end) {
            const char* eol = wineformat::lineEnd(p, end);
            const char* s = p;
            while (s < eol && (*s == ' ' || *s == '\t'))
                ++s;
            if (s < eol && (*s == '@' || *s == '"')) {
                int extra = 0;
                // A line the reader could not parse was reported at load time (and the hive left
                // read-only); it is skipped here.
                wineformat::ParsedValue parsed;
                if (const char* last = wineformat::parseValue(s, eol, end, parsed, extra, error)) {
                    values.push_back(RegValue{std::move(parsed.name), parsed.type, std::move(parsed.data)});
                    eol = last;
                }
            } else if (eol - s >= 8 && std::equal(s, s + 8, "#class=\"")) {
                QString name;
                if (wineformat::parseEscaped(s + 8, wineformat::trimCarriageReturn(s, eol), '"', name, error))
                    className = name;
            }
            p = wineformat::nextLine(eol, end);
        }
    }
    m_decoded = makeDecoded(std::move(values), std::move(className));
}
