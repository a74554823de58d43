#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The full path chosen in the common file-open dialog over `owner`, or
// nothing when it was cancelled. Like the Qt view's, it offers every file.
std::optional<std::wstring> choose_file(HWND owner);
