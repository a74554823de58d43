#pragma once

#include "import/file_effects.h"
#include "import/file_move.h"
#include "import/import_plan.h"

#include <string>
#include <string_view>
#include <vector>

namespace survey {

// Photo names come from the GPX file: only a plain one-line name in the
// folder is safe.
bool is_safe_file_name(std::string_view name);

// The planned photo moves, each checked as the file system will be once the
// earlier ones are made; throws the first that cannot be made, at its line.
std::vector<FileMove> checked_photo_moves(const std::vector<PhotoMove>& photos, const std::string& gpx_folder,
                                          const std::string& app_folder);

// Moves made so far, undone unless kept, so that a failure part way leaves
// every photo where it was.
class MoveJournal {
public:
    explicit MoveJournal(FileEffects& effects) : effects_(effects) {}
    ~MoveJournal();
    MoveJournal(const MoveJournal&) = delete;
    MoveJournal& operator=(const MoveJournal&) = delete;

    void make(const FileMove& move);
    void keep() { made_.clear(); }

private:
    FileEffects& effects_;
    std::vector<FileMove> made_;
};

}  // namespace survey
