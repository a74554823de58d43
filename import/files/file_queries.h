#pragma once

#include "import/files/file_identity.h"
#include "import/files/file_names.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace survey {

// What stands at `path`, not following a final symbolic link, for the checks
// made before a change and the words that explain a failure: a failed
// look-up reads as nothing there.
EntryKind entry_kind(const std::string& path);

// Below this many names in one folder, a look-up each is cheaper than
// reading the folder.
constexpr std::size_t names_worth_a_folder_read = 32;

// Whether `folder` holds an entry of any of the `names`, from one read of
// it; nothing when it cannot be read.
std::optional<bool> folder_holds_any(const std::string& folder, const std::vector<std::string_view>& names);

}  // namespace survey
