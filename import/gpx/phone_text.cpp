#include "import/gpx/phone_text.h"

#include "import/gpx/text_conversion.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace survey {

namespace {

constexpr std::size_t longest_unit = 8;  // code points: the app's units run to 4

unsigned char byte_at(std::string_view text, std::size_t at)
{
    return static_cast<unsigned char>(text[at]);
}

// The length of the well-formed UTF-8 sequence that `text` starts with, or 0.
std::size_t utf8_sequence_length(std::string_view text)
{
    const unsigned char lead = byte_at(text, 0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char second_low = 0x80;
    unsigned char second_high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        second_low = lead == 0xe0 ? 0xa0 : 0x80;  // no overlong forms
        second_high = lead == 0xed ? 0x9f : 0xbf;  // no surrogates
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        second_low = lead == 0xf0 ? 0x90 : 0x80;
        second_high = lead == 0xf4 ? 0x8f : 0xbf;
    }
    if (length == 0 || text.size() < length || byte_at(text, 1) < second_low || byte_at(text, 1) > second_high)
        return 0;
    for (std::size_t at = 2; at < length; ++at)
        if (byte_at(text, at) < 0x80 || byte_at(text, at) > 0xbf)
            return 0;
    return length;
}

// Code points of UTF-8 text, a byte that is not well-formed UTF-8 counting as one.
std::size_t code_points(std::string_view text)
{
    std::size_t count = 0;
    for (; !text.empty(); ++count)
        text.remove_prefix(std::max<std::size_t>(utf8_sequence_length(text), 1));
    return count;
}

std::size_t digits_from(std::string_view text, std::size_t at)
{
    const std::size_t end = std::find_if_not(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(), is_digit) -
                            text.begin();
    return end - at;
}

// Whether the text is a double as Java writes it: [0-9]+\.[0-9]+(E-?[0-9]+)?
bool is_java_double_text(std::string_view text)
{
    std::size_t at = digits_from(text, 0);
    if (at == 0 || at == text.size() || text[at] != '.')
        return false;
    const std::size_t fraction = digits_from(text, ++at);
    if (fraction == 0)
        return false;
    at += fraction;
    if (at == text.size())
        return true;
    if (text[at] != 'E')
        return false;
    if (++at < text.size() && text[at] == '-')
        ++at;
    const std::size_t exponent = digits_from(text, at);
    return exponent != 0 && at + exponent == text.size();
}

bool may_stand_in_unit(char c)
{
    return !is_digit(c) && c != ' ' && c != '(' && c != ')';
}

bool may_stand_in_number(char c)
{
    return is_digit(c) || c == '.' || c == 'E' || c == '-';
}

// Where the accuracy ending of the name starts, or the name's size when it has none.
std::size_t accuracy_ending(std::string_view name)
{
    if (!name.ends_with(')'))
        return name.size();
    const std::size_t close = name.size() - 1;
    std::size_t unit = close;
    while (unit > 0 && may_stand_in_unit(name[unit - 1]))
        --unit;
    const std::size_t unit_length = code_points(name.substr(unit, close - unit));
    if (unit_length == 0 || unit_length > longest_unit)
        return name.size();
    std::size_t number = unit;
    while (number > 0 && may_stand_in_number(name[number - 1]))
        --number;
    if (number < 2 || name[number - 1] != '(' || name[number - 2] != ' ' ||
        !is_java_double_text(name.substr(number, unit - number)))
        return name.size();
    return number - 2;
}

// Made with two library searches rather than a loop over the name, which a
// short name pays more for than for its bytes.
bool holds_line_break(std::string_view name)
{
    return name.find('\n') != std::string_view::npos || name.find('\r') != std::string_view::npos;
}

// In place: a space is never longer than the line break it stands for.
void spaces_for_line_breaks(std::string& name)
{
    std::size_t kept = 0;
    for (std::size_t at = 0; at < name.size(); ++at) {
        const char c = name[at];
        if (c == '\r' && at + 1 < name.size() && name[at + 1] == '\n')
            ++at;
        name[kept++] = c == '\r' || c == '\n' ? ' ' : c;
    }
    name.resize(kept);
}

int hex_value(char c)
{
    if (is_digit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Persian and Arabic digits in UTF-8: a lead byte, then a second byte from
// the zero of its range.
struct DigitRange {
    unsigned char lead;
    unsigned char zero;
};
constexpr DigitRange eastern_digits[] = {{0xdb, 0xb0}, {0xd9, 0xa0}};

// The Latin digit of the eastern one starting at `at`, or 0.
char latin_digit_at(std::string_view text, std::size_t at)
{
    if (at + 1 >= text.size())
        return 0;
    for (const DigitRange& range : eastern_digits) {
        const int value = byte_at(text, at + 1) - range.zero;
        if (byte_at(text, at) == range.lead && value >= 0 && value <= 9)
            return static_cast<char>('0' + value);
    }
    return 0;
}

// Asked of every time line, mostly ASCII throughout: looked at 16 bytes at
// a time where the machine can.
bool is_ascii(std::string_view text)
{
    std::size_t at = 0;
#ifdef __SSE2__
    constexpr std::size_t lane_count = 16;
    const auto high_bits = [&text](std::size_t from) {
        return _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from)));
    };
    if (text.size() >= lane_count) {
        for (; at + lane_count <= text.size(); at += lane_count)
            if (high_bits(at) != 0)
                return false;
        return high_bits(text.size() - lane_count) == 0;
    }
#endif
    for (; at < text.size(); ++at)
        if (byte_at(text, at) >= 0x80)
            return false;
    return true;
}

}  // namespace

void tidy_waypoint_name(std::string& name)
{
    if (holds_line_break(name))
        spaces_for_line_breaks(name);
    name.resize(accuracy_ending(name));
}

std::string_view with_latin_digits(std::string_view text, std::string& buffer)
{
    if (is_ascii(text))
        return text;
    buffer.clear();
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char digit = latin_digit_at(text, at);
        buffer += digit != 0 ? digit : text[at];
        at += digit != 0;
    }
    return buffer;
}

std::string url_decoded(std::string_view text)
{
    std::string name;
    name.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const int high = text[at] == '%' && at + 2 < text.size() ? hex_value(text[at + 1]) : -1;
        const int low = high >= 0 ? hex_value(text[at + 2]) : -1;
        if (low >= 0) {
            name += static_cast<char>(high * 16 + low);
            at += 2;
        } else {
            name += text[at] == '+' ? ' ' : text[at];
        }
    }
    return name;
}

}  // namespace survey
