#include "import/files/file_move.h"

#include "import/files/file_error.h"

namespace survey {

EntryKind MovePreview::kind(const std::string& path)
{
    const auto [known, added] = known_.try_emplace(path, EntryKind::None);
    if (added)
        known->second = entry_kind(path);
    return known->second;
}

void MovePreview::record(const FileMove& move)
{
    known_[move.source] = EntryKind::None;
    known_[move.target()] = EntryKind::File;
}

std::optional<RuntimeError> move_obstacle(const FileMove& move, MovePreview& preview)
{
    if (preview.kind(move.source) == EntryKind::None)
        return RuntimeError::for_file(ErrorKind::FileNotFound, move.source);
    if (preview.kind(move.target_folder) != EntryKind::Folder)
        return RuntimeError::for_file(ErrorKind::PathNotFound, move.target_folder);
    if (preview.kind(move.target()) != EntryKind::None)
        return RuntimeError::for_file(ErrorKind::FileAlreadyExists, move.target());
    return std::nullopt;
}

void move_file(FileEffects& effects, const FileMove& move)
{
    const int error = effects.move_without_replacing(move.source, move.target());
    if (error == 0)
        return;
    // Looking only once the move failed keeps the common case to one call.
    MovePreview now;
    if (const auto obstacle = move_obstacle(move, now))
        throw *obstacle;
    throw file_error(error, move.target());
}

}  // namespace survey
