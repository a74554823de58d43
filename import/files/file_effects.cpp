#include "import/files/file_effects.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace survey {

namespace {

int errno_of(int result)
{
    return result == 0 ? 0 : errno;
}

// For file systems without an atomic no-replace rename: a hard link fails
// when the target exists, and the source name goes only once the link stands.
int move_by_link(const std::string& from, const std::string& to)
{
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        return error;
    }
    return 0;
}

class SystemFileEffects : public FileEffects {
public:
    int create_new(const std::string& path, const std::string& like, int& fd) override
    {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            return errno;
        struct stat model;
        if (!like.empty() && ::stat(like.c_str(), &model) == 0)
            ::fchmod(fd, model.st_mode & 07777);
        return 0;
    }

    int write_all(int fd, std::string_view bytes) override
    {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return errno;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return 0;
    }

    int sync(int fd) override { return errno_of(::fsync(fd)); }

    int close(int fd) override { return errno_of(::close(fd)); }

    int move_without_replacing(const std::string& from, const std::string& to) override
    {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno == EINVAL || errno == ENOSYS)
            return move_by_link(from, to);
        return errno;
    }

    int replace(const std::string& from, const std::string& to) override
    {
        return errno_of(::rename(from.c_str(), to.c_str()));
    }

    int remove(const std::string& path) override { return errno_of(::unlink(path.c_str())); }

    int create_unnamed(const std::string& folder, int& fd) override
    {
        fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
        return fd < 0 ? errno : 0;
    }

    int link_unnamed(int fd, const std::string& to) override
    {
        // Through /proc, since naming the descriptor itself needs a privilege.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        return errno_of(::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW));
    }
};

}  // namespace

FileEffects& system_file_effects()
{
    static SystemFileEffects effects;
    return effects;
}

void flush_folder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace survey
