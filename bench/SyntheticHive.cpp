#include "bench/SyntheticHive.h"

#include "platform/registry/RegKey.h"
#include "platform/registry/RegistryApi.h"
#include "platform/registry/WineRegFormat.h"

#include <QSaveFile>

namespace {

struct NameLess {
    bool operator()(const QString& a, const QString& b) const { return RegKey::compareNames(a, b) < 0; }
};

} // namespace

struct SyntheticHive::Key {
    QString name;
    std::int64_t time = 0;
    bool link = false;
    std::map<QString, std::unique_ptr<Key>, NameLess> children;
    std::map<QString, std::pair<DWORD, QByteArray>, NameLess> values; // the default value sorts first
};

SyntheticHive::SyntheticHive(QString rootPath, std::int64_t firstTime)
    : m_rootPath(std::move(rootPath))
    , m_root(std::make_unique<Key>())
    , m_clock(wineformat::fileTimeFromUnixSeconds(firstTime))
{
}

SyntheticHive::~SyntheticHive() = default;
SyntheticHive::SyntheticHive(SyntheticHive&&) noexcept = default;
SyntheticHive& SyntheticHive::operator=(SyntheticHive&&) noexcept = default;

SyntheticHive::Key& SyntheticHive::key(QStringView path, Key* from)
{
    Key* k = from ? from : m_root.get();
    for (const QStringView part : path.split(u'\\', Qt::SkipEmptyParts)) {
        const QString name = part.toString();
        auto it = k->children.find(name);
        if (it == k->children.end()) {
            // Keys made one after another get times a few milliseconds apart, as an installer's would.
            m_clock += 10000 + static_cast<std::int64_t>(m_keyCount % 89) * 1733;
            auto child = std::make_unique<Key>();
            child->name = name;
            child->time = m_clock;
            it = k->children.emplace(name, std::move(child)).first;
            ++m_keyCount;
        }
        k = it->second.get();
    }
    return *k;
}

void SyntheticHive::setValue(Key& key, const QString& name, DWORD type, QByteArray data)
{
    auto [it, added] = key.values.try_emplace(name, type, std::move(data));
    if (!added)
        it->second = {type, std::move(data)};
    m_valueCount += added ? 1 : 0;
}

void SyntheticHive::setString(Key& key, const QString& name, const QString& text, DWORD type)
{
    setValue(key, name, type, regTextBytes(text));
}

void SyntheticHive::setMultiString(Key& key, const QString& name, const QStringList& items)
{
    QByteArray data;
    for (const QString& item : items)
        data.append(regTextBytes(item));
    data.append(2, '\0');
    setValue(key, name, REG_MULTI_SZ, data);
}

void SyntheticHive::setDword(Key& key, const QString& name, std::uint32_t value)
{
    QByteArray data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = char((value >> (8 * i)) & 0xFF);
    setValue(key, name, REG_DWORD, data);
}

void SyntheticHive::setQword(Key& key, const QString& name, std::uint64_t value)
{
    QByteArray data(8, '\0');
    for (int i = 0; i < 8; ++i)
        data[i] = char((value >> (8 * i)) & 0xFF);
    setValue(key, name, REG_QWORD, data);
}

void SyntheticHive::setBytes(Key& key, const QString& name, const QByteArray& bytes, DWORD type)
{
    setValue(key, name, type, bytes);
}

void SyntheticHive::setLink(Key& key, const QString& target)
{
    key.link = true;
    key.values.clear();
    QByteArray data = regTextBytes(target);
    data.chop(2); // a link's target is stored without its NUL
    setValue(key, QStringLiteral("SymbolicLinkValue"), REG_LINK, data);
}

QByteArray SyntheticHive::toText() const
{
    QByteArray out("WINE REGISTRY Version 2\n;; All keys relative to ");
    wineformat::appendEscaped(out, m_rootPath, "[]");
    out.append("\n\n#arch=win64\n");
    out.reserve(qsizetype(m_keyCount) * 120 + qsizetype(m_valueCount) * 60);

    QByteArray path;
    auto visit = [&](auto&& self, const Key& key) -> void {
        for (const auto& [name, child] : key.children) {
            const qsizetype parentLength = path.size();
            if (!path.isEmpty())
                path.append("\\\\", 2);
            wineformat::appendEscaped(path, child->name, "[]");
            if (!child->values.empty() || child->children.empty()) {
                out.append("\n[", 2);
                out.append(path);
                out.append("] ", 2);
                out.append(QByteArray::number(wineformat::unixSecondsFromFileTime(child->time)));
                out.append('\n');
                wineformat::appendTimeLine(out, child->time);
                if (child->link)
                    out.append("#link\n", 6);
                for (const auto& [valueName, value] : child->values)
                    wineformat::appendValueLine(out, valueName, value.first, value.second);
            }
            self(self, *child);
            path.truncate(parentLength);
        }
    };
    visit(visit, *m_root);
    return out;
}

bool SyntheticHive::writeFile(const QString& path, QString& error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toText()) < 0 || !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
