#include "import/files/gpx_file.h"

#include "import/files/file_error.h"

namespace survey {

GpxFile::GpxFile(const std::string& path)
{
    if (path.empty())
        throw RuntimeError::for_file(ErrorKind::BadFileName, path);
    FileEffects& effects = system_file_effects();
    int fd = -1;
    if (const int error = effects.open_to_read(path, fd, Links::Followed))
        throw file_error(error, path);
    file_ = FileHandle(effects, fd);
    FileStatus status;
    if (effects.status_of(fd, status) != 0 || status.kind != EntryKind::File)
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, path);
}

}  // namespace survey
