#include "import/files/file_queries.h"

#include "import/files/file_effects.h"

#include <unordered_set>

namespace survey {

EntryKind entry_kind(const std::string& path)
{
    FileStatus status;
    return system_file_effects().look_up(path, status) == 0 ? status.kind : EntryKind::None;
}

std::optional<bool> folder_holds_any(const std::string& folder, const std::vector<std::string_view>& names)
{
    std::vector<std::string> held;
    if (system_file_effects().read_folder_names(folder, held) != 0)
        return std::nullopt;
    std::unordered_set<std::string> wanted;
    for (const std::string_view name : names)
        wanted.insert(folded_name(name));
    for (const std::string& name : held)
        if (wanted.contains(folded_name(name)))
            return true;
    return false;
}

}  // namespace survey
