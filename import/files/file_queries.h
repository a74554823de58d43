#pragma once

#include "import/files/file_effects.h"
#include "import/files/file_names.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Looks at the file system, for the checks made before a change, for the
// words that explain a failure, and for recovery. Nothing is there only
// when a look-up says so (ENOENT, ENOTDIR); any other failed look throws,
// naming the path, so that no decision rests on a look that did not answer.
namespace survey {

// Whether something stands at `path`, not following a final symbolic link;
// `status` then says what.
bool present(FileEffects& effects, const std::string& path, FileStatus& status);

// What stands at `path`, not following a final symbolic link.
EntryKind entry_kind(FileEffects& effects, const std::string& path);

// Below this many names in one folder, a look-up each is cheaper than
// reading the folder.
constexpr std::size_t names_worth_a_folder_read = 32;

// Whether `folder` holds an entry of any of the `names`, from one read of
// it; nothing when it cannot be read, for the caller to look name by name.
std::optional<bool> folder_holds_any(FileEffects& effects, const std::string& folder,
                                     const std::vector<std::string_view>& names);

}  // namespace survey
