#pragma once

#include "import/file_effects.h"
#include "import/runtime_error.h"

#include <optional>
#include <string>
#include <unordered_map>

namespace survey {

// A file to move into a folder under its own name.
struct FileMove {
    std::string source;
    std::string target_folder;  // ends with "/"
    std::string name;

    std::string target() const { return target_folder + name; }
};

// The file system as it will look once some moves are made, so that a list
// of moves can be checked before any is done.
class MovePreview {
public:
    bool exists(const std::string& path) const;
    void record(const FileMove& move);

private:
    std::unordered_map<std::string, bool> planned_;
};

// Why the move cannot be made, checked in this order: source present,
// target folder present, target absent. A move never replaces a file.
std::optional<RuntimeError> move_obstacle(const FileMove& move, const MovePreview& preview);

// Checks the move, then makes it; throws what stops it.
void move_file(FileEffects& effects, const FileMove& move);

}  // namespace survey
