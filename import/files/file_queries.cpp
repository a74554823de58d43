#include "import/files/file_queries.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unordered_set>

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

std::optional<bool> folder_holds_any(const std::string& folder, const std::vector<std::string_view>& names)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    const std::unordered_set<std::string_view> wanted(names.begin(), names.end());
    bool held = false;
    while (const dirent* entry = held ? nullptr : ::readdir(dir))
        held = wanted.contains(entry->d_name);
    ::closedir(dir);
    return held;
}

}  // namespace survey
