#pragma once

#include "import/file_effects.h"

#include <cstdint>
#include <string>

namespace survey {

// Imports the GPX file at `gpx_path`: one survey.csv line in `app_folder` per
// committed sighting, and the photos it names moved from `gpx_folder` (which
// ends with "/") into the photo folder. On success `obs_count` holds the
// records written. On failure it is 0, a RuntimeError is thrown, and every
// file is as it was.
void import_waypoints(const std::string& gpx_path, const std::string& gpx_folder, const std::string& app_folder,
                      std::int16_t& obs_count);

// The same, with the file-system changes made through `effects`.
void import_waypoints(FileEffects& effects, const std::string& gpx_path, const std::string& gpx_folder,
                      const std::string& app_folder, std::int16_t& obs_count);

}  // namespace survey
