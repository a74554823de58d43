#pragma once

#include <string>
#include <string_view>

// The rules for names and paths of the system the program runs on: one file
// for each system, and the build picks it.
namespace survey {

// The separator this system writes between names in the paths it builds
// and shows: "\" on Windows, which reads "/" as well, and "/" elsewhere.
extern const char path_separator;

// The folder part of a path; "." when it has none. A drive's root keeps its
// separator, since without it the name means another folder.
std::string parent_folder(const std::string& path);

bool is_absolute_path(std::string_view path);

// A name as the file system compares it: as it is where names are
// compared byte for byte, in one letter case where case does not count.
std::string folded_name(std::string_view name);

// Photo names come from the GPX file: only a plain one-line name in the
// folder, that the file system can hold, is safe.
bool is_safe_file_name(std::string_view name);

}  // namespace survey
