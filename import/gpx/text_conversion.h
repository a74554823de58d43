#pragma once

#include "import/runtime_error.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The text the GPX file holds, cut at fixed positions and turned into
// numbers and dates. The same rules hold whatever the machine's locale,
// since GPX files always use "." and year-month-day.
namespace survey {

inline bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The cuts are made several times in every waypoint, so they are inline.

// 1-based position of the first `needle` in `text`, or 0 when absent.
inline std::ptrdiff_t instr(std::string_view text, std::string_view needle)
{
    // A needle of two bytes or more is looked for by its second: the first,
    // as the "<" of "</", mostly opens the line too, where a search for it
    // would stop in vain.
    if (needle.size() < 2) {
        const std::size_t found = text.find(needle);
        return found == std::string_view::npos ? 0 : static_cast<std::ptrdiff_t>(found) + 1;
    }
    for (std::size_t second = text.find(needle[1], 1); second != std::string_view::npos;
         second = text.find(needle[1], second + 1))
        if (text.substr(second - 1, needle.size()) == needle)
            return static_cast<std::ptrdiff_t>(second);
    return 0;
}

// `length` characters of `text` from the 1-based `start`, fewer where the
// text ends first. A start below 1 or a negative length is an Invalid argument.
inline std::string_view mid(std::string_view text, std::ptrdiff_t start, std::ptrdiff_t length)
{
    if (start < 1 || length < 0)
        throw RuntimeError(ErrorKind::InvalidArgument);
    const std::size_t from = std::min(static_cast<std::size_t>(start - 1), text.size());
    return text.substr(from, static_cast<std::size_t>(length));
}

// Number text: optional spaces, an optional sign, digits with at most one
// ".", an optional exponent, optional spaces.
bool is_numeric(std::string_view text);

// Other text is a Type mismatch; a value beyond a double is an Overflow.
double text_to_double(std::string_view text);

// Fails as text_to_double would, converting only text that may lie beyond a
// double, for values read on every waypoint and written only by a few.
void check_double(std::string_view text);

// Rounds to nearest, ties to even; outside -32768..32767 is an Overflow.
std::int16_t text_to_int16(std::string_view text);

struct CalendarDate {
    int year;
    int month;
    int day;
};

// Exactly YYYY-MM-DD, a real Gregorian date in years 100 to 9999; other
// text is a Type mismatch.
CalendarDate text_to_date(std::string_view text);

}  // namespace survey
