#include "import/files/change.h"

#include "import/files/checksum.h"
#include "import/files/file_error.h"
#include "import/files/file_handle.h"
#include "import/files/file_io.h"
#include "import/files/file_queries.h"
#include "import/files/one_move.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace survey {

namespace {

// How the live change made a move, which only it knows for sure.
struct MadeMove {
    bool copied = false;
    FileStatus source;  // the file copied
};

enum class UndoStep { Nothing, MoveBack, MoveOverReservation, RemoveTarget };

std::string because(int error)
{
    return std::string(" (") + std::strerror(error) + ").";
}

// A look that failed, in words: the file and what the disk said.
std::string not_looked_at(const RuntimeError& look)
{
    return look.path() + " could not be looked at (" + std::string(error_message(look.kind())) + ").";
}

// A name longer than the file system holds names nothing there (R8): the
// copy that would have taken it failed on that name, and nothing else of
// this program's makes it. Only ours are looked for under such names.
bool nothing_under_name(int error)
{
    return means_absent(error) || error == ENAMETOOLONG;
}

// The folders the moves `touched` picks change, each once: a copy out of a
// ZIP changes only its target's, and the ZIP's may be read-only.
std::vector<std::string> move_folders(const IntentJournal& journal,
                                      const std::vector<bool>& touched)
{
    std::vector<std::string> folders;
    for (std::size_t i = 0; i < journal.moves.size(); ++i) {
        const JournalMove& move = journal.moves[i];
        if (!touched[i])
            continue;
        for (const std::string* path : {&move.from, &move.to}) {
            if (path == &move.from && !move.entry.empty())
                continue;
            std::string folder = parent_folder(*path);
            if (std::find(folders.begin(), folders.end(), folder) == folders.end())
                folders.push_back(std::move(folder));
        }
    }
    return folders;
}

// Syncs each folder; returns the first that failed, with its errno value.
// An undo passes over a folder that is not there: the change made nothing
// in it (a photo folder missing), and there is nothing to keep.
int sync_folders(FileEffects& effects, const std::vector<std::string>& folders, std::string& failed,
                 bool only_present = false)
{
    for (const std::string& folder : folders) {
        const int error = effects.sync_folder(folder);
        if (error != 0 && !(only_present && means_absent(error))) {
            failed = folder;
            return error;
        }
    }
    return 0;
}

void sync_or_throw(FileEffects& effects, const std::vector<std::string>& folders)
{
    std::string failed;
    if (const int error = sync_folders(effects, folders, failed))
        throw file_error(effects, error, failed);
}

// Removes `path`: 0 once it is gone, even when the removal reported a
// failure that a look then shows took effect all the same.
int remove_file(FileEffects& effects, const std::string& path)
{
    const int error = effects.remove(path);
    FileStatus status;
    if (error == 0 || means_absent(error) || means_absent(effects.look_up(path, status)))
        return 0;
    return error;
}

// For good, before the staged file goes: a journal without its staged file
// reads as a change that committed (R7).
int remove_journal(FileEffects& effects, const std::string& app_folder)
{
    if (const int error = remove_file(effects, journal_path(app_folder)))
        return error;
    return effects.sync_folder(app_folder);
}

// A copy out of a ZIP is known by its target alone, the ZIP never changing:
// none is not made; the entry's size and CRC-32 is the copy; an empty file
// is a reservation; anything else is not this change's.
MoveFound find_copy_out_of_track(FileEffects& effects, const JournalMove& move)
{
    FileStatus target;
    if (!present(effects, move.to, target))
        return MoveFound::NotMade;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    if (target.kind == EntryKind::File) {
        if (const int error = size_and_crc32(effects, move.to, size, crc))
            throw file_error(effects, error, move.to);
        if (size == move.entry_size && crc == move.entry_crc)
            return MoveFound::Copied;
    }
    return target.kind == EntryKind::File && size == 0 ? MoveFound::Reserved : MoveFound::Foreign;
}

MoveFound find_move(FileEffects& effects, const JournalMove& move)
{
    if (!move.entry.empty())
        return find_copy_out_of_track(effects, move);
    FileStatus source;
    FileStatus target;
    const bool from = present(effects, move.from, source);
    const bool to = present(effects, move.to, target);
    if (!to)
        return from ? MoveFound::NotMade : MoveFound::Neither;
    if (!from)
        return MoveFound::Made;
    bool same = false;
    if (const int error = compare_files(effects, move.from, move.to, same))
        throw file_error(effects, error, move.to);
    const auto empty = [](const FileStatus& status) { return status.kind == EntryKind::File && status.size == 0; };
    if (same)
        return MoveFound::Copied;
    if (empty(target))
        return MoveFound::Reserved;
    return empty(source) ? MoveFound::MovingBack : MoveFound::Foreign;
}

// Whether each copied source goes: 0 or the errno value of a look that failed.
using SourceCheck = std::function<int(std::size_t index, bool& goes)>;

// Removes the sources `goes` picks, then the journal (R6, R7).
std::optional<RuntimeError> remove_sources(FileEffects& effects, const std::string& app_folder,
                                           const IntentJournal& journal, const SourceCheck& goes)
{
    std::string left;
    std::vector<bool> removed(journal.moves.size());
    for (std::size_t i = 0; i < journal.moves.size(); ++i) {
        bool remove = false;
        int error = goes(i, remove);
        if (error == 0 && remove)
            error = remove_file(effects, journal.moves[i].from);
        removed[i] = remove && error == 0;
        if (error != 0 && !means_absent(error))
            left += " " + journal.moves[i].from + because(error);
    }
    if (!left.empty())
        return RuntimeError::for_file(ErrorKind::PathFileAccessError, journal_path(app_folder))
            .with_detail("The files were copied, but not every original could be removed from where it came from:" +
                         left + " Remove them by hand, then start the program again.");
    std::string failed;
    if (const int error = sync_folders(effects, move_folders(journal, removed), failed))
        return file_error(effects, error, failed).with_detail(
            "The files were copied, but the disk did not confirm that the originals are gone. Start the program "
            "again to finish.");
    // Should it stay, the next start only finishes again.
    remove_journal(effects, app_folder);
    return std::nullopt;
}

UndoStep undo_step(MoveFound found)
{
    switch (found) {
    case MoveFound::Made: return UndoStep::MoveBack;
    case MoveFound::MovingBack: return UndoStep::MoveOverReservation;
    case MoveFound::Copied:
    case MoveFound::Reserved: return UndoStep::RemoveTarget;
    default: return UndoStep::Nothing;
    }
}

int take_back(FileEffects& effects, const JournalMove& move, UndoStep step)
{
    switch (step) {
    case UndoStep::MoveBack: return move_without_replacing(effects, move.to, move.from);
    case UndoStep::MoveOverReservation: return effects.rename_over(move.to, move.from);
    case UndoStep::RemoveTarget: return effects.remove(move.to);
    case UndoStep::Nothing: break;
    }
    return 0;
}

// What an undo step that reported `error` left, in words naming the file;
// nothing when a look shows the step took effect all the same.
std::string left_by(FileEffects& effects, const JournalMove& move, MoveFound found, int error)
{
    try {
        if (find_move(effects, move) == MoveFound::NotMade)
            return {};
    } catch (const RuntimeError& look) {
        return " Whether " + move.to + " is back as " + move.from + " could not be told: " + not_looked_at(look);
    }
    if (found == MoveFound::Copied)
        return " " + move.to + ", a copy of " + move.source_place() + ", could not be removed" + because(error);
    if (found == MoveFound::Reserved)
        return " " + move.to + ", an empty file that held the name for " + move.source_place() +
               ", could not be removed" + because(error);
    return " " + move.to + " could not be put back as " + move.from + because(error);
}

// Removes the working copy of a move that a crash or a failure cut short.
// It is this change's, whatever it holds; but while its source is not
// there, it may be all there is of the file. Returns what it left, in words.
std::string remove_working_copy(FileEffects& effects, const JournalMove& move)
{
    const std::string part = copy_in_progress_path(move.to);
    FileStatus status;
    const int look = effects.look_up(part, status);
    if (nothing_under_name(look))
        return {};
    if (look != 0)
        return " " + part + " could not be looked at" + because(look);
    try {
        if (!present(effects, move.from, status))
            return " " + part + " is kept, since " + move.from + " is not there.";
    } catch (const RuntimeError&) {
        return " " + part + " is kept, since " + move.from + " could not be looked at.";
    }
    if (const int error = remove_file(effects, part))
        return " " + part + ", a copy this change was making, could not be removed" + because(error);
    return {};
}

}  // namespace

// Takes back the moves `found` made, in reverse order, removes what a copy
// cut short left, then the journal and the staged file (R7). What stopped
// it keeps the journal and the staged file, so that the next try still
// knows the change never committed.
std::optional<std::string> undo_change(FileEffects& effects, const std::string& app_folder,
                                       const IntentJournal& journal, const std::vector<MoveFound>& found)
{
    // What stands is made durable first: a step of the change, or its own
    // clean-up after a failure, may not be on disk yet, and a step of the
    // undo on the same names must not outlast it (a rename over a reserved
    // name would put the empty reservation over the photo). Every folder of
    // the moves, since a move cleaned up after itself leaves nothing to see.
    const std::vector<std::string> folders = move_folders(journal, std::vector<bool>(journal.moves.size(), true));
    std::string failed;
    if (const int error = sync_folders(effects, folders, failed, true))
        return "Nothing was put back, since the disk did not confirm what stands in " + failed + because(error) +
               " Check the disk, then start the program again.";
    std::string left;
    for (std::size_t i = found.size(); i-- > 0;) {
        if (const int error = take_back(effects, journal.moves[i], undo_step(found[i])))
            left += left_by(effects, journal.moves[i], found[i], error);
    }
    for (const JournalMove& move : journal.moves)
        left += remove_working_copy(effects, move);
    if (!left.empty())
        return "Not every file could be put back:" + left +
               " The next start tries again: mend what stopped it (a card that is full, locked or failing) and start "
               "the program again, or first put these files right by hand.";
    if (const int error = sync_folders(effects, folders, failed, true))
        return "Every file is back where it was, but the disk did not confirm it for " + failed + because(error) +
               " Check the disk, then start the program again to finish.";
    if (const int error = remove_journal(effects, app_folder))
        return "Every file is back where it was, but " + journal_path(app_folder) + " could not be removed" +
               because(error) + " The next start removes it.";
    if (!journal.staged_path.empty() && effects.remove(journal.staged_path) == 0)
        effects.sync_folder(parent_folder(journal.staged_path));
    return std::nullopt;
}

namespace {

RuntimeError with_sentence(const RuntimeError& cause, const std::optional<std::string>& sentence)
{
    if (!sentence)
        return cause;
    return cause.with_detail(cause.detail().empty() ? *sentence : cause.detail() + " " + *sentence);
}

// What a change that stands after all means to the user.
std::string took_effect(const IntentJournal& journal)
{
    if (journal.survey_path.empty())
        return "The file was moved to " + journal.moves.front().to +
               " all the same, though the disk reported the error above. Check the disk.";
    return "The import took effect all the same, though the disk reported the error above: " + journal.survey_path +
           " holds the new records, and every file it moved is in place. Check the disk before you import more, "
           "and do not import this file again.";
}

// A change as its own process makes it, from the journal to the commit.
class ChangeInProgress {
public:
    ChangeInProgress(FileEffects& effects, const std::string& app_folder, const Change& change)
        : effects_(effects), app_folder_(app_folder), survey_(change.survey)
    {
        journal_.gpx_path = change.gpx_path;
        if (survey_) {
            journal_.survey_path = survey_->final_path();
            journal_.staged_path = survey_->temp_path();
            journal_.survey_checksum = survey_->content_checksum();
            survey_->hand_over();
        }
        journal_.moves.reserve(change.moves.size());
        for (const FileMove& move : change.moves)
            journal_.moves.push_back(journal_move(move));
        moves_ = &change.moves;
    }

    // R1, R2: with photos or without, so that a start never finds a staged
    // survey it cannot place.
    void begin()
    {
        if (survey_) {
            FileStatus survey;
            journal_.survey_existed = present(effects_, journal_.survey_path, survey);
            // Beside the journal, the journal's own folder sync serves both.
            const std::string staged_folder = parent_folder(journal_.staged_path);
            if (staged_folder != app_folder_)
                sync_or_throw(effects_, {staged_folder});
        }
        note_folders_elsewhere();
        const std::string draft = journal_draft_path(app_folder_);
        int fd = -1;
        if (const int error = effects_.create_new(draft, {}, fd))
            throw file_error(effects_, error, draft);
        FileHandle file(effects_, fd);
        int error = effects_.write_all(file.fd(), encode_journal(journal_));
        if (error == 0)
            error = effects_.sync(file.fd());
        if (error == 0)
            error = file.close();
        // Nothing stands under the journal's name: the start before this
        // change, under the same lock, saw to that. From this rename on, a
        // failure may leave the journal standing, and the undo looks.
        if (error == 0) {
            journaled_ = true;
            error = effects_.rename_over(draft, journal_path(app_folder_));
        }
        if (error != 0) {
            // Closed first: Windows keeps an open file's name.
            file.close();
            effects_.remove(draft);
            throw file_error(effects_, error, journal_path(app_folder_));
        }
        sync_or_throw(effects_, {app_folder_});
    }

    // R3, in the order the moves were listed, so that the first that fails
    // is the one a check in that order would have found. An archive commits
    // with its one move, which may then have taken effect.
    void make_moves(const MoveFailureText& failure_text)
    {
        commit_tried_ = !survey_;
        for (std::size_t i = 0; i < moves_->size(); ++i) {
            try {
                made_.push_back(make_move((*moves_)[i]));
            } catch (const RuntimeError& error) {
                throw failure_text(error, i);
            }
        }
    }

    // R4, R5.
    void commit()
    {
        sync_or_throw(effects_, move_folders(journal_, std::vector<bool>(journal_.moves.size(), true)));
        if (!survey_)
            return;
        commit_tried_ = true;
        if (const int error = effects_.rename_over(journal_.staged_path, journal_.survey_path))
            throw file_error(effects_, error, journal_.survey_path);
    }

    // R10: the change stands; only the disk's word on it is missing.
    void confirm_commit()
    {
        if (!survey_)
            return;
        const std::string folder = parent_folder(journal_.survey_path);
        if (const int error = effects_.sync_folder(folder))
            throw file_error(effects_, error, folder)
                .with_detail(journal_.survey_path + " holds the new records, but the disk did not confirm it "
                             "stored them. Check the disk and start the program again before you import more.");
    }

    // R6, R7: the live change knows which moves it copied, and from which
    // file; a card that gave that file a new inode number on a remount
    // since (FAT does) still has its bytes, and where numbers do not last,
    // or the size or time differ, only the bytes tell.
    std::optional<RuntimeError> finish()
    {
        return remove_sources(effects_, app_folder_, journal_, [this](std::size_t i, bool& goes) {
            goes = false;
            if (!made_[i].copied)
                return 0;
            const JournalMove& move = journal_.moves[i];
            FileStatus now;
            if (const int error = effects_.look_up(move.from, now))
                return error;
            goes = made_[i].source.surely_same_file(now);
            return goes ? 0 : compare_files(effects_, move.from, move.to, goes);
        });
    }

    // After a failure: a step that failed may have taken effect all the
    // same, so what stands decides, as at a start. A change found committed
    // goes forward; one that is not is put back. Returns what the user must
    // know besides the failure itself.
    std::optional<std::string> settle()
    {
        if (!journaled_) {
            remove_staged();
            return std::nullopt;
        }
        std::vector<MoveFound> found;
        bool committed = false;
        try {
            found = find_moves(effects_, journal_);
            committed = commit_tried_ && change_committed(effects_, journal_, found);
        } catch (const RuntimeError& look) {
            return "Whether the change took effect could not be told: " + not_looked_at(look) +
                   " Every file is left as it is: check the card or disk, then start the program again, which "
                   "finishes or undoes the change.";
        }
        if (!committed)
            return undo_change(effects_, app_folder_, journal_, found);
        std::string sentence = took_effect(journal_);
        try {
            confirm_commit();
        } catch (const RuntimeError& unconfirmed) {
            return sentence + " " + unconfirmed.detail();
        }
        if (const std::optional<RuntimeError> left = finish_change(effects_, app_folder_, journal_, found))
            sentence += " " + left->detail();
        return sentence;
    }

private:
    // Only the folders' devices tell a card: a file's identity does not last (R9).
    void note_folders_elsewhere()
    {
        FileStatus app;
        present(effects_, app_folder_, app);
        for (const std::string& folder : folders_of(journal_)) {
            FileStatus status;
            if (present(effects_, folder, status) && status.identity.device != app.identity.device)
                journal_.folders_elsewhere.push_back(folder);
        }
    }

    static JournalMove journal_move(const FileMove& move)
    {
        if (!move.entry)
            return {move.source, move.target()};
        const std::optional<ZipEntry>& found = move.entry->found;
        return {move.source, move.target(), move.entry->name, found ? found->size : 0, found ? found->crc32 : 0};
    }

    // A copy out of a ZIP leaves no source to remove (R11).
    MadeMove make_move(const FileMove& move)
    {
        if (move.entry) {
            copy_out_of_track(effects_, move);
            return {};
        }
        const int error = move_without_replacing(effects_, move.source, move.target());
        if (error == EXDEV)
            return {true, copy_without_replacing(effects_, move)};
        if (error != 0)
            throw move_failure(effects_, error, move);
        return {};
    }

    void remove_staged()
    {
        if (survey_)
            effects_.remove(journal_.staged_path);
    }

    FileEffects& effects_;
    const std::string& app_folder_;
    StagedFile* survey_;
    const std::vector<FileMove>* moves_;
    IntentJournal journal_;
    bool journaled_ = false;
    // Whether the step that commits was reached: before it, the change
    // cannot have taken effect, whatever a look finds.
    bool commit_tried_ = false;
    std::vector<MadeMove> made_;
};

}  // namespace

std::optional<RuntimeError> apply_change(FileEffects& effects, const std::string& app_folder, const Change& change,
                                         const MoveFailureText& move_failure_text)
{
    ChangeInProgress applying(effects, app_folder, change);
    try {
        applying.begin();
        applying.make_moves(move_failure_text);
        applying.commit();
    } catch (const RuntimeError& error) {
        throw with_sentence(error, applying.settle());
    } catch (...) {
        applying.settle();
        throw;
    }
    applying.confirm_commit();
    return applying.finish();
}

namespace {

// Without its staged file, a journal's survey either took the staged file's
// place, or the staged file never reached the disk before a power cut (R1).
bool survey_replaced(FileEffects& effects, const IntentJournal& journal)
{
    std::string survey;
    const int error = read_whole_file(effects, journal.survey_path, survey);
    if (error != 0 && !means_absent(error))
        throw file_error(effects, error, journal.survey_path);
    return error == 0 && checksum_of(survey) == journal.survey_checksum;
}

}  // namespace

bool made(MoveFound move)
{
    return move == MoveFound::Made || move == MoveFound::Copied;
}

std::vector<MoveFound> find_moves(FileEffects& effects, const IntentJournal& journal)
{
    std::vector<MoveFound> found;
    found.reserve(journal.moves.size());
    for (const JournalMove& move : journal.moves)
        found.push_back(find_move(effects, move));
    return found;
}

bool change_committed(FileEffects& effects, const IntentJournal& journal, const std::vector<MoveFound>& found)
{
    if (journal.staged_path.empty())
        return made(found.front());
    FileStatus staged;
    if (present(effects, journal.staged_path, staged))
        return false;
    // No move starts before the staged file's name is on disk: once one has,
    // only the commit takes that name away, whatever the survey file has
    // become since (a spreadsheet may have saved it).
    return std::any_of(found.begin(), found.end(), made) || survey_replaced(effects, journal);
}

bool replace_cut_short(FileEffects& effects, const IntentJournal& journal)
{
    FileStatus status;
    return journal.survey_existed && !present(effects, journal.survey_path, status) &&
           present(effects, journal.staged_path, status);
}

std::optional<RuntimeError> finish_change(FileEffects& effects, const std::string& app_folder,
                                          const IntentJournal& journal, const std::vector<MoveFound>& found)
{
    // A start cannot trust that a source is the file once copied: only equal
    // bytes tell. A ZIP stays (R11).
    return remove_sources(effects, app_folder, journal, [&found, &journal](std::size_t i, bool& goes) {
        goes = found[i] == MoveFound::Copied && journal.moves[i].entry.empty();
        return 0;
    });
}

}  // namespace survey
