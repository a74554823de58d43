#include "import/gpx/survey_record.h"

#include "import/gpx/text_conversion.h"

namespace survey {

void append_survey_line(const SurveyRecord& record, std::string& out)
{
    out += date_to_text(record.fix_date);
    for (const std::string& field :
         {double_to_text(record.latitude), double_to_text(record.longitude), record.subject,
          std::to_string(record.aux_value), record.c_label, record.skin_label, std::to_string(record.tally),
          record.photos}) {
        out += ',';
        out += field;
    }
    out += "\r\n";
}

}  // namespace survey
