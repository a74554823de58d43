#include "import/files/staged_file.h"

#include "import/files/file_error.h"

#include <cerrno>
#include <unistd.h>

namespace survey {

namespace {

// A leftover from a crashed run may hold a name; a few others are tried.
constexpr int temp_names_tried = 10;

std::string temp_name(const std::string& final_path, int attempt)
{
    return final_path + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace

StagedFile::StagedFile(FileEffects& effects, std::string final_path)
    : effects_(effects), final_path_(std::move(final_path))
{
    int error = EEXIST;
    for (int attempt = 0; attempt < temp_names_tried && error == EEXIST; ++attempt) {
        temp_path_ = temp_name(final_path_, attempt);
        error = effects_.create_new(temp_path_, final_path_, fd_);
    }
    if (error != 0)
        throw file_error(error, final_path_);
}

StagedFile::~StagedFile()
{
    if (fd_ >= 0)
        effects_.close(fd_);
    if (!published_)
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
