#include "import/files/file_error.h"

#include "import/files/file_names.h"

#include <cerrno>

namespace survey {

namespace {

ErrorKind kind_of(int error)
{
    switch (error) {
    case ENOENT: return ErrorKind::FileNotFound;
    case ENOTDIR:
    case ENODEV: return ErrorKind::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return ErrorKind::PermissionDenied;
    case EEXIST:
    case ENOTEMPTY: return ErrorKind::FileAlreadyExists;
    case ENAMETOOLONG: return ErrorKind::BadFileName;
    case ENOSPC: return ErrorKind::DiskFull;
    case EIO:
    case EFBIG: return ErrorKind::DeviceIoError;
    default: return ErrorKind::PathFileAccessError;
    }
}

}  // namespace

bool means_absent(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

RuntimeError file_error(FileEffects& effects, int error, const std::string& path)
{
    if (error == ENOENT) {
        const std::string folder = parent_folder(path);
        FileStatus status;
        if (means_absent(effects.look_up(folder, status)))
            return RuntimeError::for_file(ErrorKind::PathNotFound, folder);
    }
    const RuntimeError failure = RuntimeError::for_file(kind_of(error), path);
    if (error == ENODEV)
        return failure.with_detail("The card or drive that holds it is not there: put it back, then try again.");
    if (error == EBUSY)
        return failure.with_detail("Another program has this file open, perhaps a spreadsheet: close it there, then "
                                   "try again.");
    if (failure.kind() == ErrorKind::DiskFull)
        return failure.with_detail("There is no room left on the disk that holds " + parent_folder(path) +
                                   ": make room there, then try again.");
    return failure;
}

RuntimeError explained(const RuntimeError& error, const std::string& sentence)
{
    return error.detail().empty() ? error.with_detail(sentence) : error;
}

}  // namespace survey
