#pragma once

#include "tests/regapi/RegScript.h"

#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

// Runs a script of registry calls, one per line, and prints one line per call: the call as written,
// " -> " and every result code and output. See tests/regapi/scripts/README.md for the commands.
class RegScriptInterpreter {
public:
    // The keys every script starts from, emptied and created anew by its "script" line.
    static const char16_t* const kUserBase;    // under HKEY_CURRENT_USER
    static const char16_t* const kClassesBase; // under HKEY_LOCAL_MACHINE

    explicit RegScriptInterpreter(std::ostream& out);
    ~RegScriptInterpreter();
    RegScriptInterpreter(const RegScriptInterpreter&) = delete;
    RegScriptInterpreter& operator=(const RegScriptInterpreter&) = delete;

    void run(std::istream& in);
    void runLine(const std::string& line);

private:
    struct Token {
        std::string word;        // a bare word, or the prefix before a quoted string ("~")
        regscript::Text text;    // a quoted string's characters
        bool quoted = false;
    };
    using Tokens = std::vector<Token>;

    // The data side of a query or an enumeration: BUF bytes or no buffer ("null"), then the options
    // nosize and notype, which pass no size or no type.
    struct DataBuffer {
        bool nullData = false;
        bool withSize = true;
        bool withType = true;
        std::uint32_t size = 0;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> bytes;

        std::uint8_t* data() { return nullData ? nullptr : bytes.data(); }
        std::uint32_t* sizeOut() { return withSize ? &size : nullptr; }
        std::uint32_t* typeOut() { return withType ? &type : nullptr; }
        // " type=… size=…" for what was passed, and " data=…" when a call that succeeded returned data.
        std::string fields() const;
        std::string dataField(long code) const;
    };
    // BUF at token `at`, the options after it.
    static DataBuffer dataBuffer(const Tokens& t, std::size_t at);

    static Tokens tokenize(const std::string& line);
    regscript::Handle handle(const Token& token) const;
    static std::uint32_t access(const std::string& word);
    static std::uint32_t valueType(const std::string& word);
    static std::uint32_t number(const std::string& word);
    static std::string quote(const regscript::Text& text);
    static std::string hex(const std::uint8_t* data, std::uint32_t size);
    void closeAll();

    std::string startScript(const Tokens& t);
    std::string create(const Tokens& t);
    std::string open(const Tokens& t);
    std::string close(const Tokens& t);
    std::string set(const Tokens& t);
    std::string query(const Tokens& t);
    std::string deleteValue(const Tokens& t);
    std::string deleteKey(const Tokens& t);
    std::string deleteTree(const Tokens& t);
    std::string enumKey(const Tokens& t);
    std::string enumValue(const Tokens& t);
    std::string info(const Tokens& t);
    std::string keys(const Tokens& t);
    std::string values(const Tokens& t);

    std::ostream& m_out;
    std::map<std::string, regscript::Handle> m_handles;
};
