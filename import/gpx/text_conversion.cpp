#include "import/gpx/text_conversion.h"

#include "import/runtime_error.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace survey {

namespace {

// Mostly no spaces at all, so a byte at each end is looked at.
std::string_view trim_spaces(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

const char* skip_sign(const char* at, const char* end)
{
    return at != end && (*at == '+' || *at == '-') ? at + 1 : at;
}

const char* skip_digits(const char* at, const char* end)
{
    while (at != end && is_digit(*at))
        ++at;
    return at;
}

// Number text without its spaces, and its shape.
struct NumberCore {
    std::string_view core;
    bool whole;         // an optional sign and digits alone
    bool has_exponent;
};

#ifdef __SSE2__
// Coordinates as phones write them are 16 to 32 bytes long: looked at 16
// bytes at a time, where the machine can.
constexpr std::size_t lane_count = 16;

// Bit i set where byte i of `text`, 16 to 32 bytes long, is not a digit.
std::uint32_t non_digits(std::string_view text)
{
    const auto non_digits_from = [text](std::size_t from) {
        const __m128i lanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        const __m128i digits = _mm_and_si128(_mm_cmpgt_epi8(lanes, _mm_set1_epi8('0' - 1)),
                                             _mm_cmplt_epi8(lanes, _mm_set1_epi8('9' + 1)));
        return static_cast<std::uint32_t>(_mm_movemask_epi8(digits)) ^ 0xffffu;
    };
    const std::size_t last_lanes = text.size() - lane_count;
    return non_digits_from(0) | non_digits_from(last_lanes) << last_lanes;
}

// Whether text 16 to 32 bytes long of an optional sign, digits and at most
// one "." is whole; nothing for any other.
std::optional<bool> long_plain_number_is_whole(std::string_view text)
{
    std::uint32_t others = non_digits(text);
    if (text.front() == '+' || text.front() == '-')
        others &= ~1u;
    if (others == 0)
        return true;
    if ((others & (others - 1)) != 0 || text[static_cast<std::size_t>(std::countr_zero(others))] != '.')
        return std::nullopt;
    return false;
}
#endif

// The number without its spaces, or nothing when the text is not number text.
std::optional<NumberCore> number_core(std::string_view text)
{
#ifdef __SSE2__
    if (text.size() >= lane_count && text.size() <= 2 * lane_count)
        if (const std::optional<bool> whole = long_plain_number_is_whole(text))
            return NumberCore{text, *whole, false};
#endif
    const std::string_view core = trim_spaces(text);
    const char* const end = core.data() + core.size();
    const char* at = skip_sign(core.data(), end);
    const char* const whole_end = skip_digits(at, end);
    std::ptrdiff_t digits = whole_end - at;
    at = whole_end;
    const bool whole = at == end;
    if (at != end && *at == '.') {
        const char* const fraction_end = skip_digits(at + 1, end);
        digits += fraction_end - at - 1;
        at = fraction_end;
    }
    if (digits == 0)
        return std::nullopt;
    const bool has_exponent = at != end && (*at == 'e' || *at == 'E');
    if (has_exponent) {
        const char* const exponent_start = skip_sign(at + 1, end);
        at = skip_digits(exponent_start, end);
        if (at == exponent_start)
            return std::nullopt;
    }
    if (at != end)
        return std::nullopt;
    return NumberCore{core, whole, has_exponent};
}

// Up to 15 digits a whole number is exact in a double, so adding up its
// digits gives what the full conversion gives, for a fraction of its cost.
constexpr std::size_t most_exact_digits = 15;

double whole_number(std::string_view digits, bool negative)
{
    std::uint64_t value = 0;
    for (char c : digits)
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    const auto magnitude = static_cast<double>(value);
    return negative ? -magnitude : magnitude;
}

// The power of ten of the leading non-zero digit, saturated; tells a value
// too large for a double from one too small.
long leading_power(std::string_view core)
{
    const std::size_t mantissa_end = std::min(core.find_first_of("eE"), core.size());
    const std::string_view mantissa = core.substr(0, mantissa_end);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t lead = mantissa.find_first_of("123456789");
    long power = lead < point ? static_cast<long>(point - lead) - 1 : static_cast<long>(point) - static_cast<long>(lead);
    if (mantissa_end < core.size()) {
        long exponent = 0;
        const std::string_view text = core.substr(mantissa_end + 1);
        const char* const end = text.data() + text.size();
        for (const char* at = skip_sign(text.data(), end); at != end; ++at)
            exponent = std::min(exponent * 10 + (*at - '0'), 1'000'000L);
        power += text.front() == '-' ? -exponent : exponent;
    }
    return power;
}

}  // namespace

bool is_numeric(std::string_view text)
{
    // Asked of every waypoint name, which mostly starts with a letter, as no
    // number text does.
    if (!text.empty() && !is_digit(text.front()) && text.front() != ' ' && text.front() != '+' &&
        text.front() != '-' && text.front() != '.')
        return false;
    return number_core(text).has_value();
}

double text_to_double(std::string_view text)
{
    const std::optional<NumberCore> number = number_core(text);
    if (!number)
        throw RuntimeError(ErrorKind::TypeMismatch);
    const std::string_view core = number->core;
    const bool signed_text = core.front() == '+' || core.front() == '-';
    if (number->whole && core.size() - signed_text <= most_exact_digits)
        return whole_number(core.substr(signed_text), core.front() == '-');
    const std::string_view digits = core.front() == '+' ? core.substr(1) : core;
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (leading_power(core) > 0)
            throw RuntimeError(ErrorKind::Overflow);
        return core.front() == '-' ? -0.0 : 0.0;
    }
    if (error != std::errc{} || end != digits.data() + digits.size())
        throw RuntimeError(ErrorKind::TypeMismatch);
    return value;
}

// Without an exponent, number text this long or shorter has at most 308
// whole digits, and so lies within a double.
constexpr std::size_t longest_plain_double = 308;

void check_double(std::string_view text)
{
    const std::optional<NumberCore> number = number_core(text);
    if (!number)
        throw RuntimeError(ErrorKind::TypeMismatch);
    if (number->has_exponent || number->core.size() > longest_plain_double)
        text_to_double(number->core);
}

namespace {

// An optional "-" and up to four digits, as phones write satellite counts,
// is its own value: exact, and within 16 bits.
std::optional<std::int16_t> short_whole_number(std::string_view text)
{
    const bool negative = text.starts_with('-');
    const std::string_view digits = text.substr(negative ? 1 : 0);
    if (digits.empty() || digits.size() > 4)
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (!is_digit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return static_cast<std::int16_t>(negative ? -value : value);
}

}  // namespace

std::int16_t text_to_int16(std::string_view text)
{
    if (const std::optional<std::int16_t> value = short_whole_number(text))
        return *value;
    const double rounded = std::nearbyint(text_to_double(text));
    if (rounded < -32768.0 || rounded > 32767.0)
        throw RuntimeError(ErrorKind::Overflow);
    return static_cast<std::int16_t>(rounded);
}

namespace {

// The digits of `text` from `from`, `count` of them, as a number: added up
// before they are checked, since a date is read on every waypoint.
int parse_digits(std::string_view text, std::size_t from, std::size_t count)
{
    unsigned value = 0;
    bool digits_only = true;
    for (std::size_t at = from; at < from + count; ++at) {
        const unsigned digit = static_cast<unsigned char>(text[at]) - unsigned{'0'};
        digits_only &= digit <= 9;
        value = value * 10 + digit;
    }
    if (!digits_only)
        throw RuntimeError(ErrorKind::TypeMismatch);
    return static_cast<int>(value);
}

bool is_leap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap(year) ? 29 : days[month - 1];
}

}  // namespace

CalendarDate text_to_date(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        throw RuntimeError(ErrorKind::TypeMismatch);
    const CalendarDate date{parse_digits(text, 0, 4), parse_digits(text, 5, 2), parse_digits(text, 8, 2)};
    if (date.year < 100 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > days_in_month(date.year, date.month))
        throw RuntimeError(ErrorKind::TypeMismatch);
    return date;
}

}  // namespace survey
