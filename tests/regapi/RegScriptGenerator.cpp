#include "tests/regapi/RegScriptGenerator.h"

#include <random>
#include <vector>

namespace {

// Names that differ only in case, names around the order Wine sorts in ("_" and "[" between
// digits and letters, non-ASCII after "~"), and names that only some case tables fold together
// (Kelvin sign and k, titlecase and lowercase dz).
const std::vector<std::string> kKeyNames{"A",   "a",  "B",  "Key", "KEY", "key2", "_x", "[x]", "0",
                                         "~t",  "Z",  "ab", "a_b", "AB",  "\\u{E9}t\\u{E9}",
                                         "\\u{C9}T\\u{C9}", "\\u{212A}", "k", "\\u{1C5}", "\\u{1C6}"};
const std::vector<std::string> kValueNames{"",    "v",   "V", "Val", "val2", "_",   "Zed", "\\u{E9}",
                                           "a b", "[x]", "0", "ab",  "a_b",  "AB", "\\u{212A}", "k"};
const std::vector<std::string> kTexts{"", "x", "Hello", "C:\\Windows\\notepad.exe %1", "%SystemRoot%\\a",
                                      "\\u{E9}\\u{20AC}", "two words"};
const std::vector<std::string> kTypes{"none", "sz", "expand", "binary", "dword", "multi", "qword", "5", "0x1234"};
// Only handles with every right create and delete keys, and only handles that may query ask for a
// key's information: Wine lets any handle do these, which the engine, as Windows, does not.
const std::vector<std::string> kAccess{"all", "all", "all", "read", "write", "query", "set", "enum", "0x3"};

bool mayQuery(const std::string& access)
{
    return access == "all" || access == "read" || access == "query" || access == "0x3";
}

class Builder {
public:
    explicit Builder(std::uint32_t seed)
        : m_random(seed)
    {
    }

    std::string script(std::uint32_t seed, int calls)
    {
        m_out = "script seed-" + std::to_string(seed) + "\n";
        for (int i = 0; i < calls; ++i)
            call();
        return m_out;
    }

private:
    struct Handle {
        std::string name;
        bool full = false;  // opened with every right
        bool query = false; // opened with KEY_QUERY_VALUE
    };

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    template <typename T>
    const T& pick(const std::vector<T>& list)
    {
        return list[std::size_t(pick(int(list.size())))];
    }
    bool chance(int percent) { return pick(100) < percent; }

    std::string quoted(const std::string& text) { return "\"" + text + "\""; }

    std::string path()
    {
        std::string p = pick(kKeyNames);
        for (int depth = pick(3); depth > 0; --depth)
            p += "\\" + pick(kKeyNames);
        return p;
    }

    const Handle& anyHandle() { return m_handles[std::size_t(pick(int(m_handles.size())))]; }

    template <typename Test>
    const Handle& handleWhere(Test test)
    {
        for (int tries = 0; tries < 20; ++tries) {
            const Handle& h = anyHandle();
            if (test(h))
                return h;
        }
        return m_handles.front();
    }
    const Handle& fullHandle()
    {
        return handleWhere([](const Handle& h) { return h.full; });
    }

    std::string valueName() { return chance(5) ? std::string("null") : quoted(pick(kValueNames)); }

    std::string data(const std::string& type)
    {
        if (chance(4))
            return "null size 0";
        if (type == "dword" && chance(80))
            return "dword:" + std::to_string(m_random());
        if (type == "qword" && chance(80))
            return "qword:" + std::to_string(m_random());
        if ((type == "sz" || type == "expand") && chance(80))
            return (chance(85) ? "" : "~") + quoted(pick(kTexts));
        if (type == "multi" && chance(80)) {
            std::string pieces;
            for (int n = pick(3); n > 0; --n)
                pieces += quoted(pick(kTexts)) + " ";
            return pieces + "nul";
        }
        std::string hex = "hex:";
        static const char digits[] = "0123456789abcdef";
        for (int n = pick(12); n > 0; --n) {
            hex += digits[pick(16)];
            hex += digits[pick(16)];
        }
        return hex;
    }

    std::string bufferSize()
    {
        static const std::vector<std::string> sizes{"null", "0", "1", "2", "3", "4", "7", "8", "10", "16", "100"};
        return pick(sizes);
    }

    void line(const std::string& text) { m_out += text + "\n"; }

    void call()
    {
        const int kind = pick(100);
        if (kind < 18) {
            const bool viaClasses = chance(10);
            const std::string parent = viaClasses ? std::string("HKCR") : fullHandle().name;
            const std::string access = pick(kAccess);
            const std::string name = "h" + std::to_string(++m_count);
            const std::string p = path();
            if (parent == "cu")
                m_created.push_back(p);
            // No class: Wine sets a key's class on every create that passes through the key, even
            // to none; Windows and the engine keep the class the key was made with (see README).
            line("create " + name + " " + parent + " " + quoted((viaClasses ? "VarnookRegApi\\" : "") + p) + " " +
                 access);
            m_handles.push_back({name, access == "all", mayQuery(access)});
        } else if (kind < 26) {
            const std::string access = pick(kAccess);
            const std::string name = "h" + std::to_string(++m_count);
            // Mostly a key made before, so that the handle is likely to work.
            if (!m_created.empty() && chance(70))
                line("open " + name + " cu " + quoted(pick(m_created)) + " " + access);
            else
                line("open " + name + " " + anyHandle().name + " " + quoted(path()) + " " + access);
            m_handles.push_back({name, access == "all", mayQuery(access)});
        } else if (kind < 46) {
            const std::string type = pick(kTypes);
            line("set " + anyHandle().name + " " + valueName() + " " + type + " " + data(type));
        } else if (kind < 62) {
            line("query " + anyHandle().name + " " + valueName() + " " + bufferSize() + (chance(10) ? " notype" : "") +
                 (chance(5) ? " nosize" : ""));
        } else if (kind < 68) {
            line("delval " + anyHandle().name + " " + valueName());
        } else if (kind < 73) {
            line("delkey " + fullHandle().name + " " + quoted(path()));
        } else if (kind < 75) {
            line("deltree " + fullHandle().name + " " + (chance(20) ? std::string("null") : quoted(path())));
        } else if (kind < 81) {
            static const std::vector<std::string> chars{"0", "1", "2", "3", "4", "5", "100"};
            line("enumkey " + anyHandle().name + " " + std::to_string(pick(5)) + " " + pick(chars));
        } else if (kind < 88) {
            static const std::vector<std::string> chars{"0", "1", "2", "3", "4", "100"};
            line("enumval " + anyHandle().name + " " + std::to_string(pick(5)) + " " + pick(chars) + " " +
                 bufferSize() + (chance(10) ? " notype" : "") + (chance(5) ? " nosize" : ""));
        } else if (kind < 92) {
            line("keys " + anyHandle().name);
        } else if (kind < 96) {
            line("values " + anyHandle().name);
        } else if (kind < 98) {
            line("info " + handleWhere([](const Handle& h) { return h.query; }).name);
        } else if (m_handles.size() > 2) {
            // A closed handle's number may be handed out again by the next open, so it is not used again.
            const std::size_t index = 2 + std::size_t(pick(int(m_handles.size() - 2)));
            line("close " + m_handles[index].name);
            m_handles.erase(m_handles.begin() + std::ptrdiff_t(index));
        }
    }

    std::mt19937 m_random;
    std::string m_out;
    std::vector<Handle> m_handles{{"cu", true, true}, {"cr", true, true}};
    std::vector<std::string> m_created; // paths created below "cu"
    int m_count = 0;
};

} // namespace

std::string RegScriptGenerator::generate(std::uint32_t seed, int calls)
{
    return Builder(seed).script(seed, calls);
}
