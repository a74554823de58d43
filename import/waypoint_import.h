#pragma once

#include "import/files/file_effects.h"
#include "import/files/recovery.h"

#include <cstdint>
#include <string>

namespace survey {

// Imports the GPX file at `gpx_path`: one survey.csv line in `app_folder` per
// committed sighting, and the photos it names moved from `gpx_folder` (which
// ends with "/") into the photo folder. A track the phone app shared as a
// ZIP is read in place and its photos copied out of it; the ZIP never
// changes. On success `obs_count` holds the records written. On failure it
// is 0, a RuntimeError is thrown, and every file is as it was; after a
// crash, the next start makes it so.
void import_waypoints(const std::string& gpx_path, const std::string& gpx_folder, const std::string& app_folder,
                      std::int16_t& obs_count);

// The same, with the file-system changes made through `effects`.
void import_waypoints(FileEffects& effects, const std::string& gpx_path, const std::string& gpx_folder,
                      const std::string& app_folder, std::int16_t& obs_count);

// Finishes or undoes an import or archive that a crash, a kill or a power
// cut interrupted, so that every file is as before it or as after it, with
// no temporary file left; says which it did. Throws a RuntimeError naming a
// file that could not be put back. Each import and archive does this first.
Recovery recover_interrupted_import(const std::string& app_folder);
Recovery recover_interrupted_import(FileEffects& effects, const std::string& app_folder);

// Moves the imported GPX file at `gpx_path` into the archive folder of
// `app_folder` under `gpx_name`, never replacing a file there; throws a
// RuntimeError naming what stopped it, and the file stays where it was.
void archive_gpx(const std::string& gpx_path, const std::string& gpx_name, const std::string& app_folder);

// The same, with the move made through `effects`.
void archive_gpx(FileEffects& effects, const std::string& gpx_path, const std::string& gpx_name,
                 const std::string& app_folder);

}  // namespace survey
