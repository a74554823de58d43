#pragma once

#include <string>

namespace survey {

enum class EntryKind { None, File, Folder, Other };

// What stands at `path`, not following a final symbolic link.
EntryKind entry_kind(const std::string& path);

// The folder part of a path with "/" separators; "." when it has none.
std::string parent_folder(const std::string& path);

}  // namespace survey
