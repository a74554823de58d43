#pragma once

#include "import/files/file_effects.h"
#include "import/files/file_handle.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace survey {

// The file a write to `path` reaches: a symbolic link's target, so that
// replacing the file keeps the link and changes what it points to. A look
// or a link that cannot be read throws: a link taken for a plain file would
// be replaced itself.
std::string link_target(FileEffects& effects, const std::string& path);

// The same, after checking that this user may write it: Permission denied,
// before anything changes, when not.
std::string writable_target(FileEffects& effects, const std::string& path);

// A file written under a temporary name beside its final one, for a change
// to rename into place in one step, so the old content stays whole until the
// new is safely on disk. Until handed over to that change, the temporary
// file goes with this object; one left by a crash has a fixed name, so that
// the next start finds and removes it.
class StagedFile {
public:
    StagedFile(FileEffects& effects, std::string final_path);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // A name no other program would use, so that the next start may remove it.
    static std::string temp_path_for(const std::string& final_path) { return final_path + ".gpx-survey-import.tmp"; }

    const std::string& final_path() const { return final_path_; }
    const std::string& temp_path() const { return temp_path_; }
    // Writes the whole content and waits until it is on disk.
    void write_and_sync(std::string_view bytes);
    // The checksum of what was written, which the file it replaces holds once replaced.
    std::uint64_t content_checksum() const { return content_checksum_; }
    // From here the change that renames it says what becomes of the temporary file.
    void hand_over() { handed_over_ = true; }

private:
    FileEffects& effects_;
    std::string final_path_;
    std::string temp_path_;
    FileHandle file_;
    std::uint64_t content_checksum_ = 0;
    bool handed_over_ = false;
};

}  // namespace survey
