#include "import/files/one_move.h"

#include "import/files/file_error.h"
#include "import/files/file_handle.h"
#include "import/files/file_io.h"

#include <cerrno>

namespace survey {

namespace {

// After a step of a move failed, the new name goes, leaving no trace; but
// only while a look shows the old name stands: the step may have taken
// effect all the same, and the new name be all there is of the file.
void drop_new_name(FileEffects& effects, const std::string& from, const std::string& to)
{
    FileStatus status;
    if (effects.look_up(from, status) == 0)
        effects.remove(to);
}

// Once the hard link stands on disk, the old name goes: were the removal
// kept and the link lost in a power cut, the file would have no name left.
// Should the old name not go, neither does the new.
int drop_old_name(FileEffects& effects, const std::string& from, const std::string& to)
{
    int error = effects.sync_folder(parent_folder(to));
    if (error == 0)
        error = effects.remove(from);
    if (error != 0)
        drop_new_name(effects, from, to);
    return error;
}

// A reservation that stays after a crash is an empty file at a target whose
// source is still there; recovery knows it for this program's.
int rename_over_reservation(FileEffects& effects, const std::string& from, const std::string& to)
{
    int fd = -1;
    if (const int error = effects.create_new(to, {}, fd))
        return error;
    FileHandle reservation(effects, fd);
    int error = reservation.close();
    if (error == 0)
        error = effects.rename_over(from, to);
    if (error != 0)
        drop_new_name(effects, from, to);
    return error;
}

bool no_such_rename(int error)
{
    return error == EINVAL || error == ENOSYS;
}

bool no_hard_links(int error)
{
    return error == EPERM || error == EOPNOTSUPP;
}

}  // namespace

int move_without_replacing(FileEffects& effects, const std::string& from, const std::string& to)
{
    const int error = effects.rename_without_replacing(from, to);
    if (!no_such_rename(error))
        return error;
    const int link_error = effects.hard_link(from, to);
    if (link_error == 0)
        return drop_old_name(effects, from, to);
    return no_hard_links(link_error) ? rename_over_reservation(effects, from, to) : link_error;
}

std::string copy_in_progress_path(const std::string& target)
{
    return target + ".gpx-survey-import.part";
}

FileStatus copy_without_replacing(FileEffects& effects, const FileMove& move)
{
    // The source goes once the change commits: a folder that will not let it
    // go refuses the move now, as a rename within one file system would.
    const std::string source_folder = parent_folder(move.source);
    if (const int error = effects.may_change_folder(source_folder))
        throw file_error(effects, error, source_folder);
    int fd = -1;
    if (const int error = effects.open_to_read(move.source, fd))
        throw move_failure(effects, error, move);
    const FileHandle source(effects, fd);
    FileStatus copied;
    if (const int error = effects.status_of(source.fd(), copied))
        throw file_error(effects, error, move.source);

    int error = effects.create_unnamed(move.target_folder, fd);
    // FAT and network file systems have no unnamed files: there the copy is
    // made under a name of this program's own, which an undo removes.
    const bool named = error == EOPNOTSUPP;
    const std::string part = copy_in_progress_path(move.target());
    if (named)
        error = effects.create_new(part, {}, fd);
    if (error != 0)
        throw move_failure(effects, error, move);
    FileHandle copy(effects, fd);
    CopySide failed = CopySide::Copy;
    error = copy_bytes(effects, source.fd(), copy.fd(), failed);
    const bool source_failed = error != 0 && failed == CopySide::Source;
    if (error == 0)
        error = effects.sync(copy.fd());
    if (error == 0)
        error = named ? copy.close() : effects.link_unnamed(copy.fd(), move.target());
    if (error == 0 && named)
        error = move_without_replacing(effects, part, move.target());
    // Unnamed, a copy that failed vanishes as its descriptor closes.
    copy.close();
    if (error != 0 && named)
        effects.remove(part);
    // A card that fails a read is what to name, not the copy.
    if (source_failed)
        throw file_error(effects, error, move.source);
    if (error != 0)
        throw move_failure(effects, error, move);
    return copied;
}

}  // namespace survey
