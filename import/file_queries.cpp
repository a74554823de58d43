#include "import/file_queries.h"

#include <cerrno>
#include <sys/stat.h>

namespace survey {

EntryKind entry_kind(const std::string& path)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0)
        return EntryKind::None;
    if (S_ISREG(status.st_mode))
        return EntryKind::File;
    if (S_ISDIR(status.st_mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

std::string parent_folder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

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
    return RuntimeError(kind_of(error), 0, path);
}

}  // namespace survey
