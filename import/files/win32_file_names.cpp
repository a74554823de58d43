#include "import/files/file_names.h"

#include "import/files/win32_text.h"

#include <algorithm>
#include <array>

namespace survey {

const char path_separator = '\\';

namespace {

bool is_separator(char c)
{
    return c == '/' || c == '\\';
}

bool has_drive(std::string_view path)
{
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 name devices in every
// folder, with or without an extension.
bool names_a_device(std::string_view name)
{
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(), [](unsigned char c) { return std::toupper(c); });
    constexpr std::array<std::string_view, 4> devices{"CON", "PRN", "AUX", "NUL"};
    if (std::find(devices.begin(), devices.end(), base) != devices.end())
        return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' &&
           base[3] <= '9';
}

}  // namespace

std::string parent_folder(const std::string& path)
{
    const auto last = std::find_if(path.rbegin(), path.rend(), is_separator);
    if (last == path.rend())
        return has_drive(path) ? path.substr(0, 2) : ".";
    const std::size_t separator = static_cast<std::size_t>(path.rend() - last) - 1;
    // "E:\track.gpx" lies in "E:\", and "\track.gpx" in "\": their separator is the folder.
    const bool root = separator == 0 || (separator == 2 && has_drive(path));
    return path.substr(0, root ? separator + 1 : separator);
}

bool is_absolute_path(std::string_view path)
{
    return (!path.empty() && is_separator(path[0])) || (has_drive(path) && path.size() > 2 && is_separator(path[2]));
}

std::string folded_name(std::string_view name)
{
    const std::wstring text = win32::wide(name);
    std::wstring folded(text.size(), L'\0');
    const int size = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()),
                                     folded.data(), static_cast<int>(folded.size()), nullptr, nullptr, 0);
    folded.resize(static_cast<std::size_t>(std::max(size, 0)));
    return win32::utf8(folded);
}

bool is_safe_file_name(std::string_view name)
{
    // A line break would also split the survey record that lists the photo;
    // the rest Windows cannot hold in a name.
    constexpr std::string_view unsafe("/\\<>:\"|?*", 9);
    constexpr std::size_t most_characters = 255;
    const bool control = std::any_of(name.begin(), name.end(), [](unsigned char c) { return c < 0x20; });
    return !name.empty() && win32::wide(name).size() <= most_characters && name != "." && name != ".." &&
           !control && name.find_first_of(unsafe) == std::string_view::npos && name.back() != '.' &&
           name.back() != ' ' && !names_a_device(name);
}

}  // namespace survey
