#pragma once

#include "import/files/file_handle.h"

#include <string>

namespace survey {

// Holds the program folder for one import, archive or recovery, so that a
// second window on the same folder cannot take a half-made change for one
// a crash left behind.
class FolderLock {
public:
    // Throws when the folder is missing, or another window holds it.
    FolderLock(FileEffects& effects, const std::string& app_folder);

private:
    FileHandle held_;
};

}  // namespace survey
