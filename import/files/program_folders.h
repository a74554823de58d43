#pragma once

#include "import/files/file_names.h"

#include <string>

namespace survey {

// Where the program keeps what it imports; `app_folder` has no trailing separator.
inline std::string survey_path(const std::string& app_folder)
{
    return app_folder + path_separator + "survey.csv";
}

inline std::string photo_folder(const std::string& app_folder)
{
    return app_folder + path_separator + "photosound" + path_separator;
}

inline std::string archive_folder(const std::string& app_folder)
{
    return app_folder + path_separator + "saveGPX" + path_separator;
}

}  // namespace survey
