#pragma once

#include "import/gpx/text_conversion.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Values written as survey.csv shows them, whatever the machine's locale.
// Each is worked out before it is written, so that a survey line makes room
// for all its fields at once and is written in place, rather than growing
// the survey text once for each of its dozens of pieces.
namespace survey {

constexpr int significant_digits = 15;

// A number's significant digits, no trailing zeros, at least one digit.
struct Decimal {
    bool negative;
    char digits[significant_digits];
    std::size_t count;
    int exponent;  // power of ten of the first digit
};

// At most 15 significant digits, plain decimals below 1e15, "." as the only
// separator, since a "," would split the survey column.
class NumberText {
public:
    static NumberText of_value(double value);
    // What of_value(text_to_double(text)) gives, read from the text's digits
    // where they alone decide them; fails as text_to_double does.
    static NumberText of_text(std::string_view text);

    std::size_t size() const;
    // Writes size() bytes from `at`; returns where they end.
    char* write(char* at) const;

private:
    explicit NumberText(const Decimal& decimal) : decimal_(decimal) {}

    Decimal decimal_;
};

std::string double_to_text(double value);
void append_double(std::string& out, double value);
// Appends what append_double(out, text_to_double(text)) does.
void append_number_text(std::string& out, std::string_view text);

// The most bytes the writers below write.
constexpr std::size_t longest_int16_text = 6;
constexpr std::size_t longest_date_text = 3 * 11 + 2;

char* write_int16(char* at, std::int16_t value);

// dd/mm/yyyy whatever the machine's locale, so every survey file reads alike.
char* write_date(char* at, const CalendarDate& date);
std::string date_to_text(const CalendarDate& date);

}  // namespace survey
