#include "import/files/file_move.h"

#include "import/files/file_effects.h"
#include "import/files/file_error.h"

#include <algorithm>
#include <cerrno>
#include <unordered_set>

namespace survey {

EntryKind MovePreview::kind(const std::string& path)
{
    const auto [known, added] = known_.try_emplace(folded_name(path), EntryKind::None);
    if (added)
        known->second = entry_kind(effects_, path);
    return known->second;
}

namespace {

// An entry's key holds a NUL, which no path does.
std::string source_key(const FileMove& move)
{
    const std::string zip = folded_name(move.source);
    return move.entry ? zip + '\0' + move.entry->name : zip;
}

}  // namespace

EntryKind MovePreview::source_kind(const FileMove& move)
{
    if (!move.entry)
        return kind(move.source);
    const auto [known, added] = known_.try_emplace(source_key(move), EntryKind::None);
    if (added && move.entry->found)
        known->second = EntryKind::File;
    return known->second;
}

void MovePreview::record(const FileMove& move)
{
    known_[source_key(move)] = EntryKind::None;
    known_[folded_name(move.target())] = EntryKind::File;
}

std::optional<RuntimeError> move_obstacle(const FileMove& move, MovePreview& preview)
{
    if (preview.source_kind(move) == EntryKind::None) {
        const RuntimeError missing = RuntimeError::for_file(ErrorKind::FileNotFound, move.source);
        return move.entry ? missing.in_entry(move.entry->name) : missing;
    }
    if (preview.kind(move.target_folder) != EntryKind::Folder)
        return RuntimeError::for_file(ErrorKind::PathNotFound, move.target_folder);
    if (preview.kind(move.target()) != EntryKind::None)
        return RuntimeError::for_file(ErrorKind::FileAlreadyExists, move.target());
    return std::nullopt;
}

bool any_target_taken(FileEffects& effects, const std::vector<FileMove>& moves)
{
    std::unordered_set<std::string> names;
    for (const FileMove& move : moves)
        if (!names.insert(folded_name(move.target())).second)
            return true;
    // An import's photos all go into one folder.
    const bool one_folder = std::all_of(moves.begin(), moves.end(), [&moves](const FileMove& move) {
        return move.target_folder == moves.front().target_folder;
    });
    if (moves.size() >= names_worth_a_folder_read && one_folder) {
        std::vector<std::string_view> names(moves.size());
        // A view of the move's own name: returned by value, it would view a copy gone at once.
        std::transform(moves.begin(), moves.end(), names.begin(),
                       [](const FileMove& move) -> const std::string& { return move.name; });
        if (const std::optional<bool> held = folder_holds_any(effects, moves.front().target_folder, names))
            return *held;
    }
    return std::any_of(moves.begin(), moves.end(), [&effects](const FileMove& move) {
        return entry_kind(effects, move.target()) != EntryKind::None;
    });
}

namespace {

// A move changes two folders, a copy out of a ZIP only its target's; the
// one this user may not change is the one to name.
std::string folder_that_refuses(FileEffects& effects, const FileMove& move)
{
    const std::string source_folder = parent_folder(move.source);
    if (!move.entry && effects.may_change_folder(source_folder) != 0)
        return source_folder;
    return move.target_folder;
}

}  // namespace

RuntimeError move_failure(FileEffects& effects, int error, const FileMove& move)
{
    // Looking only once the move failed keeps the common case to one call.
    MovePreview now(effects);
    // A change checks that nothing stands at its targets before it begins:
    // one standing after a failure other than a taken name is the move's
    // own doing, which took effect, and the error is the disk's report.
    if (error != EEXIST && now.kind(move.target()) != EntryKind::None)
        return file_error(effects, error, move.target());
    if (const auto obstacle = move_obstacle(move, now))
        return *obstacle;
    if (error == EACCES || error == EPERM || error == EROFS)
        return file_error(effects, error, folder_that_refuses(effects, move));
    // Another program holds the file being moved: the target is not there yet.
    if (error == EBUSY)
        return file_error(effects, error, move.source);
    return file_error(effects, error, move.target());
}

}  // namespace survey
