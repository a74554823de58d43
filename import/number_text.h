#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace survey {

// Number text: optional spaces, an optional sign, digits with at most one
// ".", an optional exponent, optional spaces. The same rules hold whatever
// the machine's locale, since GPX files always use ".".
bool is_numeric(std::string_view text);

// Other text is a Type mismatch; a value beyond a double is an Overflow.
double text_to_double(std::string_view text);

// Rounds to nearest, ties to even; outside -32768..32767 is an Overflow.
std::int16_t text_to_int16(std::string_view text);

// At most 15 significant digits, plain decimals below 1e15, "." as the only
// separator, since a "," would split the survey column.
std::string double_to_text(double value);

}  // namespace survey
