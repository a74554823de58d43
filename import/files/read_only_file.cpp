#include "import/files/read_only_file.h"

#include "import/files/file_error.h"

namespace survey {

ReadOnlyFile::ReadOnlyFile(FileEffects& effects, std::string path, Links links)
    : effects_(effects), path_(std::move(path))
{
    if (path_.empty())
        throw RuntimeError::for_file(ErrorKind::BadFileName, path_);
    int fd = -1;
    if (const int error = effects_.open_to_read(path_, fd, links))
        throw file_error(effects_, error, path_);
    file_ = FileHandle(effects_, fd);
    FileStatus status;
    if (effects_.status_of(fd, status) != 0 || status.kind != EntryKind::File)
        throw RuntimeError::for_file(ErrorKind::PathFileAccessError, path_);
    size_ = status.size;
}

void ReadOnlyFile::read_at(std::uint64_t offset, char* out, std::size_t count) const
{
    std::size_t got = 0;
    // Short only when the file shrank since it was opened: another hand.
    if (effects_.read_at(file_.fd(), offset, out, count, got) != 0 || got != count)
        throw RuntimeError::for_file(ErrorKind::DeviceIoError, path_);
}

}  // namespace survey
