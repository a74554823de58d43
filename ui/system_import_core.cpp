#include "ui/system_import_core.h"

#include <sys/stat.h>
#include <unistd.h>

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

std::string SystemImportCore::stored_name(const std::string& path)
{
    // A POSIX name is stored as given, and may hold a backslash.
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 ? path.substr(path.rfind('/') + 1) : std::string();
}

void SystemImportCore::make_current_folder(const std::string& folder)
{
    ::chdir(folder.c_str());
}
