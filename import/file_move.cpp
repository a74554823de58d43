#include "import/file_move.h"

#include "import/file_queries.h"

namespace survey {

bool MovePreview::exists(const std::string& path) const
{
    const auto planned = planned_.find(path);
    return planned != planned_.end() ? planned->second : entry_kind(path) != EntryKind::None;
}

void MovePreview::record(const FileMove& move)
{
    planned_[move.source] = false;
    planned_[move.target()] = true;
}

std::optional<RuntimeError> move_obstacle(const FileMove& move, const MovePreview& preview)
{
    if (!preview.exists(move.source))
        return RuntimeError(ErrorKind::FileNotFound, 0, move.source);
    if (entry_kind(move.source) == EntryKind::Folder)
        return RuntimeError(ErrorKind::PathFileAccessError, 0, move.source);
    if (entry_kind(move.target_folder) != EntryKind::Folder)
        return RuntimeError(ErrorKind::PathNotFound, 0, move.target_folder);
    if (preview.exists(move.target()))
        return RuntimeError(ErrorKind::FileAlreadyExists, 0, move.target());
    return std::nullopt;
}

void move_file(FileEffects& effects, const FileMove& move)
{
    if (const auto obstacle = move_obstacle(move, MovePreview{}))
        throw *obstacle;
    if (const int error = effects.move_without_replacing(move.source, move.target()))
        throw file_error(error, move.target());
}

}  // namespace survey
