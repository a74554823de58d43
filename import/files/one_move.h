#pragma once

#include "import/files/file_effects.h"
#include "import/files/file_move.h"

#include <string>

// How one file moves without ever replacing another, on any file system.
namespace survey {

// Renames `from` to `to` within one file system: by a rename that refuses
// a taken name; where the file system has none, by a hard link and the
// removal of the old name; where it has neither (FAT through FUSE, exFAT),
// by reserving the name with an exclusive create of an empty file and
// renaming over that. Returns 0, EEXIST when `to` is taken, EXDEV across
// file systems, or the errno value it failed with; a failure leaves no
// trace, unless a step took effect although it reported the failure, which
// a look then finds.
int move_without_replacing(FileEffects& effects, const std::string& from, const std::string& to);

// Where a copy to `target` is made on a file system without unnamed files,
// until it is whole.
std::string copy_in_progress_path(const std::string& target);

// Copies `move` across file systems: the bytes into a file with no name
// (or under the name above), synced, then given the target's name without
// replacing. Returns what stood at the source it copied, or throws what
// stopped it, leaving no trace. The source stays until the change commits.
FileStatus copy_without_replacing(FileEffects& effects, const FileMove& move);

// Copies the entry of a shared track that `move` names, as a file is copied
// above; its bytes are checked against the ZIP's size and CRC-32 before the
// copy takes its name. The ZIP never changes.
void copy_out_of_track(FileEffects& effects, const FileMove& move);

}  // namespace survey
