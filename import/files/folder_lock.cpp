#include "import/files/folder_lock.h"

#include "import/files/file_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace survey {

FolderLock::FolderLock(const std::string& app_folder)
    : fd_(::open(app_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (fd_ < 0) {
        const int error = errno;
        // The program folder itself is what is missing.
        if (error == ENOENT)
            throw RuntimeError::for_file(ErrorKind::PathNotFound, app_folder);
        throw file_error(error, app_folder);
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd_);
        if (error == EWOULDBLOCK)
            throw RuntimeError::for_file(ErrorKind::PathFileAccessError, app_folder)
                .with_detail("Another window of this program is changing this program folder. Wait until it "
                             "has finished, then try again.");
        throw file_error(error, app_folder);
    }
}

FolderLock::~FolderLock()
{
    ::close(fd_);
}

}  // namespace survey
