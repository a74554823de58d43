#include "ui/win32/win32_desktop.h"

#include "ui/win32/open_file_dialog.h"
#include "ui/win32/program_folder.h"

Win32Desktop real_win32_desktop()
{
    Win32Desktop desktop;
    desktop.program_folder = executable_folder;
    desktop.choose_file = choose_file;
    desktop.show_box = [](HWND owner, const std::wstring& title, const std::wstring& text, UINT icon) {
        MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | icon);
    };
    desktop.beep = [] { MessageBeep(MB_OK); };
    return desktop;
}
