#pragma once

#include <string>

// Said under the error of an archive at close that failed, since the window
// then closes: where the imported file stays, that its records are already in
// survey.csv, and how to archive it by hand.
std::string archive_failure_text(const std::string& gpx_path, const std::string& app_folder);
