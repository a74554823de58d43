#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// What the Win32 window asks of the desktop. Tests replace each part, so
// that no dialog or message box ever waits for a person.
struct Win32Desktop {
    // The program folder; the executable's own folder.
    std::function<std::string()> program_folder;
    // The path chosen in the common file-open dialog over `owner`, opened in
    // `start_folder`, or nothing when it was cancelled.
    std::function<std::optional<std::wstring>(HWND owner, const std::wstring& start_folder)> choose_file;
    // A message box over `owner`; `icon` is MB_ICONERROR or MB_ICONINFORMATION.
    std::function<void(HWND owner, const std::wstring& title, const std::wstring& text, UINT icon)> show_box;
    std::function<void()> beep;
};

// The real desktop: the executable's folder, the common dialog, MessageBoxW
// and MessageBeep.
Win32Desktop real_win32_desktop();
