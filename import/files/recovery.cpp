#include "import/files/recovery.h"

#include "import/files/file_error.h"
#include "import/files/file_queries.h"
#include "import/files/intent_journal.h"
#include "import/files/journaled_moves.h"
#include "import/files/program_folders.h"
#include "import/files/staged_file.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace survey {

namespace {

// The whole file, or nothing when there is none.
std::optional<std::string> read_if_present(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw file_error(errno, path);
    }
    std::string bytes;
    char block[64 * 1024];
    ssize_t got;
    while ((got = ::read(fd, block, sizeof block)) > 0 || (got < 0 && errno == EINTR))
        bytes.append(block, static_cast<std::size_t>(got > 0 ? got : 0));
    const int error = got < 0 ? errno : 0;
    ::close(fd);
    if (error != 0)
        throw file_error(error, path);
    return bytes;
}

// A staged survey file with no journal, or with one cut short, belongs to an
// import that died before it changed anything the user sees.
Recovery remove_stale_staged(FileEffects& effects, const std::string& app_folder, bool journal_present)
{
    const std::string staged = StagedFile::temp_path_for(link_target(survey_path(app_folder)));
    const bool staged_present = entry_kind(staged) != EntryKind::None;
    if (staged_present)
        effects.remove(staged);
    if (journal_present)
        effects.remove(journal_path(app_folder));
    if (!staged_present && !journal_present)
        return {};
    flush_folder(app_folder);
    return {RecoveryOutcome::Undone, {}, false};
}

}  // namespace

Recovery recover_locked(FileEffects& effects, const std::string& app_folder)
{
    const std::string path = journal_path(app_folder);
    const std::optional<std::string> bytes = read_if_present(path);
    const std::optional<IntentJournal> journal = bytes ? decode_journal(*bytes) : std::nullopt;
    if (!journal)
        return remove_stale_staged(effects, app_folder, bytes.has_value());

    const Recovery recovery{RecoveryOutcome::Completed, journal->gpx_path, journal->survey_path.empty()};
    if (change_committed(*journal)) {
        if (const std::optional<std::string> left = finish_change(effects, app_folder, *journal))
            throw RuntimeError::for_file(ErrorKind::PathFileAccessError, path).with_detail(*left);
        return recovery;
    }
    // How far the change got is not known: each move's target tells.
    if (const std::optional<std::string> left = undo_change(effects, app_folder, *journal, journal->moves.size()))
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, path).with_detail(*left);
    return {RecoveryOutcome::Undone, journal->gpx_path, journal->survey_path.empty()};
}

}  // namespace survey
