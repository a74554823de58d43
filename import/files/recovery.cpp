#include "import/files/recovery.h"

#include "import/files/change.h"
#include "import/files/file_error.h"
#include "import/files/file_io.h"
#include "import/files/file_queries.h"
#include "import/files/intent_journal.h"
#include "import/files/program_folders.h"
#include "import/files/staged_file.h"

#include <algorithm>
#include <optional>

namespace survey {

namespace {

// Removes files of a change that never took their place, each found there.
void remove_leftovers(FileEffects& effects, const std::vector<std::string>& leftovers)
{
    try {
        std::vector<std::string> folders;
        for (const std::string& file : leftovers) {
            const int error = effects.remove(file);
            if (error != 0 && !means_absent(error))
                throw file_error(effects, error, file);
            folders.push_back(parent_folder(file));
        }
        for (const std::string& folder : folders)
            if (const int error = effects.sync_folder(folder))
                throw file_error(effects, error, folder);
    } catch (const RuntimeError& error) {
        throw explained(error, "The program could not clear away this file, left by an import that was interrupted "
                               "before it changed anything; nothing else was changed. Check the card or disk, then "
                               "start the program again.");
    }
}

IntentJournal decoded(const std::string& path, std::string_view bytes)
{
    DecodedJournal read = decode_journal(bytes);
    if (read.journal)
        return std::move(*read.journal);
    const std::string keep = " Every file is left as it is. ";
    if (read.fault == JournalFault::OtherVersion)
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, path)
            .with_detail("Another version of this program left this record of an unfinished import." + keep +
                         "Start that version to finish it, then this one.");
    throw RuntimeError::for_file(ErrorKind::PathFileAccessError, path)
        .with_detail("The record of an unfinished import is damaged, so it cannot tell which files to put back." +
                     keep + "Compare survey.csv and the photosound folder with the phone's files, put back by hand "
                     "what the import moved, then delete this file and start the program again.");
}

// A card taken out, or a folder renamed, since the change began: what stands
// there decides, so nothing is decided without it (R8). A card taken out of
// its mount point leaves an empty folder under the same name, on the
// program folder's own device; a folder that lay on another is asked for so.
void check_folders_present(FileEffects& effects, const std::string& app_folder, const IntentJournal& journal)
{
    FileStatus app;
    if (const int error = effects.look_up(app_folder, app))
        throw file_error(effects, error, app_folder);
    for (const std::string& folder : folders_of(journal)) {
        FileStatus status;
        const bool elsewhere = std::find(journal.folders_elsewhere.begin(), journal.folders_elsewhere.end(),
                                         folder) != journal.folders_elsewhere.end();
        if (present(effects, folder, status) && !(elsewhere && status.identity.device == app.identity.device))
            continue;
        throw RuntimeError::for_file(ErrorKind::PathNotFound, folder)
            .with_detail("An interrupted import changed files in this folder, which is not there now. Put back the "
                         "card or drive that holds it and start the program again; or, if it is gone for good, "
                         "delete " + journal_path(app_folder) + " to leave every file as it is now.");
    }
}

// The old survey file is gone already: only the staged one is left to take its place (R5).
void complete_replace(FileEffects& effects, const IntentJournal& journal)
{
    int error = effects.rename_over(journal.staged_path, journal.survey_path);
    if (error == 0)
        error = effects.sync_folder(parent_folder(journal.survey_path));
    if (error != 0)
        throw file_error(effects, error, journal.survey_path)
            .with_detail("An interrupted import had all but taken effect: its new survey, " + journal.staged_path +
                         ", could not take the place of this file, which is gone. Nothing else was changed. Check "
                         "the disk, then start the program again to finish.");
}

// What a start finds, from looks alone.
struct Decision {
    // Files of a change that never took their place: a draft journal, and
    // without a journal a staged survey too, since every change is journaled
    // before it commits and keeps its journal until after (R7).
    std::vector<std::string> leftovers;
    std::optional<IntentJournal> journal;
    std::vector<MoveFound> found;
    bool replace_cut = false;
    bool committed = false;
};

// Throws what stops the start.
Decision decide(FileEffects& effects, const std::string& app_folder)
{
    Decision decision;
    const std::string path = journal_path(app_folder);
    std::string bytes;
    const int error = read_whole_file(effects, path, bytes);
    if (error != 0 && !means_absent(error))
        throw file_error(effects, error, path);
    std::vector<std::string> candidates{journal_draft_path(app_folder)};
    if (means_absent(error))
        candidates.push_back(StagedFile::temp_path_for(link_target(effects, survey_path(app_folder))));
    for (const std::string& file : candidates) {
        FileStatus status;
        if (present(effects, file, status))
            decision.leftovers.push_back(file);
    }
    if (means_absent(error))
        return decision;
    const IntentJournal& journal = decision.journal.emplace(decoded(path, bytes));
    check_folders_present(effects, app_folder, journal);
    decision.found = find_moves(effects, journal);
    decision.replace_cut = replace_cut_short(effects, journal);
    // Every move is on disk before the commit (R4): with one not made, the
    // survey file went by other hands, and neither way is sure.
    if (decision.replace_cut && !std::all_of(decision.found.begin(), decision.found.end(), made))
        throw RuntimeError::for_file(ErrorKind::FileNotFound, journal.survey_path)
            .with_detail("An import was interrupted before it took effect, and the survey file it was to replace "
                         "is not there now, so it can be neither finished nor undone. Every file is left as it "
                         "is. Put the survey file back (an empty one will do if you have no copy of it) and start "
                         "the program again: the import is then undone.");
    // Once its replace is completed, the change has committed.
    decision.committed = decision.replace_cut || change_committed(effects, journal, decision.found);
    return decision;
}

Recovery settle(FileEffects& effects, const std::string& app_folder, const Decision& decision)
{
    remove_leftovers(effects, decision.leftovers);
    if (!decision.journal)
        return decision.leftovers.empty() ? Recovery{} : Recovery{RecoveryOutcome::Undone, {}, false};
    const IntentJournal& journal = *decision.journal;
    if (decision.replace_cut)
        complete_replace(effects, journal);
    const bool archive = journal.survey_path.empty();
    if (decision.committed) {
        if (const std::optional<RuntimeError> failure = finish_change(effects, app_folder, journal, decision.found))
            throw *failure;
        return {RecoveryOutcome::Completed, journal.gpx_path, archive};
    }
    if (const std::optional<std::string> left = undo_change(effects, app_folder, journal, decision.found))
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, journal_path(app_folder)).with_detail(*left);
    return {RecoveryOutcome::Undone, journal.gpx_path, archive};
}

}  // namespace

Recovery recover_locked(FileEffects& effects, const std::string& app_folder)
{
    Decision decision;
    try {
        decision = decide(effects, app_folder);
    } catch (const RuntimeError& error) {
        throw explained(error, "The program could not look at this file while it checked for an interrupted "
                               "import, so it changed nothing. Check the card or disk, then start the program "
                               "again.");
    }
    return settle(effects, app_folder, decision);
}

}  // namespace survey
