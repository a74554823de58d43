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
    // Creates a file with no name in `folder`, for a copy that must not be
    // seen under its name until it is whole; it vanishes if never linked.
    virtual int create_unnamed(const std::string& folder, int& fd) = 0;
    // Gives the unnamed file `fd` the name `to`, failing with EEXIST rather
    // than replace what is there.
    virtual int link_unnamed(int fd, const std::string& to) = 0;
};

// The machine's own file system.
FileEffects& system_file_effects();

// Makes the names in a folder durable, so that a power cut cannot undo a
// change made before it; best effort, since by then the change is made.
void flush_folder(const std::string& folder);

}  // namespace survey
