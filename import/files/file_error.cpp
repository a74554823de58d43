#include "import/files/file_error.h"

#include "import/files/file_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>

namespace survey {

namespace {

// Who holds a file open, told by its kind: the survey in a spreadsheet, the
// GPX file in an editor, a photo in a viewer.
struct Holder {
    std::array<std::string_view, 4> extensions;
    std::string_view held;
};

constexpr Holder holders[] = {
    {{".csv"}, "this file open, perhaps a spreadsheet"},
    {{".gpx"}, "this GPX file open, perhaps a text editor"},
    {{".jpg", ".jpeg", ".png"}, "this photo open, perhaps a photo viewer"},
    {{".3gpp", ".3gp", ".m4a", ".amr"}, "this recording open, perhaps a sound player"},
};

// The extension of the path's last name, in lower case; "" when it has none.
std::string lower_extension(const std::string& path)
{
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos)
        return {};
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::string held_file_sentence(const std::string& path)
{
    const std::string extension = lower_extension(path);
    // The empty places in a short list of extensions match no extension.
    const auto holder = std::find_if(std::begin(holders), std::end(holders), [&extension](const Holder& holder) {
        return !extension.empty() &&
               std::find(holder.extensions.begin(), holder.extensions.end(), extension) != holder.extensions.end();
    });
    const std::string_view held = holder == std::end(holders) ? "this file open" : holder->held;
    return "Another program has " + std::string(held) + ": close it there first.";
}

ErrorKind kind_of(int error)
{
    switch (error) {
    case ENOENT: return ErrorKind::FileNotFound;
    case ENOTDIR:
    case ENODEV: return ErrorKind::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return ErrorKind::PermissionDenied;
    case EEXIST:
    case ENOTEMPTY: return ErrorKind::FileAlreadyExists;
    case ENAMETOOLONG: return ErrorKind::BadFileName;
    case ENOSPC: return ErrorKind::DiskFull;
    case EIO:
    case EFBIG: return ErrorKind::DeviceIoError;
    default: return ErrorKind::PathFileAccessError;
    }
}

}  // namespace

bool means_absent(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

RuntimeError file_error(FileEffects& effects, int error, const std::string& path)
{
    if (error == ENOENT) {
        const std::string folder = parent_folder(path);
        FileStatus status;
        if (means_absent(effects.look_up(folder, status)))
            return RuntimeError::for_file(ErrorKind::PathNotFound, folder);
    }
    const RuntimeError failure = RuntimeError::for_file(kind_of(error), path);
    if (error == ENODEV)
        return failure.with_detail("The card or drive that holds it is not there: put it back, then try again.");
    if (error == EBUSY)
        return failure.with_detail(held_file_sentence(path));
    if (failure.kind() == ErrorKind::DiskFull)
        return failure.with_detail("There is no room left on the disk that holds " + parent_folder(path) +
                                   ": make room there, then try again.");
    return failure;
}

RuntimeError write_refused(FileEffects& effects, int error, const std::string& path)
{
    const RuntimeError failure = file_error(effects, error, path);
    if (error != EACCES && error != EPERM)
        return failure;
    const std::string name = path.substr(path.find_last_of("/\\") + 1);
    return failure.with_detail(name + " is read-only, or your account may not change it: clear \"Read-only\" in the "
                               "file's properties, or ask whoever looks after this computer for permission to "
                               "write it; then import again.");
}

RuntimeError explained(const RuntimeError& error, const std::string& sentence)
{
    return error.detail().empty() ? error.with_detail(sentence) : error;
}

}  // namespace survey
