#include "import/files/one_move.h"

#include "import/files/file_error.h"
#include "import/files/file_handle.h"
#include "import/files/file_io.h"
#include "import/files/read_only_file.h"
#include "import/zip/zip_entry_reader.h"

#include <cerrno>
#include <functional>

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

namespace {

// Writes the copy's bytes into the open file `copy`: 0, or the errno value
// it failed with and on which side. A source that throws (a damaged entry)
// throws through, the copy cleared away.
using FillCopy = std::function<int(int copy, CopySide& failed)>;

// Makes the copy of `move` at its target: the bytes `fill` writes into a file
// with no name (or under the working name), synced, then given the target's
// name without replacing; throws what stopped it, leaving no trace.
void place_copy(FileEffects& effects, const FileMove& move, const FillCopy& fill)
{
    int fd = -1;
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
    const auto clear_away = [&] {
        // Unnamed, a copy that failed vanishes as its descriptor closes.
        copy.close();
        if (named)
            effects.remove(part);
    };
    CopySide failed = CopySide::Copy;
    try {
        error = fill(copy.fd(), failed);
    } catch (const RuntimeError&) {
        clear_away();
        throw;
    }
    const bool source_failed = error != 0 && failed == CopySide::Source;
    if (error == 0)
        error = effects.sync(copy.fd());
    if (error == 0)
        error = named ? copy.close() : effects.link_unnamed(copy.fd(), move.target());
    if (error == 0 && named)
        error = move_without_replacing(effects, part, move.target());
    if (error != 0)
        clear_away();
    copy.close();
    // A card that fails a read is what to name, not the copy.
    if (source_failed)
        throw file_error(effects, error, move.source);
    if (error != 0)
        throw move_failure(effects, error, move);
}

}  // namespace

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
    place_copy(effects, move, [&](int copy, CopySide& failed) {
        return copy_bytes(effects, source.fd(), copy, failed);
    });
    return copied;
}

namespace {

// A fault of the ZIP's own bytes names its entry and says what to do. A ZIP
// that cannot be opened or read again, moments after it was read whole, was
// moved or its disk failed: that is what the user must hear, not that the
// photo is missing.
template <typename Step>
auto reading_the_track(const FileMove& move, Step step) -> decltype(step())
{
    try {
        return step();
    } catch (const RuntimeError& error) {
        if (!error.entry().empty())
            throw;
        throw error.in_entry(move.entry->name)
            .with_detail("The shared track could not be read again to copy \"" + move.entry->name +
                         "\" out of it: put the ZIP back where it was, or check its disk, and import again.");
    }
}

}  // namespace

void copy_out_of_track(FileEffects& effects, const FileMove& move)
{
    if (!move.entry->found)
        throw move_failure(effects, ENOENT, move);
    const ReadOnlyFile zip = reading_the_track(move, [&] { return ReadOnlyFile(effects, move.source, Links::Followed); });
    ZipEntryReader entry =
        reading_the_track(move, [&] { return ZipEntryReader(zip, *move.entry->found, move.source); });
    place_copy(effects, move, [&](int copy, CopySide& failed) {
        std::string block(copy_block_size, '\0');
        failed = CopySide::Copy;
        while (const std::size_t got =
                   reading_the_track(move, [&] { return entry.read_some(block.data(), block.size()); }))
            if (const int error = effects.write_all(copy, std::string_view(block.data(), got)))
                return error;
        return 0;
    });
}

}  // namespace survey
