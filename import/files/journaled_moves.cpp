#include "import/files/journaled_moves.h"

#include "import/files/file_error.h"
#include "import/files/file_queries.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace survey {

namespace {

// A descriptor closed when it goes, for the files a copy reads.
class ReadFile {
public:
    explicit ReadFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC)) {}
    ~ReadFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;

    int fd() const { return fd_; }

private:
    int fd_;
};

// Up to `size` bytes of `fd` into `out`, short only at the end; -1 on error.
ssize_t read_up_to(int fd, char* out, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t now = ::read(fd, out + got, size - got);
        if (now < 0 && errno == EINTR)
            continue;
        if (now < 0)
            return -1;
        if (now == 0)
            break;
        got += static_cast<std::size_t>(now);
    }
    return static_cast<ssize_t>(got);
}

// Copies all of `from` into `to`; returns 0 or the errno value.
int copy_bytes(FileEffects& effects, int from, int to)
{
    static constexpr std::size_t block_size = 256 * 1024;
    std::string block(block_size, '\0');
    for (;;) {
        const ssize_t got = read_up_to(from, block.data(), block.size());
        if (got <= 0)
            return got < 0 ? errno : 0;
        if (const int error = effects.write_all(to, std::string_view(block.data(), static_cast<std::size_t>(got))))
            return error;
    }
}

// Where a copy to `target` is made on a file system without unnamed files,
// until it is whole.
std::string copy_in_progress_path(const std::string& target)
{
    return target + ".gpx-survey-import.part";
}

FileMove file_move_of(const JournalMove& move)
{
    const std::size_t slash = move.to.rfind('/');
    return {move.from, move.to.substr(0, slash + 1), move.to.substr(slash + 1)};
}

std::optional<FileIdentity> identity_of(int fd)
{
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

// Whether this change put the file now at the move's target there.
bool move_made(const JournalMove& move)
{
    const std::optional<FileIdentity> made = move.copy ? move.copy : move.source;
    return made && identity_at(move.to) == made;
}

// The folders the moves changed, each flushed once. The journal's own
// folder is not among them: it is flushed as the journal is made and removed.
void flush_move_folders(const IntentJournal& journal)
{
    std::vector<std::string> folders;
    for (const JournalMove& move : journal.moves) {
        for (const std::string* path : {&move.from, &move.to}) {
            std::string folder = parent_folder(*path);
            if (std::find(folders.begin(), folders.end(), folder) == folders.end())
                folders.push_back(std::move(folder));
        }
    }
    for (const std::string& folder : folders)
        flush_folder(folder);
}

// For good, before anything else may change: a journal that came back after
// a power cut could be taken for a later change's. Returns 0 or the errno
// value; a journal already gone is gone.
int remove_journal(FileEffects& effects, const std::string& app_folder)
{
    const int error = effects.remove(journal_path(app_folder));
    flush_folder(app_folder);
    return error == ENOENT ? 0 : error;
}

// Whether the two files hold the same bytes.
bool same_bytes(const std::string& one, const std::string& other)
{
    const ReadFile first(one);
    const ReadFile second(other);
    if (first.fd() < 0 || second.fd() < 0)
        return false;
    static constexpr std::size_t block_size = 256 * 1024;
    std::string a(block_size, '\0');
    std::string b(block_size, '\0');
    for (;;) {
        const ssize_t got = read_up_to(first.fd(), a.data(), a.size());
        if (got < 0 || read_up_to(second.fd(), b.data(), b.size()) != got || a.compare(0, got, b, 0, got) != 0)
            return false;
        if (static_cast<std::size_t>(got) < block_size)
            return true;
    }
}

// Whether the file at a copied move's source is still the one it copied.
// FAT and exFAT make up a file's inode number each time it is loaded, so
// after a power cut the same file may stand there under a new identity;
// then its bytes tell.
bool still_the_source(const JournalMove& move)
{
    const std::optional<FileIdentity> now = identity_at(move.from);
    if (!now || !move.source)
        return false;
    return now == move.source || same_bytes(move.from, move.to);
}

std::string left_behind(const JournalMove& move, int error)
{
    return move.to + " could not be put back as " + move.from + " (" + std::strerror(error) + ").";
}

}  // namespace

JournaledMoves::JournaledMoves(FileEffects& effects, const std::string& app_folder, const std::string& gpx_path,
                               const std::string& staged_path, const std::string& survey_path,
                               std::vector<FileMove> moves)
    : effects_(effects), app_folder_(app_folder)
{
    journal_ = {gpx_path, survey_path, staged_path, {}};
    std::vector<std::string_view> sources;
    sources.reserve(moves.size());
    for (const FileMove& move : moves)
        sources.push_back(move.source);
    const std::vector<std::optional<FileIdentity>> identities = identities_at(sources);
    journal_.moves.reserve(moves.size());
    for (std::size_t i = 0; i < moves.size(); ++i)
        journal_.moves.push_back({std::move(moves[i].source), moves[i].target(), identities[i], std::nullopt});
}

void JournaledMoves::begin()
{
    // The staged file must be on disk before a journal names it; beside the
    // journal, one flush below serves both.
    const std::string& staged_path = journal_.staged_path;
    if (!staged_path.empty() && parent_folder(staged_path) != app_folder_)
        flush_folder(parent_folder(staged_path));
    const std::string path = journal_path(app_folder_);
    int error = effects_.create_new(path, {}, journal_fd_);
    if (error != 0)
        throw file_error(error, path);
    error = effects_.write_all(journal_fd_, encode_journal(journal_));
    if (error == 0)
        error = effects_.sync(journal_fd_);
    if (error != 0)
        throw file_error(error, path);
    flush_folder(app_folder_);
}

JournaledMoves::~JournaledMoves()
{
    close_journal();
}

void JournaledMoves::close_journal()
{
    if (journal_fd_ >= 0)
        effects_.close(journal_fd_);
    journal_fd_ = -1;
}

void JournaledMoves::make_next()
{
    const JournalMove& move = journal_.moves[made_];
    const int error = effects_.move_without_replacing(move.from, move.to);
    if (error == EXDEV)
        copy(made_);
    else if (error != 0)
        throw move_failure(error, file_move_of(move));
    ++made_;
}

void JournaledMoves::copy(std::size_t index)
{
    const FileMove move = file_move_of(journal_.moves[index]);
    // The source goes once the change commits: a folder that will not let it
    // go refuses the move now, as a rename within one file system would.
    const std::string source_folder = parent_folder(move.source);
    if (::faccessat(AT_FDCWD, source_folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        throw file_error(errno, source_folder);
    const ReadFile source(move.source);
    if (source.fd() < 0)
        throw move_failure(errno, move);
    int fd = -1;
    int error = effects_.create_unnamed(move.target_folder, fd);
    // FAT and network file systems have no unnamed files: there the copy is
    // made under a name of this program's own, which an undo removes.
    const bool named = error == EOPNOTSUPP;
    const std::string part = copy_in_progress_path(move.target());
    if (named)
        error = effects_.create_new(part, {}, fd);
    if (error != 0)
        throw move_failure(error, move);
    error = copy_bytes(effects_, source.fd(), fd);
    if (error == 0)
        error = effects_.sync(fd);
    const std::optional<FileIdentity> copy = identity_of(fd);
    if (error == 0 && !copy)
        error = errno;
    // The copy's identity is on disk before it takes the target's name, so
    // that only a copy this change made is ever removed.
    if (error == 0)
        error = effects_.write_all(journal_fd_, encode_copy_record(index, *copy));
    if (error == 0)
        error = effects_.sync(journal_fd_);
    if (error == 0)
        error = named ? effects_.move_without_replacing(part, move.target()) : effects_.link_unnamed(fd, move.target());
    // Unnamed, a copy that failed vanishes as its descriptor closes.
    effects_.close(fd);
    if (error != 0 && named)
        effects_.remove(part);
    if (error != 0)
        throw move_failure(error, move);
    journal_.moves[index].copy = copy;
}

void JournaledMoves::make_durable()
{
    flush_move_folders(journal_);
}

std::optional<std::string> JournaledMoves::finish()
{
    close_journal();
    return finish_change(effects_, app_folder_, journal_);
}

std::optional<std::string> JournaledMoves::undo()
{
    // No journal was made: nothing has changed.
    if (journal_fd_ < 0)
        return std::nullopt;
    close_journal();
    // Only the moves this change made: a target that held the same file
    // before, such as a hard link of the source, is not this change's to remove.
    return undo_change(effects_, app_folder_, journal_, made_);
}

RuntimeError with_undo_failure(const RuntimeError& cause, const std::optional<std::string>& left)
{
    if (!left)
        return cause;
    return cause.with_detail(cause.detail().empty() ? *left : cause.detail() + " " + *left);
}

bool change_committed(const IntentJournal& journal)
{
    if (!journal.staged_path.empty())
        return entry_kind(journal.staged_path) == EntryKind::None;
    return journal.moves.size() == 1 && move_made(journal.moves.front());
}

std::optional<std::string> finish_change(FileEffects& effects, const std::string& app_folder,
                                         const IntentJournal& journal)
{
    // The commit must be on disk before anything that follows it; the moves
    // were made durable before it.
    flush_folder(parent_folder(journal.survey_path.empty() ? journal.moves.front().to : journal.survey_path));
    std::string left;
    bool removed = false;
    for (const JournalMove& move : journal.moves) {
        // A source goes only once its copy stands under the target's name,
        // and only while it is the file copied.
        if (!move.copy || identity_at(move.to) != move.copy || !still_the_source(move))
            continue;
        const int error = effects.remove(move.from);
        removed = removed || error == 0;
        if (error != 0)
            left += " " + move.from + " (" + std::strerror(error) + ").";
    }
    if (removed)
        flush_move_folders(journal);
    if (!left.empty())
        return "The import is complete, but not every file it copied could be removed from where it came from:" +
               left + " Remove them by hand, then start the program again.";
    // Should it stay, the next start only finishes again.
    remove_journal(effects, app_folder);
    return std::nullopt;
}

std::optional<std::string> undo_change(FileEffects& effects, const std::string& app_folder,
                                       const IntentJournal& journal, std::size_t attempted)
{
    std::string left;
    const auto made = journal.moves.begin() + static_cast<std::ptrdiff_t>(std::min(attempted, journal.moves.size()));
    for (auto move = std::make_reverse_iterator(made); move != journal.moves.rend(); ++move) {
        if (!move_made(*move))
            continue;
        // A move by hard link cut short leaves the file under both names.
        const bool both_names = !move->copy && identity_at(move->from) == move->source;
        const int error = move->copy || both_names ? effects.remove(move->to)
                                                   : effects.move_without_replacing(move->to, move->from);
        if (error != 0)
            left += " " + left_behind(*move, error);
    }
    // A named copy cut short, by a crash or a failure to remove it, is this
    // change's, whatever it holds.
    for (const JournalMove& move : journal.moves) {
        const std::string part = copy_in_progress_path(move.to);
        if (entry_kind(part) == EntryKind::File)
            effects.remove(part);
    }
    flush_move_folders(journal);
    // The staged file stays with the journal, so that the next try still
    // knows the change never committed.
    if (!left.empty())
        return "Not every file could be put back:" + left + " Move them back by hand, then start the program again.";
    // The journal goes for good before the staged file: a journal without
    // its staged file would read as a change that committed.
    if (const int error = remove_journal(effects, app_folder))
        return "Every file is back where it was, but " + journal_path(app_folder) + " could not be removed (" +
               std::strerror(error) + "); the next start removes it.";
    if (!journal.staged_path.empty())
        effects.remove(journal.staged_path);
    return std::nullopt;
}

}  // namespace survey
