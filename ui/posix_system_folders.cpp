#include "ui/system_import_core.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string SystemImportCore::stored_name(const std::string& path)
{
    // A POSIX name is stored as given, and may hold a backslash.
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 ? path.substr(path.rfind('/') + 1) : std::string();
}

void SystemImportCore::make_current_folder(const std::string& folder)
{
    ::chdir(folder.c_str());
}

bool SystemImportCore::folder_is_writable(const std::string& folder)
{
    // Asked as the user the program runs as, not as whoever started it.
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0)
        return true;
    return errno != EACCES && errno != EROFS;
}
