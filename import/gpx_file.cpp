#include "import/gpx_file.h"

#include "import/file_queries.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace survey {

namespace {

RuntimeError open_error(int error, const std::string& path)
{
    if (error == ENOENT && entry_kind(parent_folder(path)) != EntryKind::Folder)
        return RuntimeError(ErrorKind::PathNotFound, 0, path);
    return file_error(error, path);
}

}  // namespace

GpxFile::GpxFile(const std::string& path)
{
    if (path.empty())
        throw RuntimeError(ErrorKind::BadFileName);
    // Non-blocking, so that a pipe or device named by mistake cannot hang the window.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        throw open_error(errno, path);
    struct stat status;
    if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd_);
        throw RuntimeError(ErrorKind::PathFileAccessError, 0, path);
    }
}

GpxFile::~GpxFile()
{
    ::close(fd_);
}

}  // namespace survey
