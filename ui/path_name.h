#pragma once

#include <string>
#include <string_view>

// The last name in `path`, after its last `\` or `/`, so that Windows paths
// and POSIX ones both read: "track.gpx" for "E:\track.gpx" as for
// "/media/card/track.gpx"; "" for a path that ends with a separator.
std::string name_of(const std::string& path);

// `name` in `folder`, joined by the separator the folder's path is written
// with: "/" in a POSIX path, which always holds one, else "\" as on
// Windows; none more after a separator that ends it ("E:\").
std::string path_in(const std::string& folder, std::string_view name);
