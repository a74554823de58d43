#pragma once

#include <string>
#include <string_view>

namespace survey {

// Every change the import and the archive make to the file system passes
// through this one seam, so that a test can make any single step fail.
// Each step returns 0 or the errno value it failed with.
class FileEffects {
public:
    virtual ~FileEffects() = default;

    // Creates `path`, which must not exist, for writing; with `like` naming
    // an existing file, the new one takes its permissions.
    virtual int create_new(const std::string& path, const std::string& like, int& fd) = 0;
    virtual int write_all(int fd, std::string_view bytes) = 0;
    virtual int sync(int fd) = 0;
    virtual int close(int fd) = 0;
    // Moves a file, failing with EEXIST rather than replace what is at `to`.
    virtual int move_without_replacing(const std::string& from, const std::string& to) = 0;
    // Renames over `to` in one step, so readers see the old file or the new.
    virtual int replace(const std::string& from, const std::string& to) = 0;
    virtual int remove(const std::string& path) = 0;
};

// The machine's own file system.
FileEffects& system_file_effects();

}  // namespace survey

namespace survey {

// Makes the names in a folder durable after moves; best effort, since the
// moves have already been made and reported by then.
void flush_folder(const std::string& folder);

}  // namespace survey
