#pragma once

#include <cstddef>
#include <string_view>

namespace survey {

// 1-based position of the first `needle` in `text`, or 0 when absent.
std::ptrdiff_t instr(std::string_view text, std::string_view needle);

// `length` characters of `text` from the 1-based `start`, fewer where the
// text ends first. A start below 1 or a negative length is an Invalid argument.
std::string_view mid(std::string_view text, std::ptrdiff_t start, std::ptrdiff_t length);

}  // namespace survey
