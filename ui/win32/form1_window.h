#pragma once

#include "ui/form1.h"
#include "ui/form1_view.h"
#include "ui/system_import_core.h"
#include "ui/win32/caption_fit.h"
#include "ui/win32/form1_fonts.h"
#include "ui/win32/win32_desktop.h"

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

// Form1 drawn with Win32's own controls: the same controls, captions and
// places as the Qt view; the desktop's file-open dialog, message boxes and
// beep.
class Form1Window : private Form1View {
public:
    explicit Form1Window(HINSTANCE instance, Win32Desktop desktop = real_win32_desktop());
    ~Form1Window() override;
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    // The top-level window, for the message loop's keyboard navigation.
    HWND handle() const { return window_; }

private:
    static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
    void on_command(WORD control_id);
    void on_activate(bool active);
    HBRUSH colour_lblDone(HDC dc);

    HWND create_control(const wchar_t* window_class, const std::string& caption, DWORD style, int id);
    void create_controls();
    void place_controls();
    void use_fonts(int dpi);
    std::vector<Caption> captions() const;
    void show_box(UINT icon, const std::string& text);
    void show_waiting_boxes();

    std::string program_folder() override;
    std::optional<std::string> choose_gpx_file(const std::string& start_folder) override;
    void set_lblGPXfile(const std::string& path) override;
    void set_lblDone(const std::string& text) override;
    void set_Command1(Command1State state) override;
    void set_focus(Form1Button button) override;
    void show_error(const std::string& text) override;
    void show_information(const std::string& text) override;
    void beep() override;

    struct WaitingBox {
        UINT icon;
        std::wstring text;
    };

    Win32Desktop desktop_;
    int dpi_;
    // At the resolution the window is laid out at.
    std::unique_ptr<Form1Fonts> fonts_;
    SystemImportCore core_;
    Form1 form_{core_, *this};
    // What the start has to say, until the window is on the screen.
    std::deque<WaitingBox> waiting_boxes_;
    // The control that had the keyboard when the window last lost it.
    HWND focus_ = nullptr;

    HWND window_ = nullptr;
    HWND Command1 = nullptr;
    HWND cmdBrowse = nullptr;
    HWND lblGPXfile = nullptr;
    HWND Label1 = nullptr;
    HWND lblDone = nullptr;
};
