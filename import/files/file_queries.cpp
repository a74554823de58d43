#include "import/files/file_queries.h"

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

}  // namespace survey
