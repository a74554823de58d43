#include "import/files/gpx_file.h"

#include "import/files/file_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace survey {

GpxFile::GpxFile(const std::string& path)
{
    if (path.empty())
        throw RuntimeError::for_file(ErrorKind::BadFileName, path);
    // Non-blocking, so that a pipe or device named by mistake cannot hang the window.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        throw file_error(errno, path);
    struct stat status;
    if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd_);
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, path);
    }
}

GpxFile::~GpxFile()
{
    ::close(fd_);
}

}  // namespace survey
