#include "import/photo_moves.h"

#include "import/file_queries.h"
#include "import/program_folders.h"

namespace survey {

bool is_safe_file_name(std::string_view name)
{
    // A line break would also split the survey record that lists the photo.
    constexpr std::string_view unsafe("/\\\0\r\n", 5);
    return !name.empty() && name != "." && name != ".." && name.find_first_of(unsafe) == std::string_view::npos;
}

std::vector<FileMove> checked_photo_moves(const std::vector<PhotoMove>& photos, const std::string& gpx_folder,
                                          const std::string& app_folder)
{
    std::vector<FileMove> moves;
    MovePreview preview;
    for (const PhotoMove& photo : photos) {
        if (!is_safe_file_name(photo.photo))
            throw RuntimeError(ErrorKind::BadFileName, photo.line, photo.photo);
        FileMove move{gpx_folder + photo.photo, photo_folder(app_folder), photo.photo};
        if (const auto obstacle = move_obstacle(move, preview))
            throw obstacle->at_line(photo.line);
        preview.record(move);
        moves.push_back(std::move(move));
    }
    return moves;
}

MoveJournal::~MoveJournal()
{
    for (auto move = made_.rbegin(); move != made_.rend(); ++move)
        effects_.move_without_replacing(move->target(), move->source);
}

void MoveJournal::make(const FileMove& move)
{
    if (const int error = effects_.move_without_replacing(move.source, move.target()))
        throw file_error(error, move.target());
    made_.push_back(move);
}

}  // namespace survey
