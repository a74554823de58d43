#include "ui/archive_failure_text.h"

#include "ui/path_name.h"

std::string archive_failure_text(const std::string& gpx_path, const std::string& app_folder)
{
    return "The imported file stays where it is, at " + gpx_path +
           ", and its records are already in survey.csv, so do not import it again: to archive it by hand, move it "
           "into " + path_in(app_folder, "saveGPX") + ".";
}
