#pragma once

#include <array>
#include <cstdint>

using GuidBytes = std::array<std::uint8_t, 16>;

// Fills `bytes` as CoCreateGuid does: a random (version 4) UUID in the memory layout of a Windows
// GUID, from the system's secure random source. Returns 0 (S_OK).
long CoCreateGuid(GuidBytes& bytes);
