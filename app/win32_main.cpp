#include "ui/win32/form1_window.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command)
{
    Form1Window window(instance);
    if (!window.handle())
        return 1;
    ShowWindow(window.handle(), show_command);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab moves between the buttons, Space and Enter press them, as in a dialog.
        if (IsDialogMessageW(window.handle(), &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
