// The file-system seam on Linux: POSIX calls, with Linux's renameat2 for
// renames that never replace a file and O_TMPFILE for copies with no name.
#include "import/files/file_effects.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace survey {

namespace {

// A full quota is a full disk to the user, and not every system names it.
int error_now()
{
    return errno == EDQUOT ? ENOSPC : errno;
}

int errno_of(int result)
{
    return result == 0 ? 0 : error_now();
}

FileStatus status_from(const struct stat& status)
{
    const EntryKind kind = S_ISREG(status.st_mode)   ? EntryKind::File
                           : S_ISDIR(status.st_mode) ? EntryKind::Folder
                                                     : EntryKind::Other;
    // Linux gives a new file a number no file in the cache holds, FAT's too.
    constexpr std::int64_t nanoseconds = 1'000'000'000;
    return {kind,
            {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)},
            static_cast<std::uint64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * nanoseconds + status.st_mtim.tv_nsec,
            true};
}

std::string lock_path(const std::string& folder)
{
    return folder + "/.gpx-survey-import.lock";
}

// Where a process's open files have names.
constexpr const char* proc_fd_folder = "/proc/self/fd";

class PosixFileEffects : public FileEffects {
public:
    int look_up(const std::string& path, FileStatus& status) override
    {
        struct stat found;
        if (::lstat(path.c_str(), &found) != 0)
            return error_now();
        status = status_from(found);
        return 0;
    }

    int open_to_read(const std::string& path, int& fd, Links links) override
    {
        // Non-blocking, so that a pipe or device named by mistake cannot hang the window.
        const int follow = links == Links::Followed ? O_NONBLOCK : O_NOFOLLOW;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | follow);
        return fd < 0 ? error_now() : 0;
    }

    int read_some(int fd, char* out, std::size_t size, std::size_t& got) override
    {
        ssize_t now;
        while ((now = ::read(fd, out, size)) < 0 && errno == EINTR) {
        }
        got = now > 0 ? static_cast<std::size_t>(now) : 0;
        return now < 0 ? error_now() : 0;
    }

    int read_at(int fd, std::uint64_t offset, char* out, std::size_t size, std::size_t& got) override
    {
        got = 0;
        while (got < size) {
            const ssize_t now = ::pread(fd, out + got, size - got, static_cast<off_t>(offset + got));
            if (now < 0 && errno == EINTR)
                continue;
            if (now < 0)
                return error_now();
            if (now == 0)
                break;
            got += static_cast<std::size_t>(now);
        }
        return 0;
    }

    int status_of(int fd, FileStatus& status) override
    {
        struct stat found;
        if (::fstat(fd, &found) != 0)
            return error_now();
        status = status_from(found);
        return 0;
    }

    int may_change_folder(const std::string& folder) override
    {
        return errno_of(::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS));
    }

    int may_write(const std::string& path) override
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return error_now();
        ::close(fd);
        return 0;
    }

    int read_folder_names(const std::string& folder, std::vector<std::string>& names) override
    {
        DIR* dir = ::opendir(folder.c_str());
        if (!dir)
            return error_now();
        names.clear();
        errno = 0;
        while (const dirent* entry = ::readdir(dir))
            names.emplace_back(entry->d_name);
        const int error = errno == 0 ? 0 : error_now();
        ::closedir(dir);
        return error;
    }

    int read_link(const std::string& path, std::string& target) override
    {
        char contents[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), contents, sizeof contents);
        if (length < 0)
            return error_now();
        if (static_cast<std::size_t>(length) == sizeof contents)
            return ENAMETOOLONG;
        target.assign(contents, static_cast<std::size_t>(length));
        return 0;
    }

    // A lock on a file in the folder, not on the folder itself: NFS and SMB
    // keep a file's lock on the server, where every machine sharing the
    // folder meets it, but a folder's only on the machine that took it. The
    // file goes when the lock does; one taken from a holder that was just
    // removing it locks a name that is gone, and is taken again.
    int lock_folder(const std::string& folder, int& fd) override
    {
        const std::string path = lock_path(folder);
        constexpr int tries = 10;
        for (int attempt = 1;; ++attempt) {
            fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
            if (fd < 0)
                return error_now();
            int error = errno_of(::flock(fd, LOCK_EX | LOCK_NB));
            struct stat held;
            struct stat named;
            if (error == 0 && ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino)
                return 0;
            ::close(fd);
            fd = -1;
            // The holder removed the file under a share's client: gone, as above.
            if (error != 0 && error != ESTALE)
                return error;
            if (attempt == tries)
                return EWOULDBLOCK;
        }
    }

    void unlock_folder(const std::string& folder, int fd) override
    {
        ::unlink(lock_path(folder).c_str());
        ::close(fd);
    }

    int create_new(const std::string& path, const std::string& like, int& fd) override
    {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            return error_now();
        struct stat model;
        if (!like.empty() && ::stat(like.c_str(), &model) == 0)
            ::fchmod(fd, model.st_mode & 07777);
        return 0;
    }

    // Such a file takes its name through /proc (link_unnamed): where none is
    // mounted, as in some containers, it could never have one, and the copy
    // is made under a working name instead. Kernels before 3.11 answer EISDIR.
    int create_unnamed(const std::string& folder, int& fd) override
    {
        fd = -1;
        if (::access(proc_fd_folder, X_OK) != 0)
            return EOPNOTSUPP;
        fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
        const int error = fd < 0 ? error_now() : 0;
        return error == EISDIR ? EOPNOTSUPP : error;
    }

    int write_all(int fd, std::string_view bytes) override
    {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return error_now();
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return 0;
    }

    int sync(int fd) override { return errno_of(::fsync(fd)); }

    int sync_folder(const std::string& folder) override
    {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return error_now();
        const int error = errno_of(::fsync(fd));
        ::close(fd);
        return error;
    }

    int close(int fd) override { return errno_of(::close(fd)); }

    int rename_without_replacing(const std::string& from, const std::string& to) override
    {
        return errno_of(::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE));
    }

    int hard_link(const std::string& from, const std::string& to) override
    {
        return errno_of(::link(from.c_str(), to.c_str()));
    }

    int rename_over(const std::string& from, const std::string& to) override
    {
        return errno_of(::rename(from.c_str(), to.c_str()));
    }

    int remove(const std::string& path) override { return errno_of(::unlink(path.c_str())); }

    int link_unnamed(int fd, const std::string& to) override
    {
        // Through /proc, since naming the descriptor itself needs a privilege.
        const std::string self = std::string(proc_fd_folder) + "/" + std::to_string(fd);
        return errno_of(::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW));
    }
};

}  // namespace

FileEffects& system_file_effects()
{
    static PosixFileEffects effects;
    return effects;
}

}  // namespace survey
