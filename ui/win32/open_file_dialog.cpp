#include "ui/win32/open_file_dialog.h"

#include <commdlg.h>

namespace {

// Room for the longest path Windows makes.
constexpr DWORD longest_path = 32768;

}  // namespace

std::optional<std::wstring> choose_file(HWND owner)
{
    std::wstring path(longest_path, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = longest_path;
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog))
        return std::nullopt;
    path.resize(path.find(L'\0'));
    return path;
}
