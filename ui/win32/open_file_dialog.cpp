#include "ui/win32/open_file_dialog.h"

#include "ui/form1_design.h"
#include "ui/win32/wide_text.h"

#include <commdlg.h>

namespace {

// Room for the longest path Windows makes.
constexpr DWORD longest_path = 32768;

}  // namespace

std::wstring dialog_filters()
{
    std::wstring filters;
    for (const form1_design::FileFilter& filter : form1_design::file_filters) {
        const std::wstring patterns = wide_text(filter.patterns);
        filters += wide_text(filter.name) + L" (" + patterns + L")" + L'\0' + patterns + L'\0';
    }
    return filters + L'\0';
}

std::optional<std::wstring> choose_file(HWND owner, const std::wstring& start_folder)
{
    const std::wstring filters = dialog_filters();
    std::wstring path(longest_path, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = longest_path;
    dialog.lpstrInitialDir = start_folder.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog))
        return std::nullopt;
    path.resize(path.find(L'\0'));
    return path;
}
