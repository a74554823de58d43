#include "import/files/file_queries.h"

#include "import/files/file_error.h"

#include <unordered_set>

namespace survey {

bool present(FileEffects& effects, const std::string& path, FileStatus& status)
{
    const int error = effects.look_up(path, status);
    if (error != 0 && !means_absent(error))
        throw file_error(effects, error, path);
    return error == 0;
}

EntryKind entry_kind(FileEffects& effects, const std::string& path)
{
    FileStatus status;
    return present(effects, path, status) ? status.kind : EntryKind::None;
}

std::optional<bool> folder_holds_any(FileEffects& effects, const std::string& folder,
                                     const std::vector<std::string_view>& names)
{
    std::vector<std::string> held;
    if (effects.read_folder_names(folder, held) != 0)
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
