#include "import/files/win32_long_path.h"

#include "import/files/file_names.h"
#include "import/files/win32_text.h"

#include <algorithm>

namespace survey::win32 {

namespace {

// One "\" between names: the "\\?\" prefix turns off the clean-up that
// would otherwise fold the "\\" of a folder joined to a name, as at a drive's root.
std::wstring single_separators(std::wstring text)
{
    for (wchar_t& c : text)
        c = c == L'/' ? L'\\' : c;
    const std::size_t start = text.starts_with(L"\\\\") ? 2 : 0;
    const auto end = std::unique(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                                 [](wchar_t a, wchar_t b) { return a == L'\\' && b == L'\\'; });
    text.erase(end, text.end());
    return text;
}

}  // namespace

std::wstring path_for_call(const std::string& path)
{
    if (path.starts_with("\\\\?\\"))
        return wide(path);
    const std::wstring text = single_separators(wide(path));
    if (!is_absolute_path(path))
        return text;
    if (text.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + text.substr(2);
    return text.size() >= 2 && text[1] == L':' ? L"\\\\?\\" + text : text;
}

}  // namespace survey::win32
