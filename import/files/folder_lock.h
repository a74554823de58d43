#pragma once

#include "import/files/file_effects.h"

#include <string>

namespace survey {

// Holds the program folder for one import, archive or recovery, so that a
// second window on the same folder, on this machine or on another that
// shares it, cannot take a half-made change for one a crash left behind.
class FolderLock {
public:
    // Throws when the folder is missing, or another window holds it.
    FolderLock(FileEffects& effects, std::string app_folder);
    ~FolderLock() { effects_.unlock_folder(app_folder_, fd_); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    FileEffects& effects_;
    std::string app_folder_;
    int fd_ = -1;
};

}  // namespace survey
