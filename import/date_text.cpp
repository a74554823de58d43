#include "import/date_text.h"

#include "import/runtime_error.h"

#include <cstdio>

namespace survey {

namespace {

int parse_digits(std::string_view text)
{
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            throw RuntimeError(ErrorKind::TypeMismatch);
        value = value * 10 + (c - '0');
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
    const CalendarDate date{parse_digits(text.substr(0, 4)), parse_digits(text.substr(5, 2)),
                            parse_digits(text.substr(8, 2))};
    if (date.year < 100 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > days_in_month(date.year, date.month))
        throw RuntimeError(ErrorKind::TypeMismatch);
    return date;
}

std::string date_to_text(const CalendarDate& date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.day, date.month, date.year);
    return text;
}

}  // namespace survey
