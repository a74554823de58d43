#include "import/waypoint_import.h"

#include "import/gpx_file.h"
#include "import/photo_moves.h"
#include "import/program_folders.h"
#include "import/staged_file.h"
#include "import/waypoint_parser.h"

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
    // A photo that cannot move was met before any later fault in the content.
    const std::vector<FileMove> moves = checked_photo_moves(plan.photo_moves, gpx_folder, app_folder);
    if (plan.error)
        throw *plan.error;

    survey.write_and_sync(plan.survey_text);
    MoveJournal journal(effects);
    for (const FileMove& move : moves)
        journal.make(move);
    survey.publish();
    journal.keep();

    flush_folder(app_folder);
    if (!moves.empty()) {
        flush_folder(photo_folder(app_folder));
        flush_folder(gpx_folder);
    }
    obs_count = plan.record_count;
}

}  // namespace survey
