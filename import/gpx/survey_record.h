#pragma once

#include "import/gpx/text_conversion.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace survey {

// Number text already checked, written as the double it reads as.
struct CoordinateText {
    std::string_view text;
};

// One committed sighting, as one line of survey.csv; the texts are the
// sighting's own, looked at only while the line is written.
struct SurveyRecord {
    CalendarDate fix_date;
    CoordinateText latitude;
    CoordinateText longitude;
    std::string_view subject;
    std::int16_t aux_value;
    std::string_view c_label;
    std::string_view skin_label;
    std::int16_t tally;
    std::string_view photos;
};

// Appends the record's line: the nine fields joined by "," with nothing
// quoted, ended by CR LF. Names pass through byte for byte.
void append_survey_line(const SurveyRecord& record, std::string& out);

}  // namespace survey
