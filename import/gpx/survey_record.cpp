#include "import/gpx/survey_record.h"

#include "import/gpx/text_conversion.h"

namespace survey {

namespace {

void append_field(std::string& out, const CalendarDate& date)
{
    append_date(out, date);
}

void append_field(std::string& out, CoordinateText coordinate)
{
    append_number_text(out, coordinate.text);
}

void append_field(std::string& out, std::int16_t value)
{
    append_int16(out, value);
}

void append_field(std::string& out, std::string_view text)
{
    out += text;
}

// Each field straight into the output, so a survey of thousands of lines
// makes no text of its own per field.
void append_fields(std::string& out, const auto& first, const auto&... rest)
{
    append_field(out, first);
    ((out += ',', append_field(out, rest)), ...);
}

}  // namespace

void append_survey_line(const SurveyRecord& record, std::string& out)
{
    append_fields(out, record.fix_date, record.latitude, record.longitude, record.subject, record.aux_value,
                  record.c_label, record.skin_label, record.tally, record.photos);
    out += "\r\n";
}

}  // namespace survey
