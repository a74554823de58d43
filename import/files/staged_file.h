#pragma once

#include "import/files/file_effects.h"

#include <string>
#include <string_view>

namespace survey {

// A file written under a temporary name beside its final one and renamed
// into place in one step, so the old content stays whole until the new is
// safely on disk. Unless published, the temporary file is removed.
class StagedFile {
public:
    StagedFile(FileEffects& effects, std::string final_path);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Writes the whole content and waits until it is on disk.
    void write_and_sync(std::string_view bytes);
    void publish();

private:
    void close_file();

    FileEffects& effects_;
    std::string final_path_;
    std::string temp_path_;
    int fd_ = -1;
    bool published_ = false;
};

}  // namespace survey
