#pragma once

#include "import/files/file_queries.h"
#include "import/runtime_error.h"
#include "import/zip/zip_directory.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace survey {

// A file of a shared track: copied out, since the ZIP never changes.
struct TrackEntry {
    std::string name;
    std::optional<ZipEntry> found;  // none when the ZIP holds no such file
};

// A file to move into a folder under its own name: a file at `source`, or
// an entry of the ZIP at `source`.
struct FileMove {
    std::string source;
    std::string target_folder;  // ends with "/"
    std::string name;
    std::optional<TrackEntry> entry = std::nullopt;

    std::string target() const { return target_folder + name; }
    // The source in words: the file, or the ZIP and the entry in it.
    std::string source_place() const { return entry ? source + ": " + entry->name : source; }
};

// The file system as it will look once some moves are made, so that a list
// of moves can be checked before any is done. Each path is looked up once,
// and known by its name as the file system compares names, so that one
// file named twice in other letter cases is still one file.
class MovePreview {
public:
    explicit MovePreview(FileEffects& effects) : effects_(effects) {}
    EntryKind kind(const std::string& path);
    // What stands at the move's source: for an entry, whether the ZIP holds it.
    EntryKind source_kind(const FileMove& move);
    void record(const FileMove& move);

private:
    FileEffects& effects_;
    std::unordered_map<std::string, EntryKind> known_;
};

// Why the move cannot be made, checked in this order: source present,
// target folder present, target absent. A move never replaces a file.
std::optional<RuntimeError> move_obstacle(const FileMove& move, MovePreview& preview);

// Whether a move would fail on its target: something already stands
// there, or an earlier move of the list takes that name. Then no change
// begins, and the journal never names one file in two moves.
bool any_target_taken(FileEffects& effects, const std::vector<FileMove>& moves);

// What stopped a move that failed with `error`: the file system's own error
// at the target when a target stands after any failure but a taken name
// (the move took effect); else the obstacle as move_obstacle names it, else
// the folder that refused the change, else the source another program holds
// open, else that error at the target.
RuntimeError move_failure(FileEffects& effects, int error, const FileMove& move);

}  // namespace survey
