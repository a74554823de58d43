#pragma once

#include "import/files/file_identity.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace survey {

// What stands at a path.
struct FileStatus {
    EntryKind kind = EntryKind::None;
    FileIdentity identity;
    std::uint64_t size = 0;
    // When its bytes last changed, in the system's own units.
    std::int64_t modified = 0;
    // Whether its identity stays its own while the volume is mounted: not
    // on FAT or exFAT under Windows.
    bool identity_lasts = true;

    // Whether `now` is surely the file this was taken of: the same identity,
    // size and time, where identities last. Else only its bytes can tell.
    bool surely_same_file(const FileStatus& now) const
    {
        return identity_lasts && now.identity == identity && now.size == size && now.modified == modified;
    }
};

enum class Links { Followed, NotFollowed };

// Whether an errno value from a look-up says that nothing is there. Any
// other failure is not an answer: a change or a recovery stops on it.
bool means_absent(int error);

// Every call the import, the archive and recovery make to the file system,
// looks and changes alike, passes through this one seam, so that a test can
// make any single call fail, or record every change with its syncs. Each
// returns 0 or the errno value it failed with.
class FileEffects {
public:
    virtual ~FileEffects() = default;

    // Looks. `look_up` does not follow a final symbolic link, nor does
    // `open_to_read` unless told to, as for the GPX file the user chose.
    virtual int look_up(const std::string& path, FileStatus& status) = 0;
    virtual int open_to_read(const std::string& path, int& fd, Links links = Links::NotFollowed) = 0;
    // Reads what is there, up to `size` bytes; `got` is 0 at the end.
    virtual int read_some(int fd, char* out, std::size_t size, std::size_t& got) = 0;
    // Reads at `offset`, as a ZIP's directory and entries are read; `got` is
    // short only at the end. Windows moves the file's position with it, so a
    // file read so is read only so.
    virtual int read_at(int fd, std::uint64_t offset, char* out, std::size_t size, std::size_t& got) = 0;
    virtual int status_of(int fd, FileStatus& status) = 0;
    // Whether this user may add and remove names in `folder`.
    virtual int may_change_folder(const std::string& folder) = 0;
    // Whether opening the existing file at `path` for writing would succeed,
    // without changing a byte of it.
    virtual int may_write(const std::string& path) = 0;
    // The names in `folder`, as the file system stores them.
    virtual int read_folder_names(const std::string& folder, std::vector<std::string>& names) = 0;
    // What the symbolic link at `path` points to; EINVAL when it is no link.
    virtual int read_link(const std::string& path, std::string& target) = 0;
    // Holds `folder` for this process until `unlock_folder`, or until the
    // process ends: EWOULDBLOCK when another holds it, on this machine or,
    // where the folder is on a network share that keeps locks, on another.
    virtual int lock_folder(const std::string& folder, int& fd) = 0;
    virtual void unlock_folder(const std::string& folder, int fd) = 0;

    // Changes. `create_new` fails with EEXIST rather than open a file that
    // is there; with `like` naming an existing file, the new one takes its permissions.
    virtual int create_new(const std::string& path, const std::string& like, int& fd) = 0;
    // A file with no name in `folder`, which vanishes unless linked:
    // EOPNOTSUPP where the file system has none.
    virtual int create_unnamed(const std::string& folder, int& fd) = 0;
    virtual int write_all(int fd, std::string_view bytes) = 0;
    virtual int sync(int fd) = 0;
    // Makes the names in a folder durable, so that a power cut cannot undo
    // a rename, link or removal made in it before.
    virtual int sync_folder(const std::string& folder) = 0;
    virtual int close(int fd) = 0;
    // Fails with EEXIST rather than replace; EINVAL or ENOSYS where the
    // file system cannot rename that way.
    virtual int rename_without_replacing(const std::string& from, const std::string& to) = 0;
    // Fails with EEXIST rather than replace; EPERM where the file system
    // has no hard links.
    virtual int hard_link(const std::string& from, const std::string& to) = 0;
    // Renames over `to` in one step, so readers see the old file or the new.
    virtual int rename_over(const std::string& from, const std::string& to) = 0;
    virtual int remove(const std::string& path) = 0;
    // Gives the unnamed file `fd` the name `to`, failing with EEXIST rather
    // than replace what is there.
    virtual int link_unnamed(int fd, const std::string& to) = 0;
};

// The machine's own file system.
FileEffects& system_file_effects();

}  // namespace survey
