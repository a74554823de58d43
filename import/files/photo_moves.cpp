#include "import/files/photo_moves.h"

#include "import/files/chosen_file.h"
#include "import/files/file_error.h"
#include "import/files/program_folders.h"
#include "import/zip/shared_track.h"

namespace survey {

RuntimeError photo_move_error(const RuntimeError& error, const PhotoMove& photo)
{
    const std::string named = "\"" + photo.photo + "\", named on line " + std::to_string(photo.line);
    const RuntimeError placed = error.at_line(photo.line);
    switch (error.kind()) {
    case ErrorKind::FileAlreadyExists:
        return placed.with_detail("The photo folder already holds " + named +
                                  ": was this file imported before? If it was, there is nothing more to import; if "
                                  "not, move the older file out of the photo folder and import again.");
    case ErrorKind::FileNotFound:
        // A ZIP that could not be read again has said so itself.
        if (!error.entry().empty())
            return explained(placed, "The shared track holds no file " + named +
                                      ": share the track again from the phone, with its photos, and import the new "
                                      "ZIP; or copy the track's folder from the phone and choose its GPX file.");
        return placed.with_detail("There is no file " + named +
                                  " beside the GPX file: copy it from the phone into the same folder as the GPX file "
                                  "and import again.");
    case ErrorKind::PathNotFound:
        return placed.with_detail("The program folder has no photosound folder to move " + named +
                                  " into: make one beside the program and import again.");
    default:
        return placed;
    }
}

namespace {

// A photo of a shared track is the root entry of its very name: a name of
// the link that the ZIP does not hold is a file not found, met as the move's
// source is, in file order.
FileMove move_of(const PhotoMove& photo, const PhotoOrigin& origin, const std::string& target_folder)
{
    if (!origin.chosen.holds_zip())
        return {origin.gpx_folder + photo.photo, target_folder, photo.photo, std::nullopt};
    const ZipEntry* found = root_entry_named(origin.chosen.entries(), photo.photo);
    TrackEntry entry{photo.photo, found ? std::optional<ZipEntry>(*found) : std::nullopt};
    return {origin.chosen.path(), target_folder, photo.photo, std::move(entry)};
}

}  // namespace

std::vector<FileMove> photo_file_moves(const std::vector<PhotoMove>& photos, const PhotoOrigin& origin,
                                       const std::string& app_folder)
{
    const std::string target_folder = photo_folder(app_folder);
    std::vector<FileMove> moves;
    moves.reserve(photos.size());
    for (const PhotoMove& photo : photos) {
        if (!is_safe_file_name(photo.photo))
            throw RuntimeError::for_file(ErrorKind::BadFileName, photo.photo).at_line(photo.line);
        moves.push_back(move_of(photo, origin, target_folder));
    }
    return moves;
}

void check_photo_moves(FileEffects& effects, const std::vector<PhotoMove>& photos, const PhotoOrigin& origin,
                       const std::string& app_folder)
{
    MovePreview preview(effects);
    for (const PhotoMove& photo : photos) {
        // One at a time, so that a bad name is met in file order among the other obstacles.
        const FileMove move = photo_file_moves({photo}, origin, app_folder).front();
        if (const auto obstacle = move_obstacle(move, preview))
            throw photo_move_error(*obstacle, photo);
        preview.record(move);
    }
}

}  // namespace survey
