#pragma once

#include <cstdint>
#include <string>

// Random scripts for RegScriptInterpreter: the same seed gives the same script on every machine.
class RegScriptGenerator {
public:
    static std::string generate(std::uint32_t seed, int calls);
};
