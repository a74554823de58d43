#include "import/files/staged_file.h"

#include "import/files/file_error.h"
#include "import/files/file_queries.h"

#include <cerrno>
#include <climits>
#include <string_view>
#include <fcntl.h>
#include <unistd.h>

namespace survey {

std::string link_target(const std::string& path)
{
    // Link by link rather than with realpath, which fails for a link whose
    // file is not there yet; as many links as the kernel itself follows.
    constexpr int most_links = 40;
    std::string target = path;
    char contents[PATH_MAX];
    for (int links = 0; links < most_links && entry_kind(target) == EntryKind::Other; ++links) {
        const ssize_t length = ::readlink(target.c_str(), contents, sizeof contents);
        if (length < 0 || static_cast<std::size_t>(length) == sizeof contents)
            break;
        const std::string_view points_to(contents, static_cast<std::size_t>(length));
        target = points_to.starts_with('/') ? std::string(points_to) : parent_folder(target) + "/" + std::string(points_to);
    }
    return target;
}

std::string writable_target(const std::string& path)
{
    const std::string target = link_target(path);
    // Opening for writing asks exactly what replacing would need, without changing a byte.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0)
        ::close(fd);
    else if (errno != ENOENT)
        throw file_error(errno, target);
    return target;
}

StagedFile::StagedFile(FileEffects& effects, std::string final_path)
    : effects_(effects), final_path_(std::move(final_path)), temp_path_(temp_path_for(final_path_))
{
    if (const int error = effects_.create_new(temp_path_, final_path_, fd_))
        throw file_error(error, error == EEXIST ? temp_path_ : final_path_);
}

StagedFile::~StagedFile()
{
    if (fd_ >= 0)
        effects_.close(fd_);
    if (!published_ && !kept_)
        effects_.remove(temp_path_);
}

void StagedFile::write_and_sync(std::string_view bytes)
{
    int error = effects_.write_all(fd_, bytes);
    if (error == 0)
        error = effects_.sync(fd_);
    if (error != 0)
        throw RuntimeError::for_file(ErrorKind::DeviceIoError, final_path_);
    close_file();
}

void StagedFile::close_file()
{
    const int error = effects_.close(fd_);
    fd_ = -1;
    if (error != 0)
        throw RuntimeError::for_file(ErrorKind::DeviceIoError, final_path_);
}

void StagedFile::publish()
{
    if (const int error = effects_.replace(temp_path_, final_path_))
        throw file_error(error, final_path_);
    published_ = true;
}

}  // namespace survey
