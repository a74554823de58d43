#pragma once

#include "import/zip/zip_directory.h"

#include <string>
#include <string_view>
#include <vector>

// The shape the phone app shares a track in: one GPX file and its photos and
// recordings, flat at the ZIP's root.
namespace survey {

// The one entry at the root whose name ends in ".gpx", in any case. Throws
// an Invalid file format at `zip_path` naming what the ZIP holds instead,
// with a sentence to unpack it and choose the GPX file.
const ZipEntry& the_track_entry(const std::vector<ZipEntry>& entries, const std::string& zip_path);

// The root entry named by exactly these bytes, or none.
const ZipEntry* root_entry_named(const std::vector<ZipEntry>& entries, std::string_view name);

}  // namespace survey
