#include "import/gpx/survey_text.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace survey {

namespace {

constexpr int first_exponent_shown = 15;

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

// Zero-padded to at least `width` characters, as printf's "%0*d" writes it.
char* write_padded(char* at, int value, std::size_t width)
{
    auto magnitude = static_cast<unsigned>(value);
    if (value < 0) {
        *at++ = '-';
        magnitude = 0u - magnitude;
        width -= std::min<std::size_t>(width, 1);
    }
    std::size_t length = 1;
    for (unsigned rest = magnitude / 10; rest != 0; rest /= 10)
        ++length;
    char* const end = at + std::max(length, width);
    for (char* digit = end; digit != at; magnitude /= 10)
        *--digit = static_cast<char>('0' + magnitude % 10);
    return end;
}

char* write_text(char* at, std::string_view text)
{
    return std::copy(text.begin(), text.end(), at);
}

// Shown only from 1E+15 on, so the power always has two or three digits.
std::size_t exponent_size(int exponent)
{
    return exponent < 100 ? 2 : 3;
}

}  // namespace

NumberText NumberText::of_value(double value)
{
    if (value == 0)
        return NumberText({false, {'0'}, 1, 0});
    return NumberText(round_to_significant(value));
}

NumberText NumberText::of_text(std::string_view text)
{
    if (const std::optional<Decimal> decimal = decimal_of_plain_text(text))
        return NumberText(*decimal);
    return of_value(text_to_double(text));
}

std::size_t NumberText::size() const
{
    const Decimal& d = decimal_;
    const std::size_t sign = d.negative ? 1 : 0;
    if (d.exponent >= first_exponent_shown)
        return sign + d.count + (d.count > 1 ? 1 : 0) + 2 + exponent_size(d.exponent);
    if (d.exponent < 0)
        return sign + 2 + static_cast<std::size_t>(-d.exponent - 1) + d.count;
    const auto whole_digits = static_cast<std::size_t>(d.exponent) + 1;
    return sign + (d.count <= whole_digits ? whole_digits : d.count + 1);
}

char* NumberText::write(char* at) const
{
    const Decimal& d = decimal_;
    const std::string_view digits(d.digits, d.count);
    if (d.negative)
        *at++ = '-';
    if (d.exponent >= first_exponent_shown) {
        *at++ = digits[0];
        if (d.count > 1) {
            *at++ = '.';
            at = write_text(at, digits.substr(1));
        }
        *at++ = 'E';
        *at++ = '+';
        return write_padded(at, d.exponent, 1);
    }
    if (d.exponent < 0) {
        *at++ = '0';
        *at++ = '.';
        at = std::fill_n(at, -d.exponent - 1, '0');
        return write_text(at, digits);
    }
    const auto whole_digits = static_cast<std::size_t>(d.exponent) + 1;
    if (d.count <= whole_digits)
        return std::fill_n(write_text(at, digits), whole_digits - d.count, '0');
    at = write_text(at, digits.substr(0, whole_digits));
    *at++ = '.';
    return write_text(at, digits.substr(whole_digits));
}

namespace {

void append(std::string& out, const NumberText& number)
{
    const std::size_t start = out.size();
    out.resize(start + number.size());
    number.write(out.data() + start);
}

}  // namespace

void append_double(std::string& out, double value)
{
    append(out, NumberText::of_value(value));
}

void append_number_text(std::string& out, std::string_view text)
{
    append(out, NumberText::of_text(text));
}

std::string double_to_text(double value)
{
    std::string text;
    append_double(text, value);
    return text;
}

char* write_int16(char* at, std::int16_t value)
{
    return write_padded(at, value, 1);
}

char* write_date(char* at, const CalendarDate& date)
{
    at = write_padded(at, date.day, 2);
    *at++ = '/';
    at = write_padded(at, date.month, 2);
    *at++ = '/';
    return write_padded(at, date.year, 4);
}

std::string date_to_text(const CalendarDate& date)
{
    std::string text(longest_date_text, '\0');
    text.resize(static_cast<std::size_t>(write_date(text.data(), date) - text.data()));
    return text;
}

}  // namespace survey
