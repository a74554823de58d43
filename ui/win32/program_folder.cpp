#include "ui/win32/program_folder.h"

#include "ui/win32/wide_text.h"

#include <windows.h>

namespace {

// The executable's full path; the buffer grows until the path fits.
std::wstring executable_path()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::string executable_folder()
{
    std::wstring folder = executable_path();
    folder.resize(folder.find_last_of(L"\\/") + 1);
    if (folder.size() > 1 && folder[folder.size() - 2] != L':')
        folder.pop_back();
    return utf8_text(folder);
}
