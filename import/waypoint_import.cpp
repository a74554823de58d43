#include "import/waypoint_import.h"

#include "import/files/change.h"
#include "import/files/file_error.h"
#include "import/files/folder_lock.h"
#include "import/files/chosen_file.h"
#include "import/files/photo_moves.h"
#include "import/files/program_folders.h"
#include "import/files/staged_file.h"
#include "import/gpx/waypoint_parser.h"

#include <cerrno>
#include <optional>

namespace survey {

void import_waypoints(const std::string& gpx_path, const std::string& gpx_folder, const std::string& app_folder,
                      std::int16_t& obs_count)
{
    import_waypoints(system_file_effects(), gpx_path, gpx_folder, app_folder, obs_count);
}

namespace {

// A failure the disk reported, with nothing more to say of it: every file
// is then as it was.
RuntimeError with_disk_sentence(const RuntimeError& error)
{
    if (error.kind() != ErrorKind::DeviceIoError)
        return error;
    return explained(error, "The disk reported an error at this file, and nothing was changed: check the card or "
                            "disk, then try again.");
}

// The import of the chosen file, once its program folder is held and
// settled; returns the records it wrote.
std::int16_t import_settled(FileEffects& effects, ChosenFile& gpx, const std::string& gpx_folder,
                            const std::string& app_folder)
{
    const std::string survey_file = writable_target(effects, survey_path(app_folder));
    ByteStream stream = gpx.stream();
    const ImportPlan plan = plan_import(stream);
    gpx.read_to_end();
    const PhotoOrigin origin{gpx_folder, gpx};
    if (plan.error) {
        // A photo that could not move was met before the fault in the content.
        check_photo_moves(effects, plan.photo_moves, origin, app_folder);
        throw *plan.error;
    }

    std::vector<FileMove> moves = photo_file_moves(plan.photo_moves, origin, app_folder);
    // A move onto a taken name fails anyway. Found before the change, in file
    // order, it leaves every later undo to files this change moved.
    if (any_target_taken(effects, moves))
        check_photo_moves(effects, plan.photo_moves, origin, app_folder);
    // Staged only now, with the file read whole and planned: a staged survey
    // that a start finds without a journal is then always of a change that
    // never committed (R1, R7).
    StagedFile survey(effects, survey_file);
    survey.write_and_sync(plan.survey_text);
    // A source a copy left behind stays named in the journal; the next start
    // or archive says which.
    apply_change(effects, app_folder, {gpx.path(), &survey, std::move(moves)},
                 [&plan](const RuntimeError& error, std::size_t index) {
                     return photo_move_error(error, plan.photo_moves[index]);
                 });
    return plan.record_count;
}

}  // namespace

void import_waypoints(FileEffects& effects, const std::string& gpx_path, const std::string& gpx_folder,
                      const std::string& app_folder, std::int16_t& obs_count)
{
    obs_count = 0;
    const FolderLock lock(effects, app_folder);
    recover_locked(effects, app_folder);
    std::optional<ChosenFile> gpx;
    try {
        gpx.emplace(effects, gpx_path);
        obs_count = import_settled(effects, *gpx, gpx_folder, app_folder);
    } catch (const RuntimeError& error) {
        throw with_disk_sentence(gpx ? gpx->placed(error) : error);
    }
}

void archive_gpx(const std::string& gpx_path, const std::string& gpx_name, const std::string& app_folder)
{
    archive_gpx(system_file_effects(), gpx_path, gpx_name, app_folder);
}

void archive_gpx(FileEffects& effects, const std::string& gpx_path, const std::string& gpx_name,
                 const std::string& app_folder)
{
    const FolderLock lock(effects, app_folder);
    const Recovery recovery = recover_locked(effects, app_folder);
    // Its import undone, the file is still to be imported: it stays for that.
    if (recovery.outcome == RecoveryOutcome::Undone && !recovery.archive && recovery.gpx_path == gpx_path)
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, gpx_path)
            .with_detail("The import of this file was interrupted and has been undone, so it stays where it is: "
                         "import it again.");
    const FileMove archive{gpx_path, archive_folder(app_folder), gpx_name};
    try {
        // Such as a GPX file imported from the archive folder itself.
        if (any_target_taken(effects, {archive}))
            throw move_failure(effects, EEXIST, archive);
        // One move, but across file systems it is a copy and a removal,
        // which a crash must not split.
        const auto as_it_is = [](const RuntimeError& error, std::size_t) { return error; };
        if (const std::optional<RuntimeError> failure =
                apply_change(effects, app_folder, {gpx_path, nullptr, {archive}}, as_it_is))
            throw *failure;
    } catch (const RuntimeError& error) {
        throw with_disk_sentence(error);
    }
}

Recovery recover_interrupted_import(const std::string& app_folder)
{
    return recover_interrupted_import(system_file_effects(), app_folder);
}

Recovery recover_interrupted_import(FileEffects& effects, const std::string& app_folder)
{
    const FolderLock lock(effects, app_folder);
    return recover_locked(effects, app_folder);
}

}  // namespace survey
