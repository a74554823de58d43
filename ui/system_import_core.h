#pragma once

#include "ui/import_core.h"

// The real import core on this machine's file system. The three entry points
// are the core's own; the folder calls have one file per system.
class SystemImportCore : public ImportCore {
public:
    survey::Recovery recover_interrupted_import(const std::string& app_folder) override;
    void import_waypoints(const std::string& gpx_path, const std::string& gpx_folder, const std::string& app_folder,
                          std::int16_t& obs_count) override;
    void archive_gpx(const std::string& gpx_path, const std::string& gpx_name, const std::string& app_folder) override;
    std::string stored_name(const std::string& path) override;
    void make_current_folder(const std::string& folder) override;
    bool folder_is_writable(const std::string& folder) override;
};
