#include "import/waypoint_import.h"

#include "import/files/folder_lock.h"
#include "import/files/gpx_file.h"
#include "import/files/journaled_moves.h"
#include "import/files/photo_moves.h"
#include "import/files/program_folders.h"
#include "import/files/staged_file.h"
#include "import/gpx/waypoint_parser.h"

#include <cerrno>

namespace survey {

namespace {

// Moves the photos and publishes the survey as one change: the journal
// comes first, the survey's replace commits, and any failure before it
// puts every photo back.
void move_photos_and_publish(FileEffects& effects, const ImportPlan& plan, const std::string& gpx_path,
                             const std::string& gpx_folder, const std::string& app_folder, StagedFile& survey)
{
    std::vector<FileMove> file_moves = photo_file_moves(plan.photo_moves, gpx_folder, app_folder);
    // A move onto a taken name fails anyway. Found before the journal, in
    // file order, it leaves every later undo to files this change moved.
    if (any_target_taken(file_moves))
        check_photo_moves(plan.photo_moves, gpx_folder, app_folder);
    JournaledMoves moves(effects, app_folder, gpx_path, survey.temp_path(), survey.final_path(),
                         std::move(file_moves));
    // Whatever stops the change, it is undone; what could not be put back
    // stays named in the journal, with the staged file that says it never committed.
    const auto undo = [&moves, &survey] {
        std::optional<std::string> left = moves.undo();
        if (left)
            survey.keep_for_recovery();
        return left;
    };
    try {
        // In the order the photos were read, so the first that fails is the
        // one a check in that order would have found.
        moves.begin();
        for (std::size_t i = 0; i < moves.size(); ++i) {
            try {
                moves.make_next();
            } catch (const RuntimeError& error) {
                throw photo_move_error(error, plan.photo_moves[i]);
            }
        }
        moves.make_durable();
        survey.publish();
    } catch (const RuntimeError& error) {
        throw with_undo_failure(error, undo());
    } catch (...) {
        undo();
        throw;
    }
    // A source a copy left behind stays named in the journal; the next start
    // or archive says which.
    moves.finish();
}

}  // namespace

void import_waypoints(const std::string& gpx_path, const std::string& gpx_folder, const std::string& app_folder,
                      std::int16_t& obs_count)
{
    import_waypoints(system_file_effects(), gpx_path, gpx_folder, app_folder, obs_count);
}

void import_waypoints(FileEffects& effects, const std::string& gpx_path, const std::string& gpx_folder,
                      const std::string& app_folder, std::int16_t& obs_count)
{
    obs_count = 0;
    const FolderLock lock(app_folder);
    recover_locked(effects, app_folder);
    const GpxFile gpx(gpx_path);
    StagedFile survey(effects, writable_target(survey_path(app_folder)));
    ByteStream stream(gpx.fd(), gpx_path);
    const ImportPlan plan = plan_import(stream);
    if (plan.error) {
        // A photo that could not move was met before the fault in the content.
        check_photo_moves(plan.photo_moves, gpx_folder, app_folder);
        throw *plan.error;
    }

    survey.write_and_sync(plan.survey_text);
    if (plan.photo_moves.empty()) {
        survey.publish();
        flush_folder(parent_folder(survey.final_path()));
    } else {
        move_photos_and_publish(effects, plan, gpx_path, gpx_folder, app_folder, survey);
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
    const FolderLock lock(app_folder);
    recover_locked(effects, app_folder);
    const FileMove archive{gpx_path, archive_folder(app_folder), gpx_name};
    // Such as a GPX file imported from the archive folder itself.
    if (any_target_taken({archive}))
        throw move_failure(EEXIST, archive);
    // One move, but across file systems it is a copy and a removal, which a
    // crash must not split.
    JournaledMoves moves(effects, app_folder, gpx_path, {}, {}, {archive});
    try {
        moves.begin();
        moves.make_next();
    } catch (const RuntimeError& error) {
        throw with_undo_failure(error, moves.undo());
    }
    if (const std::optional<std::string> left = moves.finish())
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, gpx_path).with_detail(*left);
}

Recovery recover_interrupted_import(const std::string& app_folder)
{
    return recover_interrupted_import(system_file_effects(), app_folder);
}

Recovery recover_interrupted_import(FileEffects& effects, const std::string& app_folder)
{
    const FolderLock lock(app_folder);
    return recover_locked(effects, app_folder);
}

}  // namespace survey
