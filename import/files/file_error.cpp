#include "import/files/file_error.h"

#include "import/files/file_queries.h"

#include <cerrno>

namespace survey {

namespace {

ErrorKind kind_of(int error)
{
    switch (error) {
    case ENOENT: return ErrorKind::FileNotFound;
    case ENOTDIR: return ErrorKind::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return ErrorKind::PermissionDenied;
    case EEXIST:
    case ENOTEMPTY: return ErrorKind::FileAlreadyExists;
    case ENAMETOOLONG: return ErrorKind::BadFileName;
    case EIO:
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ErrorKind::DeviceIoError;
    default: return ErrorKind::PathFileAccessError;
    }
}

}  // namespace

RuntimeError file_error(int error, const std::string& path)
{
    if (error == ENOENT) {
        const std::string folder = parent_folder(path);
        if (entry_kind(folder) != EntryKind::Folder)
            return RuntimeError::for_file(ErrorKind::PathNotFound, folder);
    }
    return RuntimeError::for_file(kind_of(error), path);
}

}  // namespace survey
