#include "import/files/photo_moves.h"

#include "import/files/program_folders.h"

#include <climits>

namespace survey {

bool is_safe_file_name(std::string_view name)
{
    // A line break would also split the survey record that lists the photo.
    constexpr std::string_view unsafe("/\\\0\r\n", 5);
    return !name.empty() && name.size() <= NAME_MAX && name != "." && name != ".." &&
           name.find_first_of(unsafe) == std::string_view::npos;
}

FileMove photo_file_move(const PhotoMove& photo, const std::string& gpx_folder, const std::string& app_folder)
{
    if (!is_safe_file_name(photo.photo))
        throw RuntimeError::for_file(ErrorKind::BadFileName, photo.photo).at_line(photo.line);
    return {gpx_folder + photo.photo, photo_folder(app_folder), photo.photo};
}

void check_photo_moves(const std::vector<PhotoMove>& photos, const std::string& gpx_folder,
                       const std::string& app_folder)
{
    MovePreview preview;
    for (const PhotoMove& photo : photos) {
        const FileMove move = photo_file_move(photo, gpx_folder, app_folder);
        if (const auto obstacle = move_obstacle(move, preview))
            throw obstacle->at_line(photo.line);
        preview.record(move);
    }
}

}  // namespace survey
