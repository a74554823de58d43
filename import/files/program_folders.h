#pragma once

#include <string>

namespace survey {

// Where the program keeps what it imports; `app_folder` has no trailing "/".
inline std::string survey_path(const std::string& app_folder)
{
    return app_folder + "/survey.csv";
}

inline std::string photo_folder(const std::string& app_folder)
{
    return app_folder + "/photosound/";
}

inline std::string archive_folder(const std::string& app_folder)
{
    return app_folder + "/saveGPX/";
}

}  // namespace survey
