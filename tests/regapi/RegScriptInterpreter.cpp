#include "tests/regapi/RegScriptInterpreter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

using regscript::Handle;
using regscript::Text;

namespace {

// A handle no registry hands out, for the calls that must refuse an invalid handle.
constexpr Handle kBadHandle = 0x7fff0000;
// What the outputs hold before a call, so that a call that writes where it should not shows.
constexpr std::uint32_t kUntouched = 0xeeeeeeee;
constexpr std::uint8_t kFill = 0xab;
// What follows the bytes given to a set: never a NUL, so that no API finds a terminator past the
// size it was given (advapi32 extends a string's size when one follows; the engine never reads
// past the size, and scripts do not compare that).
constexpr std::uint8_t kGuard = 0xcc;

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void appendUnit(std::vector<std::uint8_t>& bytes, char16_t unit)
{
    bytes.push_back(std::uint8_t(unit & 0xff));
    bytes.push_back(std::uint8_t(unit >> 8));
}

std::string rc(long code)
{
    return "rc=" + std::to_string(code);
}

std::string field(const char* name, std::uint32_t value)
{
    return std::string(" ") + name + "=" + (value == kUntouched ? std::string("-") : std::to_string(value));
}

} // namespace

const char16_t* const RegScriptInterpreter::kUserBase = u"Software\\VarnookRegApi";
const char16_t* const RegScriptInterpreter::kClassesBase = u"Software\\Classes\\VarnookRegApi";

RegScriptInterpreter::RegScriptInterpreter(std::ostream& out)
    : m_out(out)
{
}

RegScriptInterpreter::~RegScriptInterpreter()
{
    closeAll();
}

void RegScriptInterpreter::run(std::istream& in)
{
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        runLine(line);
    }
    m_out.flush();
}

void RegScriptInterpreter::runLine(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#')
        return;
    std::string result;
    try {
        const Tokens t = tokenize(line.substr(first));
        const std::string& command = t.at(0).word;
        if (command == "script")
            result = startScript(t);
        else if (command == "create")
            result = create(t);
        else if (command == "open")
            result = open(t);
        else if (command == "close")
            result = close(t);
        else if (command == "set")
            result = set(t);
        else if (command == "query")
            result = query(t);
        else if (command == "delval")
            result = deleteValue(t);
        else if (command == "delkey")
            result = deleteKey(t);
        else if (command == "deltree")
            result = deleteTree(t);
        else if (command == "enumkey")
            result = enumKey(t);
        else if (command == "enumval")
            result = enumValue(t);
        else if (command == "info")
            result = info(t);
        else if (command == "keys")
            result = keys(t);
        else if (command == "values")
            result = values(t);
        else
            throw ScriptError("unknown command");
    } catch (const std::exception& e) {
        result = std::string("script error: ") + e.what();
    }
    m_out << line.substr(first) << " -> " << result << '\n';
}

// Words are separated by blanks; "..." is a string in which \u{HHHH} is one UTF-16 unit and every
// other character stands for itself (a backslash too, as in key paths). A word directly before
// the opening quote (~"abc") is kept as the string's prefix.
RegScriptInterpreter::Tokens RegScriptInterpreter::tokenize(const std::string& line)
{
    Tokens tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        Token token;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '"')
            token.word += line[i++];
        if (i < line.size() && line[i] == '"') {
            token.quoted = true;
            ++i;
            while (i < line.size() && line[i] != '"') {
                if (line.compare(i, 3, "\\u{") == 0) {
                    const std::size_t end = line.find('}', i);
                    if (end == std::string::npos)
                        throw ScriptError("unterminated \\u{");
                    token.text += char16_t(std::strtoul(line.substr(i + 3, end - i - 3).c_str(), nullptr, 16));
                    i = end + 1;
                } else {
                    token.text += char16_t(static_cast<unsigned char>(line[i++]));
                }
            }
            if (i >= line.size())
                throw ScriptError("unterminated string");
            ++i;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

Handle RegScriptInterpreter::handle(const Token& token) const
{
    if (token.word == "bad")
        return kBadHandle;
    if (token.word == "null")
        return 0;
    if (const Handle root = regscript::predefined(token.word))
        return root;
    const auto it = m_handles.find(token.word);
    if (it == m_handles.end())
        throw ScriptError("unknown handle " + token.word);
    return it->second;
}

std::uint32_t RegScriptInterpreter::access(const std::string& word)
{
    static const std::map<std::string, std::uint32_t> names{
        {"read", 0x20019},  {"write", 0x20006}, {"all", 0xf003f},  {"query", 0x0001},
        {"set", 0x0002},    {"createsub", 0x0004}, {"enum", 0x0008}, {"delete", 0x10000}};
    const auto it = names.find(word);
    return it != names.end() ? it->second : number(word);
}

std::uint32_t RegScriptInterpreter::valueType(const std::string& word)
{
    static const std::map<std::string, std::uint32_t> names{{"none", 0},   {"sz", 1},     {"expand", 2},
                                                             {"binary", 3}, {"dword", 4}, {"multi", 7},
                                                             {"qword", 11}};
    const auto it = names.find(word);
    return it != names.end() ? it->second : number(word);
}

std::uint32_t RegScriptInterpreter::number(const std::string& word)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(word.c_str(), &end, 0);
    if (word.empty() || *end != '\0')
        throw ScriptError("not a number: " + word);
    return std::uint32_t(value);
}

std::string RegScriptInterpreter::quote(const Text& text)
{
    std::string out = "\"";
    for (const char16_t unit : text) {
        if (unit >= 0x20 && unit < 0x7f && unit != '"') {
            out += char(unit);
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\u{%04X}", unsigned(unit));
            out += buffer;
        }
    }
    return out + "\"";
}

std::string RegScriptInterpreter::hex(const std::uint8_t* data, std::uint32_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint32_t i = 0; i < size; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out.empty() ? std::string("(empty)") : out;
}

void RegScriptInterpreter::closeAll()
{
    for (const auto& [name, key] : m_handles)
        regscript::closeKey(key);
    m_handles.clear();
}

// script NAME: closes the previous script's handles, empties both base keys and opens them anew as
// the handles "cu" (user) and "cr" (classes).
std::string RegScriptInterpreter::startScript(const Tokens& t)
{
    if (t.size() != 2)
        throw ScriptError("script needs a name");
    closeAll();
    const Text user = kUserBase;
    const Text classes = kClassesBase;
    const Handle hkcu = regscript::predefined("HKCU");
    const Handle hklm = regscript::predefined("HKLM");
    regscript::deleteTree(hkcu, &user);
    regscript::deleteTree(hklm, &classes);
    std::uint32_t disposition = 0;
    Handle key = 0;
    std::string result = "cu " + rc(regscript::createKey(hkcu, user, Text(), 0xf003f, &key, &disposition));
    m_handles["cu"] = key;
    result += " cr " + rc(regscript::createKey(hklm, classes, Text(), 0xf003f, &key, &disposition));
    m_handles["cr"] = key;
    return result;
}

// create H PARENT "path" ACCESS [class "name"] [nodisp]
std::string RegScriptInterpreter::create(const Tokens& t)
{
    Text className;
    bool withDisposition = true;
    for (std::size_t i = 5; i < t.size(); ++i) {
        if (t[i].word == "class")
            className = t.at(++i).text;
        else if (t[i].word == "nodisp")
            withDisposition = false;
        else
            throw ScriptError("unknown option " + t[i].word);
    }
    Handle key = kUntouched;
    std::uint32_t disposition = kUntouched;
    const long code = regscript::createKey(handle(t.at(2)), t.at(3).text, className, access(t.at(4).word), &key,
                                           withDisposition ? &disposition : nullptr);
    if (code == 0)
        m_handles[t.at(1).word] = key;
    return rc(code) + (withDisposition ? field("disp", disposition) : std::string());
}

// open H PARENT "path" ACCESS
std::string RegScriptInterpreter::open(const Tokens& t)
{
    Handle key = kUntouched;
    const long code = regscript::openKey(handle(t.at(2)), t.at(3).text, access(t.at(4).word), &key);
    if (code == 0)
        m_handles[t.at(1).word] = key;
    return rc(code);
}

// close H: the name stays bound to the closed handle, for calls that use it afterwards.
std::string RegScriptInterpreter::close(const Tokens& t)
{
    return rc(regscript::closeKey(handle(t.at(1))));
}

// set H NAME TYPE DATA... [size N]; NAME is "..." or null; DATA is null (no buffer) or pieces:
// "text" (UTF-16 with its NUL), ~"text" (without), hex:0a0b, dword:N, qword:N, nul.
std::string RegScriptInterpreter::set(const Tokens& t)
{
    const Text* name = t.at(2).word == "null" ? nullptr : &t.at(2).text;
    const std::uint32_t type = valueType(t.at(3).word);
    std::vector<std::uint8_t> bytes;
    bool nullData = false;
    bool sizeGiven = false;
    std::uint32_t size = 0;
    for (std::size_t i = 4; i < t.size(); ++i) {
        const Token& piece = t[i];
        if (piece.quoted) {
            for (const char16_t unit : piece.text)
                appendUnit(bytes, unit);
            if (piece.word != "~")
                appendUnit(bytes, 0);
        } else if (piece.word == "null") {
            nullData = true;
        } else if (piece.word == "nul") {
            appendUnit(bytes, 0);
        } else if (piece.word == "size") {
            size = number(t.at(++i).word);
            sizeGiven = true;
        } else if (piece.word.rfind("hex:", 0) == 0) {
            const std::string digits = piece.word.substr(4);
            for (std::size_t d = 0; d + 1 < digits.size(); d += 2)
                bytes.push_back(std::uint8_t(std::strtoul(digits.substr(d, 2).c_str(), nullptr, 16)));
        } else if (piece.word.rfind("dword:", 0) == 0 || piece.word.rfind("qword:", 0) == 0) {
            unsigned long long value = std::strtoull(piece.word.c_str() + 6, nullptr, 0);
            for (int b = 0; b < (piece.word[0] == 'd' ? 4 : 8); ++b, value >>= 8)
                bytes.push_back(std::uint8_t(value & 0xff));
        } else {
            throw ScriptError("unknown data " + piece.word);
        }
    }
    if (!sizeGiven)
        size = std::uint32_t(bytes.size());
    std::vector<std::uint8_t> buffer = bytes;
    buffer.resize(std::max<std::size_t>(buffer.size(), size) + 4, kGuard);
    for (std::size_t i = size; i < buffer.size(); ++i)
        buffer[i] = kGuard;
    return rc(regscript::setValue(handle(t.at(1)), name, type, nullData ? nullptr : buffer.data(), size));
}

RegScriptInterpreter::DataBuffer RegScriptInterpreter::dataBuffer(const Tokens& t, std::size_t at)
{
    DataBuffer buffer;
    buffer.nullData = t.at(at).word == "null";
    for (std::size_t i = at + 1; i < t.size(); ++i) {
        if (t[i].word == "nosize")
            buffer.withSize = false;
        else if (t[i].word == "notype")
            buffer.withType = false;
        else
            throw ScriptError("unknown option " + t[i].word);
    }
    buffer.size = buffer.nullData ? 0 : number(t.at(at).word);
    buffer.bytes.assign(std::size_t(buffer.size) + 1, kFill);
    buffer.type = kUntouched;
    return buffer;
}

std::string RegScriptInterpreter::DataBuffer::fields() const
{
    std::string result;
    if (withType)
        result += field("type", type);
    if (withSize)
        result += field("size", size);
    return result;
}

std::string RegScriptInterpreter::DataBuffer::dataField(long code) const
{
    return code == 0 && !nullData && withSize ? " data=" + hex(bytes.data(), size) : std::string();
}

// query H NAME BUF [nosize] [notype]; BUF is a byte count or null (no buffer).
std::string RegScriptInterpreter::query(const Tokens& t)
{
    const Text* name = t.at(2).word == "null" ? nullptr : &t.at(2).text;
    DataBuffer buffer = dataBuffer(t, 3);
    const long code = regscript::queryValue(handle(t.at(1)), name, buffer.typeOut(), buffer.data(), buffer.sizeOut());
    return rc(code) + buffer.fields() + buffer.dataField(code);
}

// delval H NAME
std::string RegScriptInterpreter::deleteValue(const Tokens& t)
{
    return rc(regscript::deleteValue(handle(t.at(1)), t.at(2).word == "null" ? nullptr : &t.at(2).text));
}

// delkey H "path"
std::string RegScriptInterpreter::deleteKey(const Tokens& t)
{
    return rc(regscript::deleteKey(handle(t.at(1)), t.at(2).text));
}

// deltree H "path"|null
std::string RegScriptInterpreter::deleteTree(const Tokens& t)
{
    return rc(regscript::deleteTree(handle(t.at(1)), t.at(2).word == "null" ? nullptr : &t.at(2).text));
}

// enumkey H INDEX CHARS: a name buffer of CHARS characters.
std::string RegScriptInterpreter::enumKey(const Tokens& t)
{
    std::uint32_t chars = number(t.at(3).word);
    Text name(std::size_t(chars) + 1, u'\xabab');
    const long code = regscript::enumKey(handle(t.at(1)), number(t.at(2).word), name.data(), &chars);
    std::string result = rc(code) + field("chars", chars);
    if (code == 0)
        result += " name=" + quote(name.substr(0, chars));
    return result;
}

// enumval H INDEX CHARS BUF [nosize] [notype]: a name buffer of CHARS characters, a data buffer of
// BUF bytes or none (null).
std::string RegScriptInterpreter::enumValue(const Tokens& t)
{
    std::uint32_t chars = number(t.at(3).word);
    DataBuffer buffer = dataBuffer(t, 4);
    Text name(std::size_t(chars) + 1, u'\xabab');
    const long code = regscript::enumValue(handle(t.at(1)), number(t.at(2).word), name.data(), &chars,
                                           buffer.typeOut(), buffer.data(), buffer.sizeOut());
    std::string result = rc(code) + field("chars", chars) + buffer.fields();
    if (code == 0)
        result += " name=" + quote(name.substr(0, chars)) + buffer.dataField(code);
    return result;
}

// info H
std::string RegScriptInterpreter::info(const Tokens& t)
{
    regscript::KeyInfo i;
    const long code = regscript::queryInfo(handle(t.at(1)), &i);
    std::string result = rc(code);
    if (code == 0)
        result += " class=" + quote(i.className) + field("subkeys", i.subKeys) +
                  field("maxsubkey", i.maxSubKeyChars) + field("maxclass", i.maxClassChars) +
                  field("values", i.values) + field("maxname", i.maxValueNameChars) +
                  field("maxdata", i.maxValueBytes);
    return result;
}

// keys H: every subkey name in the order enumerated, and the code that ended the enumeration.
std::string RegScriptInterpreter::keys(const Tokens& t)
{
    const Handle key = handle(t.at(1));
    std::string result;
    long code = 0;
    for (std::uint32_t index = 0; index < 10000; ++index) {
        Text name(512, u'\0');
        std::uint32_t chars = 512;
        code = regscript::enumKey(key, index, name.data(), &chars);
        if (code != 0)
            break;
        result += quote(name.substr(0, chars)) + " ";
    }
    return result + rc(code);
}

// values H: every value (name:type:data) in the order enumerated, and the code that ended it.
std::string RegScriptInterpreter::values(const Tokens& t)
{
    const Handle key = handle(t.at(1));
    std::string result;
    long code = 0;
    for (std::uint32_t index = 0; index < 10000; ++index) {
        Text name(16384, u'\0');
        std::uint32_t chars = 16384;
        std::vector<std::uint8_t> data(70000);
        std::uint32_t size = std::uint32_t(data.size());
        std::uint32_t type = 0;
        code = regscript::enumValue(key, index, name.data(), &chars, &type, data.data(), &size);
        if (code != 0)
            break;
        result += quote(name.substr(0, chars)) + ":" + std::to_string(type) + ":" + hex(data.data(), size) + " ";
    }
    return result + rc(code);
}
