#pragma once

#include "import/files/file_move.h"
#include "import/files/file_names.h"
#include "import/gpx/import_plan.h"

#include <string>
#include <string_view>
#include <vector>

// How the photos of an import move all or nothing, and still report the
// first obstacle in file order:
// - When the GPX content is clean, a look at the photo folder (one read of it
//   for many photos) tells whether any target name is taken. If one is, check_photo_moves below finds the
//   first obstacle in file order before anything changes, so the journal
//   never names a move onto a file that stood there before. Otherwise the
//   moves are made in the order the photos were read, as one change
//   (change.h). The first move that fails names its own obstacle (the
//   file system is looked at only then), and the moves before it, and only
//   those, are undone; a crash at any instant is undone or finished by the
//   next start from the journal.
// - When the content has a fault further on, no photo moves at all; but a
//   photo read before the fault may have been the first failure in file
//   order, so check_photo_moves looks at each against a MovePreview, the file
//   system as it would be once the earlier moves were made, and throws the
//   first obstacle it finds. Without an obstacle, the content fault is thrown.
namespace survey {

class ChosenFile;

// Where the photos come from: the GPX file's folder, or, for a shared
// track, the ZIP that holds the GPX file.
struct PhotoOrigin {
    std::string gpx_folder;  // ends with the separator
    const ChosenFile& chosen;
};

// The moves of the photos into the photo folder; an unsafe name is a Bad
// file name at its photo's line.
std::vector<FileMove> photo_file_moves(const std::vector<PhotoMove>& photos, const PhotoOrigin& origin,
                                       const std::string& app_folder);

// The failure of a photo's move placed at its link's line, with a sentence
// that says what to do.
RuntimeError photo_move_error(const RuntimeError& error, const PhotoMove& photo);

// Throws the first planned photo move that could not be made, checking each
// as the file system would be once the earlier ones were made.
void check_photo_moves(FileEffects& effects, const std::vector<PhotoMove>& photos, const PhotoOrigin& origin,
                       const std::string& app_folder);

}  // namespace survey
