#include "ui/path_name.h"

std::string name_of(const std::string& path)
{
    const std::string::size_type separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string path_in(const std::string& folder, std::string_view name)
{
    const char separator = folder.find('/') != std::string::npos ? '/' : '\\';
    return (folder.ends_with(separator) ? folder : folder + separator) + std::string(name);
}
