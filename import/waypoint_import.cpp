#include "import/waypoint_import.h"

#include "import/files/gpx_file.h"
#include "import/files/photo_moves.h"
#include "import/files/program_folders.h"
#include "import/files/staged_file.h"
#include "import/gpx/waypoint_parser.h"

namespace survey {

void import_waypoints(const std::string& gpx_path, const std::string& gpx_folder, const std::string& app_folder,
                      std::int16_t& obs_count)
{
    import_waypoints(system_file_effects(), gpx_path, gpx_folder, app_folder, obs_count);
}

void import_waypoints(FileEffects& effects, const std::string& gpx_path, const std::string& gpx_folder,
                      const std::string& app_folder, std::int16_t& obs_count)
{
    obs_count = 0;
    const GpxFile gpx(gpx_path);
    StagedFile survey(effects, survey_path(app_folder));
    ByteStream stream(gpx.fd(), gpx_path);
    const ImportPlan plan = plan_import(stream);
    if (plan.error) {
        // A photo that could not move was met before the fault in the content.
        check_photo_moves(plan.photo_moves, gpx_folder, app_folder);
        throw *plan.error;
    }

    // Each move is made in the order its photo was read, so the first that
    // fails is the one a check in that order would have found; the moves
    // before it are undone.
    survey.write_and_sync(plan.survey_text);
    MoveJournal journal(effects);
    for (const PhotoMove& photo : plan.photo_moves)
        journal.make(photo, gpx_folder, app_folder);
    survey.publish();
    journal.keep();

    flush_folder(app_folder);
    if (!plan.photo_moves.empty()) {
        flush_folder(photo_folder(app_folder));
        flush_folder(gpx_folder);
    }
    obs_count = plan.record_count;
}

void archive_gpx(const std::string& gpx_path, const std::string& gpx_name, const std::string& app_folder)
{
    archive_gpx(system_file_effects(), gpx_path, gpx_name, app_folder);
}

void archive_gpx(FileEffects& effects, const std::string& gpx_path, const std::string& gpx_name,
                 const std::string& app_folder)
{
    move_file(effects, {gpx_path, archive_folder(app_folder), gpx_name});
}

}  // namespace survey
