#pragma once

#include "import/files/file_effects.h"

#include <string>

namespace survey {

enum class RecoveryOutcome { Nothing, Completed, Undone };

// What the start of a run did about a change a crash interrupted.
struct Recovery {
    RecoveryOutcome outcome = RecoveryOutcome::Nothing;
    // The GPX file the change was about; empty when it had not been named yet.
    std::string gpx_path;
    // Whether the change was the archive of a GPX file rather than an import.
    bool archive = false;
};

// With the program folder locked: finishes or undoes the change its journal
// names, and removes a staged survey file a crash left. Throws, keeping the
// journal for the next try and saying what to do, when a file cannot be put
// back, when the journal is damaged or another version's, when a folder it
// names is not there (or is a card's empty mount point), when the survey
// file is gone before the change took effect, or when a look at the disk
// fails: it never decides on a guess.
Recovery recover_locked(FileEffects& effects, const std::string& app_folder);

}  // namespace survey
