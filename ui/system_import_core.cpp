#include "ui/system_import_core.h"

survey::Recovery SystemImportCore::recover_interrupted_import(const std::string& app_folder)
{
    return survey::recover_interrupted_import(app_folder);
}

void SystemImportCore::import_waypoints(const std::string& gpx_path, const std::string& gpx_folder,
                                        const std::string& app_folder, std::int16_t& obs_count)
{
    survey::import_waypoints(gpx_path, gpx_folder, app_folder, obs_count);
}

void SystemImportCore::archive_gpx(const std::string& gpx_path, const std::string& gpx_name,
                                   const std::string& app_folder)
{
    survey::archive_gpx(gpx_path, gpx_name, app_folder);
}
