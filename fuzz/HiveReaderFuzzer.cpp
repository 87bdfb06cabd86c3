// Wine registry files: whatever the reader accepts without a problem must save, read back without
// a problem to the same tree, and save again byte for byte; written anew key by key (as after a
// change), every value must survive the writer's escaping.

#include "fuzz/FuzzSupport.h"

#include "platform/registry/HiveReader.h"
#include "platform/registry/HiveWriter.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

struct KeyState {
    QString path; // the names from the root down, as stored, each after a \x01
    std::optional<std::int64_t> modified; // none for a key whose file states no time
    bool link = false;
    std::optional<QString> className;
    std::vector<RegValue> values;
};

bool sameValues(const std::vector<RegValue>& a, const std::vector<RegValue>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const RegValue& x, const RegValue& y) {
        return x.name == y.name && x.type == y.type && x.data == y.data;
    });
}

bool sameKeys(const std::vector<KeyState>& a, const std::vector<KeyState>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const KeyState& x = a[i];
        const KeyState& y = b[i];
        // A key without a stated time gets the time of its loading; only times both files state
        // compare.
        const bool sameTime = !x.modified || !y.modified || *x.modified == *y.modified;
        if (x.path != y.path || !sameTime || x.link != y.link || x.className != y.className ||
            !sameValues(x.values, y.values))
            return false;
    }
    return true;
}

// Whether the file states the key's time, on its key line or in a #time line. A section without
// either is written back without one, and each load gives the key the time of that load.
bool statesTime(const RegKey& key)
{
    if (key.isChanged())
        return true; // written anew, with its time
    if (!key.hasSection())
        return false; // only implied by its subkeys' paths
    const QByteArrayView text(key.section().text, key.section().length);
    const qsizetype lineEnd = text.indexOf('\n');
    const QByteArrayView keyLine = lineEnd < 0 ? text : text.first(lineEnd);
    return !keyLine.sliced(keyLine.lastIndexOf(']') + 1).trimmed().isEmpty() || text.contains("#time=");
}

// Every key in the order of the tree, values decoded (the lazy decoder is a parser too).
std::vector<KeyState> keysOf(const Hive& hive)
{
    std::vector<KeyState> keys;
    std::vector<std::pair<const RegKey*, QString>> pending{{hive.root().get(), QString()}};
    while (!pending.empty()) {
        auto [key, path] = pending.back();
        pending.pop_back();
        KeyState state;
        state.path = path;
        if (statesTime(*key))
            state.modified = key->modified();
        state.link = key->isLink();
        state.className = key->className();
        state.values = key->values();
        keys.push_back(std::move(state));
        const auto& children = key->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.emplace_back(it->get(), path + QLatin1Char('\x01') + (*it)->name());
    }
    return keys;
}

std::shared_ptr<Hive> readClean(const QByteArray& text)
{
    HiveReader::Result result = HiveReader::read(text, QStringLiteral("saved.reg"));
    fuzz::require(result.hive != nullptr, "a saved hive reads as a registry");
    fuzz::require(result.hive->problemCount() == 0, "a saved hive reads without problems");
    return result.hive;
}

void touchAll(const RegKey::Ptr& key)
{
    key->touch(key->modified());
    for (const RegKey::Ptr& child : key->children())
        touchAll(child);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text = fuzz::bytesOf(data, size);
    HiveReader::Result result = HiveReader::read(text, QStringLiteral("fuzz.reg"));
    if (!result.hive) {
        fuzz::require(!result.error.isEmpty(), "a file that is no registry is refused with a reason");
        return 0;
    }
    const Hive& hive = *result.hive;
    fuzz::require(hive.problemCount() >= hive.problems().size(), "every reported problem is counted");
    const std::vector<KeyState> keys = keysOf(hive);
    if (hive.problemCount() > 0)
        return 0; // such a hive is never written back

    const QByteArray saved = HiveWriter::toBytes(hive);
    const std::shared_ptr<Hive> reread = readClean(saved);
    fuzz::require(sameKeys(keysOf(*reread), keys), "a saved hive reads back to the same tree");
    fuzz::require(HiveWriter::toBytes(*reread) == saved, "an unchanged hive saves byte for byte");

    touchAll(result.hive->root());
    const std::shared_ptr<Hive> rewritten = readClean(HiveWriter::toBytes(hive));
    fuzz::require(sameKeys(keysOf(*rewritten), keys), "keys written anew read back to the same tree");

    // Keys touched before anything decoded them keep their value lines as read.
    const std::shared_ptr<Hive> undecoded = HiveReader::read(text, QStringLiteral("fuzz.reg")).hive;
    touchAll(undecoded->root());
    const std::shared_ptr<Hive> kept = readClean(HiveWriter::toBytes(*undecoded));
    fuzz::require(sameKeys(keysOf(*kept), keys), "keys touched undecoded read back to the same tree");
    return 0;
}
