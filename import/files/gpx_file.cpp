#include "import/files/gpx_file.h"

#include "import/files/file_error.h"

namespace survey {

GpxFile::GpxFile(FileEffects& effects, std::string path) : effects_(effects), path_(std::move(path))
{
    if (path_.empty())
        throw RuntimeError::for_file(ErrorKind::BadFileName, path_);
    int fd = -1;
    if (const int error = effects_.open_to_read(path_, fd, Links::Followed))
        throw file_error(effects_, error, path_);
    file_ = FileHandle(effects_, fd);
    FileStatus status;
    if (effects_.status_of(fd, status) != 0 || status.kind != EntryKind::File)
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, path_);
}

ByteStream GpxFile::stream() const
{
    return ByteStream([this](char* out, std::size_t size) {
        std::size_t got = 0;
        if (effects_.read_some(file_.fd(), out, size, got) != 0)
            throw RuntimeError::for_file(ErrorKind::DeviceIoError, path_);
        return got;
    });
}

}  // namespace survey
