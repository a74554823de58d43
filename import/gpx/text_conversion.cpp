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

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

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
struct NumberText {
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
std::optional<NumberText> number_core(std::string_view text)
{
#ifdef __SSE2__
    if (text.size() >= lane_count && text.size() <= 2 * lane_count)
        if (const std::optional<bool> whole = long_plain_number_is_whole(text))
            return NumberText{text, *whole, false};
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
    return NumberText{core, whole, has_exponent};
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
    return number_core(text).has_value();
}

double text_to_double(std::string_view text)
{
    const std::optional<NumberText> number = number_core(text);
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
    const std::optional<NumberText> number = number_core(text);
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

constexpr int significant_digits = 15;
constexpr int first_exponent_shown = 15;

// The value's significant digits, no trailing zeros, at least one digit.
struct Decimal {
    bool negative;
    char digits[significant_digits];
    std::size_t count;
    int exponent;  // power of ten of the first digit

    std::string_view digit_text() const { return {digits, count}; }
};

Decimal round_to_significant(double value)
{
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific,
                                      significant_digits - 1);
    const std::string_view written(text, static_cast<std::size_t>(result.ptr - text));
    Decimal decimal{written.front() == '-', {}, 0, 0};
    const std::string_view unsigned_text = written.substr(decimal.negative ? 1 : 0);
    const std::size_t e = unsigned_text.find('e');
    for (char c : unsigned_text.substr(0, e))
        if (c != '.')
            decimal.digits[decimal.count++] = c;
    while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0')
        --decimal.count;
    const std::string_view exponent = unsigned_text.substr(e + 1);
    std::from_chars(exponent.data() + (exponent.front() == '+' ? 1 : 0), exponent.data() + exponent.size(),
                    decimal.exponent);
    return decimal;
}

// Zero-padded to `width` digits, as printf's "%0*d" writes a value that is not negative.
void append_padded(std::string& out, int value, std::size_t width)
{
    char text[12];
    const auto result = std::to_chars(text, text + sizeof text, value);
    const auto length = static_cast<std::size_t>(result.ptr - text);
    if (length < width)
        out.append(width - length, '0');
    out.append(text, length);
}

// Shown only from 1E+15 on, so the power always has two digits or more.
void append_with_exponent(std::string& out, const Decimal& d)
{
    out += d.digits[0];
    if (d.count > 1) {
        out += '.';
        out += d.digit_text().substr(1);
    }
    out += "E+";
    append_padded(out, d.exponent, 1);
}

void append_plain(std::string& out, const Decimal& d)
{
    const std::string_view digits = d.digit_text();
    if (d.exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out += digits;
        return;
    }
    const std::size_t whole_digits = static_cast<std::size_t>(d.exponent) + 1;
    if (digits.size() <= whole_digits) {
        out += digits;
        out.append(whole_digits - digits.size(), '0');
        return;
    }
    out += digits.substr(0, whole_digits);
    out += '.';
    out += digits.substr(whole_digits);
}

void append_decimal(std::string& out, const Decimal& decimal)
{
    if (decimal.negative)
        out += '-';
    if (decimal.exponent >= first_exponent_shown)
        append_with_exponent(out, decimal);
    else
        append_plain(out, decimal);
}

// Plain number text this short lies well inside a double's normal range.
constexpr std::size_t longest_text_read_directly = 40;

// The digits past the 15th, their first three, as thousandths of a unit of the 15th.
constexpr int half_unit = 500;

// A double lies within 0.0111 times (its leading digit + 1) units of the
// 15th digit of the text it was read from: where the text's digits past the
// 15th lie that near a half, the double's own rounding may decide what the
// digits cannot.
bool near_half(int past_15th, char leading_digit)
{
    const int margin = 12 * (leading_digit - '0' + 1);
    return past_15th + 1 + margin > half_unit && past_15th < half_unit + margin;
}

// Adds one unit of the last digit, carrying.
void round_up(Decimal& decimal)
{
    std::size_t at = decimal.count;
    while (at > 0 && decimal.digits[at - 1] == '9')
        decimal.digits[--at] = '0';
    if (at > 0) {
        ++decimal.digits[at - 1];
        return;
    }
    decimal.digits[0] = '1';
    ++decimal.exponent;
}

// What round_to_significant gives for the double that plain number text (an
// optional "-", digits, at most one ".") reads as, taken from the text's
// digits; nothing for other text, zero, or digits near a half.
std::optional<Decimal> decimal_of_plain_text(std::string_view text)
{
    if (text.size() > longest_text_read_directly)
        return std::nullopt;
    Decimal decimal{text.starts_with('-'), {}, 0, 0};
    // The digits without the point, and how many stand before it.
    char digits[longest_text_read_directly];
    std::size_t count = 0;
    std::optional<std::size_t> whole_count;
    for (const char c : text.substr(decimal.negative ? 1 : 0)) {
        if (is_digit(c))
            digits[count++] = c;
        else if (c == '.' && !whole_count)
            whole_count = count;
        else
            return std::nullopt;
    }
    std::size_t lead = 0;
    while (lead < count && digits[lead] == '0')
        ++lead;
    if (lead == count)
        return std::nullopt;
    decimal.exponent = static_cast<int>(whole_count.value_or(count)) - static_cast<int>(lead) - 1;
    const std::size_t past = lead + std::min<std::size_t>(count - lead, significant_digits);
    decimal.count = past - lead;
    std::copy(digits + lead, digits + past, decimal.digits);
    // The digits past the 15th, their first three, as thousandths.
    int past_15th = 0;
    for (std::size_t at = past; at < past + 3; ++at)
        past_15th = past_15th * 10 + (at < count ? digits[at] - '0' : 0);
    if (near_half(past_15th, decimal.digits[0]))
        return std::nullopt;
    if (past_15th >= half_unit)
        round_up(decimal);
    while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0')
        --decimal.count;
    return decimal;
}

}  // namespace

void append_double(std::string& out, double value)
{
    if (value == 0) {
        out += '0';
        return;
    }
    append_decimal(out, round_to_significant(value));
}

void append_number_text(std::string& out, std::string_view text)
{
    if (const std::optional<Decimal> decimal = decimal_of_plain_text(text))
        append_decimal(out, *decimal);
    else
        append_double(out, text_to_double(text));
}

std::string double_to_text(double value)
{
    std::string text;
    append_double(text, value);
    return text;
}

void append_int16(std::string& out, std::int16_t value)
{
    append_padded(out, value, 1);
}

namespace {

// The digits of `text` from `from`, `count` of them, as a number.
int parse_digits(std::string_view text, std::size_t from, std::size_t count)
{
    int value = 0;
    for (std::size_t at = from; at < from + count; ++at) {
        if (!is_digit(text[at]))
            throw RuntimeError(ErrorKind::TypeMismatch);
        value = value * 10 + (text[at] - '0');
    }
    return value;
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

void append_date(std::string& out, const CalendarDate& date)
{
    append_padded(out, date.day, 2);
    out += '/';
    append_padded(out, date.month, 2);
    out += '/';
    append_padded(out, date.year, 4);
}

std::string date_to_text(const CalendarDate& date)
{
    std::string text;
    append_date(text, date);
    return text;
}

}  // namespace survey
