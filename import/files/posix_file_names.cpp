#include "import/files/file_names.h"

#include <climits>

namespace survey {

const char path_separator = '/';

std::string parent_folder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool is_absolute_path(std::string_view path)
{
    return path.starts_with('/');
}

std::string folded_name(std::string_view name)
{
    return std::string(name);
}

bool is_safe_file_name(std::string_view name)
{
    // A line break would also split the survey record that lists the photo.
    constexpr std::string_view unsafe("/\\\0\r\n", 5);
    return !name.empty() && name.size() <= NAME_MAX && name != "." && name != ".." &&
           name.find_first_of(unsafe) == std::string_view::npos;
}

}  // namespace survey
