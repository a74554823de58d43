#include "import/files/folder_lock.h"

#include "import/files/file_error.h"

#include <cerrno>

namespace survey {

FolderLock::FolderLock(FileEffects& effects, std::string app_folder)
    : effects_(effects), app_folder_(std::move(app_folder))
{
    const int error = effects.lock_folder(app_folder_, fd_);
    // The program folder itself is what is missing.
    if (error == ENOENT)
        throw RuntimeError::for_file(ErrorKind::PathNotFound, app_folder_);
    if (error == EWOULDBLOCK)
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, app_folder_)
            .with_detail("Another window of this program, on this computer or on another that shares this "
                         "program folder, is changing it. Wait until it has finished, then try again.");
    if (error == EACCES || error == EPERM || error == EROFS)
        throw file_error(effects, error, app_folder_)
            .with_detail("This program folder is read-only for you, so the program can change nothing in it: move "
                         "the whole folder to one you can write, such as your Documents folder, and start the "
                         "program from there.");
    if (error != 0)
        throw explained(file_error(effects, error, app_folder_),
                        "Nothing was changed. Check the disk, then try again.");
}

}  // namespace survey
