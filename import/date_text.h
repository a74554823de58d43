#pragma once

#include <string>
#include <string_view>

namespace survey {

struct CalendarDate {
    int year;
    int month;
    int day;
};

// Exactly YYYY-MM-DD, a real Gregorian date in years 100 to 9999; other
// text is a Type mismatch.
CalendarDate text_to_date(std::string_view text);

// dd/mm/yyyy whatever the machine's locale, so every survey file reads alike.
std::string date_to_text(const CalendarDate& date);

}  // namespace survey
