#include "platform/registry/RegKey.h"

#include "platform/registry/WineRegFormat.h"

#include <algorithm>

namespace {

inline char16_t lowered(char16_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
    return QChar(c).toLower().unicode();
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

RegKey::Ptr RegKey::child(const QString& name) const
{
    auto it = std::lower_bound(m_children.begin(), m_children.end(), name,
                               [](const Ptr& k, const QString& n) { return compareNames(k->m_name, n) < 0; });
    if (it != m_children.end() && compareNames((*it)->m_name, name) == 0)
        return *it;
    return nullptr;
}

RegKey::Ptr RegKey::addChild(const QString& name, std::int64_t modified)
{
    auto key = std::make_shared<RegKey>(name, modified);
    key->m_parent = this;
    // Files come sorted, so the common case appends.
    if (m_children.empty() || compareNames(m_children.back()->m_name, name) < 0) {
        m_children.push_back(key);
    } else {
        auto it = std::lower_bound(m_children.begin(), m_children.end(), name,
                                   [](const Ptr& k, const QString& n) { return compareNames(k->m_name, n) < 0; });
        m_children.insert(it, key);
    }
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

std::vector<RegValue>::iterator RegKey::findValue(const QString& name) const
{
    if (!m_decoded)
        decodeSection();
    auto& values = m_decoded->values;
    auto it = std::lower_bound(values.begin(), values.end(), name,
                               [](const RegValue& v, const QString& n) { return compareNames(v.name, n) < 0; });
    if (it != values.end() && compareNames(it->name, name) == 0)
        return it;
    return values.end();
}

const RegValue* RegKey::value(const QString& name) const
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
    if (!m_decoded)
        decodeSection();
    m_modified = now;
    m_changed = true;
}

std::unique_ptr<RegKey::Decoded> RegKey::makeDecoded(std::vector<RegValue> values, std::optional<QString> className)
{
    std::stable_sort(values.begin(), values.end(),
                     [](const RegValue& a, const RegValue& b) { return compareNames(a.name, b.name) < 0; });
    // A later line for the same name replaces an earlier one, as Wine loads it.
    std::vector<RegValue> unique;
    unique.reserve(values.size());
    for (auto& v : values) {
        if (!unique.empty() && compareNames(unique.back().name, v.name) == 0)
            unique.back() = std::move(v);
        else
            unique.push_back(std::move(v));
    }
    auto decoded = std::make_unique<Decoded>();
    decoded->values = std::move(unique);
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
        wineformat::ParsedValue parsed;
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
                if (const char* last = wineformat::parseValue(s, eol, end, parsed, extra, error)) {
                    values.push_back(RegValue{parsed.name, parsed.type, parsed.data});
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
