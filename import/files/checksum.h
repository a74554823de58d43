#pragma once

#include <cstdint>
#include <string_view>

namespace survey {

// FNV-1a over `bytes`: any one byte changed, or any two swapped, changes it.
// Cheap enough to run over a whole survey file.
inline std::uint64_t checksum_of(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325;
    for (const unsigned char byte : bytes)
        hash = (hash ^ byte) * 0x100000001b3;
    return hash;
}

}  // namespace survey
