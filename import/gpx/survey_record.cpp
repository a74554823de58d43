#include "import/gpx/survey_record.h"

#include "import/gpx/survey_text.h"

#include <algorithm>

namespace survey {

namespace {

// The most bytes each field may take, and the field written.

std::size_t most_bytes(const CalendarDate&)
{
    return longest_date_text;
}

std::size_t most_bytes(const NumberText& number)
{
    return number.size();
}

std::size_t most_bytes(std::int16_t)
{
    return longest_int16_text;
}

std::size_t most_bytes(std::string_view text)
{
    return text.size();
}

char* write_field(char* at, const CalendarDate& date)
{
    return write_date(at, date);
}

char* write_field(char* at, const NumberText& number)
{
    return number.write(at);
}

char* write_field(char* at, std::int16_t value)
{
    return write_int16(at, value);
}

char* write_field(char* at, std::string_view text)
{
    return std::copy(text.begin(), text.end(), at);
}

// Room for every field, each followed by ",", is made at once and the fields
// written straight into it; the last "," becomes the line's CR LF.
void append_fields(std::string& out, const auto&... fields)
{
    const std::size_t start = out.size();
    out.resize(start + (most_bytes(fields) + ...) + sizeof...(fields) + 1);
    char* at = out.data() + start;
    ((at = write_field(at, fields), *at++ = ','), ...);
    at[-1] = '\r';
    *at++ = '\n';
    out.resize(static_cast<std::size_t>(at - out.data()));
}

}  // namespace

void append_survey_line(const SurveyRecord& record, std::string& out)
{
    append_fields(out, record.fix_date, NumberText::of_text(record.latitude.text),
                  NumberText::of_text(record.longitude.text), record.subject, record.aux_value, record.c_label,
                  record.skin_label, record.tally, record.photos);
}

}  // namespace survey
