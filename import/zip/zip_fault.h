#pragma once

#include "import/runtime_error.h"

#include <cstdint>
#include <string>
#include <string_view>

// What the ZIP reader shares: its one kind of fault, and the little-endian
// fields every record is made of.
namespace survey {

// An Invalid file format at the ZIP, with `sentence`.
RuntimeError zip_fault(const std::string& zip_path, std::string sentence);

// A ZIP cut off or damaged where its records are: nothing in it can be trusted.
RuntimeError damaged_zip(const std::string& zip_path);

inline std::uint64_t little_endian(std::string_view bytes, std::size_t at, std::size_t width)
{
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

}  // namespace survey
