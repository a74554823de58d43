#pragma once

#include <string>

// The last name in `path`, after its last `\` or `/`, so that Windows paths
// and POSIX ones both read: "track.gpx" for "E:\track.gpx" as for
// "/media/card/track.gpx"; "" for a path that ends with a separator.
std::string name_of(const std::string& path);
