#include "ui/path_name.h"

std::string name_of(const std::string& path)
{
    const std::string::size_type separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}
