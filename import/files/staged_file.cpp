#include "import/files/staged_file.h"

#include "import/files/checksum.h"
#include "import/files/file_error.h"
#include "import/files/file_queries.h"

#include <cerrno>

namespace survey {

std::string link_target(FileEffects& effects, const std::string& path)
{
    // Link by link rather than with realpath, which fails for a link whose
    // file is not there yet; as many links as the kernel itself follows.
    constexpr int most_links = 40;
    std::string target = path;
    std::string points_to;
    for (int links = 0; links < most_links && entry_kind(effects, target) == EntryKind::Other; ++links) {
        // Neither a link nor a file (a device, or on Windows a reparse
        // point, which is taken as the file it is): nothing to follow.
        const int error = effects.read_link(target, points_to);
        if (error == EINVAL)
            break;
        if (error != 0)
            throw file_error(effects, error, target);
        target = is_absolute_path(points_to) ? points_to : parent_folder(target) + "/" + points_to;
    }
    return target;
}

std::string writable_target(FileEffects& effects, const std::string& path)
{
    const std::string target = link_target(effects, path);
    // Opening for writing asks exactly what replacing would need, without changing a byte.
    const int error = effects.may_write(target);
    if (error != 0 && error != ENOENT)
        throw write_refused(effects, error, target);
    return target;
}

StagedFile::StagedFile(FileEffects& effects, std::string final_path)
    : effects_(effects), final_path_(std::move(final_path)), temp_path_(temp_path_for(final_path_))
{
    int fd = -1;
    if (const int error = effects_.create_new(temp_path_, final_path_, fd))
        throw file_error(effects_, error, error == EEXIST ? temp_path_ : final_path_);
    file_ = FileHandle(effects_, fd);
}

StagedFile::~StagedFile()
{
    file_.close();
    if (!handed_over_)
        effects_.remove(temp_path_);
}

void StagedFile::write_and_sync(std::string_view bytes)
{
    int error = effects_.write_all(file_.fd(), bytes);
    if (error == 0)
        error = effects_.sync(file_.fd());
    // A close can be the first to tell that the data did not reach the disk.
    if (error == 0)
        error = file_.close();
    if (error != 0)
        throw file_error(effects_, error, final_path_);
    content_checksum_ = checksum_of(bytes);
}

}  // namespace survey
