#pragma once

#include "import/waypoint_import.h"

#include <cstdint>
#include <string>

// What Form1 asks of the import core and of the file system beneath it:
// the core's entry points, and the two look-ups the window makes itself.
// Tests put a fake in its place.
class ImportCore {
public:
    virtual ~ImportCore() = default;

    virtual survey::Recovery recover_interrupted_import(const std::string& app_folder) = 0;
    virtual void import_waypoints(const std::string& gpx_path, const std::string& gpx_folder,
                                  const std::string& app_folder, std::int16_t& obs_count) = 0;
    virtual void archive_gpx(const std::string& gpx_path, const std::string& gpx_name,
                             const std::string& app_folder) = 0;

    // The name the file system stores for the entry `path` names, which may
    // differ from the path's own in letter case; "" when nothing is there.
    virtual std::string stored_name(const std::string& path) = 0;
    // Best effort: the window works with full paths either way.
    virtual void make_current_folder(const std::string& folder) = 0;
    // Whether this user may make files in `folder`. Where the answer is in
    // doubt, yes: the import then names what stopped it.
    virtual bool folder_is_writable(const std::string& folder) = 0;
};
