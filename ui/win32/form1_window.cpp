#include "ui/win32/form1_window.h"

#include "ui/done_text.h"
#include "ui/form1_design.h"
#include "ui/screen_fit.h"
#include "ui/win32/form1_controls.h"
#include "ui/win32/pixel_layout.h"
#include "ui/win32/wide_text.h"

#include <limits>
#include <utility>

namespace {

constexpr wchar_t window_class_name[] = L"gpx-survey-import Form1";
// A fixed size: a caption with the close and minimize boxes, no sizing border.
constexpr DWORD window_style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Posted to itself, so that what the start has to say waits until the
// window is on the screen and the box has a window to stand over.
constexpr UINT show_waiting_boxes_message = WM_APP + 1;
// The executable's icon resource, drawn by ui/app_icon.cpp.
constexpr WORD app_icon_resource = 1;

int screen_dpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

HICON app_icon(HINSTANCE instance, int width_metric, int height_metric)
{
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(app_icon_resource), IMAGE_ICON,
                                         GetSystemMetrics(width_metric), GetSystemMetrics(height_metric), 0));
}

void register_window_class(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = app_icon(instance, SM_CXICON, SM_CYICON);
    window_class.hIconSm = app_icon(instance, SM_CXSMICON, SM_CYSMICON);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = window_class_name;
    RegisterClassExW(&window_class);
}

void move_to(HWND control, const RECT& place)
{
    MoveWindow(control, place.left, place.top, place.right - place.left, place.bottom - place.top, FALSE);
}

const std::wstring& window_title()
{
    static const std::wstring title = wide_text(form1_design::window_title);
    return title;
}

// The work area of the screen the window opens on: the screen less its task bar.
RECT work_area(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return monitor.rcWork;
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// The caption and border around the client area.
SIZE frame_size()
{
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, window_style, FALSE, 0);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace

Form1Window::Form1Window(HINSTANCE instance, Win32Desktop desktop)
    : desktop_(std::move(desktop)), dpi_(screen_dpi())
{
    register_window_class(instance, window_procedure);
    CreateWindowExW(0, window_class_name, window_title().c_str(), window_style, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    create_controls();
    place_controls();
    form_.Form_Load();
}

Form1Window::~Form1Window()
{
    if (window_)
        DestroyWindow(window_);
}

LRESULT CALLBACK Form1Window::window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        auto* created = static_cast<Form1Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        created->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wparam, lparam);
    }
    return self->handle_message(message, wparam, lparam);
}

LRESULT Form1Window::handle_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wparam) == BN_CLICKED)
            on_command(LOWORD(wparam));
        return 0;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lparam) == lblDone)
            return reinterpret_cast<LRESULT>(colour_lblDone(reinterpret_cast<HDC>(wparam)));
        break;
    case WM_ACTIVATE:
        on_activate(LOWORD(wparam) != WA_INACTIVE);
        return 0;
    case show_waiting_boxes_message:
        show_waiting_boxes();
        return 0;
    case WM_CLOSE:
        form_.Form_Unload();
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

void Form1Window::on_command(WORD control_id)
{
    // Enter on a button that is not the default one arrives as IDOK: it
    // presses the button that has the keyboard, as Space does.
    if (control_id == IDOK)
        control_id = static_cast<WORD>(GetDlgCtrlID(GetFocus()));
    if (control_id == form1_controls::cmdBrowse)
        form_.cmdBrowse_Click();
    else if (control_id == form1_controls::Command1)
        form_.Command1_Click();
}

void Form1Window::on_activate(bool active)
{
    if (!active) {
        const HWND focused = GetFocus();
        if (focused && IsChild(window_, focused))
            focus_ = focused;
        return;
    }
    // Back in the window, the keyboard goes where it was, or to the first button.
    const bool can_return = focus_ && IsWindowVisible(focus_) && IsWindowEnabled(focus_);
    const HWND target = can_return ? focus_ : GetNextDlgTabItem(window_, nullptr, FALSE);
    if (target)
        SetFocus(target);
}

HBRUSH Form1Window::colour_lblDone(HDC dc)
{
    const auto& colour = form1_design::lblDone_colour;
    SetTextColor(dc, RGB(colour.red, colour.green, colour.blue));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

HWND Form1Window::create_control(const wchar_t* window_class, const std::string& caption, DWORD style, int id)
{
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    return CreateWindowExW(0, window_class, wide_text(caption).c_str(), WS_CHILD | style, 0, 0, 0, 0, window_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void Form1Window::create_controls()
{
    using namespace form1_design;
    namespace id = form1_controls;
    // Made in tab order, which the design starts with the read button.
    Command1 = create_control(L"BUTTON", std::string(Command1_caption), WS_TABSTOP | BS_PUSHBUTTON, id::Command1);
    cmdBrowse = create_control(L"BUTTON", std::string(cmdBrowse_caption), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                               id::cmdBrowse);
    // No prefix: an & in a path or a text is shown, not taken for a shortcut.
    // One-line labels are centred in their height, level with the buttons'
    // captions; a long path loses its middle rather than its name.
    const DWORD one_line = WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE;
    lblGPXfile = create_control(L"STATIC", {}, one_line | SS_PATHELLIPSIS, id::lblGPXfile);
    Label1 = create_control(L"STATIC", std::string(Label1_caption), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, id::Label1);
    lblDone = create_control(L"STATIC", {}, one_line, id::lblDone);
}

void Form1Window::use_fonts(int dpi)
{
    auto fonts = std::make_unique<Form1Fonts>(dpi_, dpi);
    for (const HWND control : {Command1, cmdBrowse, lblGPXfile, Label1})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->controls()), FALSE);
    SendMessageW(lblDone, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->lblDone()), FALSE);
    fonts_ = std::move(fonts);
}

std::vector<Caption> Form1Window::captions() const
{
    using namespace form1_design;
    // The count's lowest value makes the longest completion text.
    const std::wstring longest_done_text = wide_text(done_text(std::numeric_limits<std::int16_t>::min()));
    return {{cmdBrowse, wide_text(cmdBrowse_caption), cmdBrowse_place},
            {Command1, wide_text(Command1_caption), Command1_place},
            {Label1, wide_text(Label1_caption), Label1_place},
            {lblDone, longest_done_text, lblDone_place},
            {lblDone, wide_text(one_import_a_run_text), lblDone_place}};
}

void Form1Window::place_controls()
{
    using namespace form1_design;
    const RECT work = work_area(window_);
    const PixelRect work_rect{work.left, work.top, work.right - work.left, work.bottom - work.top};
    const SIZE frame = frame_size();
    const auto window_at = [this, frame](int dpi) {
        use_fonts(dpi);
        const SIZE client = to_pixels(client_width, client_height, dpi, scale_to_fit(captions(), dpi));
        return PixelSize{client.cx + frame.cx, client.cy + frame.cy};
    };
    const int dpi = fitting_dpi(dpi_, {work_rect.width, work_rect.height}, window_at);
    use_fonts(dpi);
    const double scale = scale_to_fit(captions(), dpi);
    move_to(cmdBrowse, to_pixels(cmdBrowse_place, dpi, scale));
    move_to(lblGPXfile, to_pixels(lblGPXfile_place, dpi, scale));
    move_to(Command1, to_pixels(Command1_place, dpi, scale));
    move_to(Label1, to_pixels(Label1_place, dpi, scale));
    move_to(lblDone, to_pixels(lblDone_place, dpi, scale));
    const SIZE client = to_pixels(client_width, client_height, dpi, scale);
    // Where the system would open it, moved as little as keeps it on the screen.
    RECT opened{};
    GetWindowRect(window_, &opened);
    const PixelRect placed =
        kept_within({opened.left, opened.top, client.cx + frame.cx, client.cy + frame.cy}, work_rect);
    SetWindowPos(window_, nullptr, placed.left, placed.top, placed.width, placed.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string Form1Window::program_folder()
{
    return desktop_.program_folder();
}

std::optional<std::string> Form1Window::choose_gpx_file(const std::string& start_folder)
{
    const std::optional<std::wstring> chosen = desktop_.choose_file(window_, wide_text(start_folder));
    if (!chosen)
        return std::nullopt;
    return utf8_text(*chosen);
}

void Form1Window::set_lblGPXfile(const std::string& path)
{
    SetWindowTextW(lblGPXfile, wide_text(path).c_str());
}

void Form1Window::set_lblDone(const std::string& text)
{
    SetWindowTextW(lblDone, wide_text(text).c_str());
}

void Form1Window::set_Command1(Command1State state)
{
    // A button that loses the keyboard hands it on, so that Tab still works.
    if (state != Command1State::Enabled && GetFocus() == Command1)
        SetFocus(cmdBrowse);
    EnableWindow(Command1, state != Command1State::Disabled);
    ShowWindow(Command1, state == Command1State::Hidden ? SW_HIDE : SW_SHOWNA);
}

void Form1Window::set_focus(Form1Button button)
{
    SetFocus(button == Form1Button::Command1 ? Command1 : cmdBrowse);
}

void Form1Window::show_error(const std::string& text)
{
    show_box(MB_ICONERROR, text);
}

void Form1Window::show_information(const std::string& text)
{
    show_box(MB_ICONINFORMATION, text);
}

void Form1Window::show_box(UINT icon, const std::string& text)
{
    if (IsWindowVisible(window_)) {
        desktop_.show_box(window_, window_title(), wide_text(text), icon);
        return;
    }
    waiting_boxes_.push_back({icon, wide_text(text)});
    PostMessageW(window_, show_waiting_boxes_message, 0, 0);
}

void Form1Window::show_waiting_boxes()
{
    while (!waiting_boxes_.empty()) {
        const WaitingBox box = waiting_boxes_.front();
        waiting_boxes_.pop_front();
        desktop_.show_box(window_, window_title(), box.text, box.icon);
    }
}

void Form1Window::beep()
{
    desktop_.beep();
}
