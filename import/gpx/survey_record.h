#pragma once

#include "import/gpx/text_conversion.h"

#include <cstdint>
#include <string>

namespace survey {

// One committed sighting, as one line of survey.csv.
struct SurveyRecord {
    CalendarDate fix_date;
    double latitude;
    double longitude;
    std::string subject;
    std::int16_t aux_value;
    std::string c_label;
    std::string skin_label;
    std::int16_t tally;
    std::string photos;
};

// Appends the record's line: the nine fields joined by "," with nothing
// quoted, ended by CR LF. Names pass through byte for byte.
void append_survey_line(const SurveyRecord& record, std::string& out);

}  // namespace survey
