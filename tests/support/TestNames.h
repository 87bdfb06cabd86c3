#pragma once

#include <cctype>
#include <string>

// A GoogleTest parameter name made of a readable label.
inline std::string testName(const char* label)
{
    std::string name = label;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}
