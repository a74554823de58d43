#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The filters of the common dialog as it takes them: each filter's caption,
// its patterns, a NUL after each, and a NUL to end them; form1_design's,
// the first shown first.
std::wstring dialog_filters();

// The full path chosen in the common file-open dialog over `owner`, which
// opens in `start_folder` and offers dialog_filters(), or nothing when it
// was cancelled.
std::optional<std::wstring> choose_file(HWND owner, const std::wstring& start_folder);
