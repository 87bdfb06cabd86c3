#pragma once

#include <cstdint>
#include <string>

// Random scripts for RegScriptInterpreter: a seed gives the same script each run (with the same
// standard library, whose distributions it uses).
class RegScriptGenerator {
public:
    static std::string generate(std::uint32_t seed, int calls);
};
