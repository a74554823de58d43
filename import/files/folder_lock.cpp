#include "import/files/folder_lock.h"

#include "import/files/file_error.h"

#include <cerrno>

namespace survey {

FolderLock::FolderLock(FileEffects& effects, const std::string& app_folder)
{
    int fd = -1;
    const int error = effects.lock_folder(app_folder, fd);
    // The program folder itself is what is missing.
    if (error == ENOENT)
        throw RuntimeError::for_file(ErrorKind::PathNotFound, app_folder);
    if (error == EWOULDBLOCK)
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, app_folder)
            .with_detail("Another window of this program is changing this program folder. Wait until it "
                         "has finished, then try again.");
    if (error == EACCES || error == EPERM || error == EROFS)
        throw file_error(effects, error, app_folder)
            .with_detail("This program folder is read-only for you, so the program can change nothing in it: move "
                         "the whole folder to one you can write, such as your Documents folder, and start the "
                         "program from there.");
    if (error != 0)
        throw explained(file_error(effects, error, app_folder),
                        "Nothing was changed. Check the disk, then try again.");
    held_ = FileHandle(effects, fd);
}

}  // namespace survey
