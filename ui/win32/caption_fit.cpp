#include "ui/win32/caption_fit.h"

#include "ui/win32/pixel_layout.h"

#include <algorithm>

namespace {

constexpr double scale_step = 0.05;
constexpr double largest_scale = 4.0;

bool is_button(HWND control)
{
    wchar_t class_name[16] = {};
    GetClassNameW(control, class_name, 16);
    return lstrcmpiW(class_name, L"Button") == 0;
}

bool wraps(HWND control)
{
    return !is_button(control) && (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_LEFT;
}

// The room a button keeps around its text on each side: its edge, a pixel,
// the focus rectangle's dotted line, and a pixel clear of that, so that the
// rectangle never touches a letter, a descender neither.
SIZE button_padding()
{
    return {2 * (GetSystemMetrics(SM_CXEDGE) + 3), 2 * (GetSystemMetrics(SM_CYEDGE) + 3)};
}

// The text's extent in the control's font; at most `width` wide where the control wraps.
SIZE text_extent(HWND control, const std::wstring& text, LONG width)
{
    const HDC dc = GetDC(control);
    const HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT bounds{0, 0, width, 0};
    const UINT lines = wraps(control) ? DT_WORDBREAK : DT_SINGLELINE;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, DT_CALCRECT | DT_NOPREFIX | lines);
    SelectObject(dc, old_font);
    ReleaseDC(control, dc);
    return {bounds.right, bounds.bottom};
}

}  // namespace

bool caption_fits(const Caption& caption, SIZE size)
{
    const SIZE padding = is_button(caption.control) ? button_padding() : SIZE{0, 0};
    const SIZE extent = text_extent(caption.control, caption.text, size.cx - padding.cx);
    return extent.cx + padding.cx <= size.cx && extent.cy + padding.cy <= size.cy;
}

double scale_to_fit(const std::vector<Caption>& captions, int dpi)
{
    const auto all_fit = [&captions, dpi](double scale) {
        return std::all_of(captions.begin(), captions.end(), [dpi, scale](const Caption& caption) {
            const RECT place = to_pixels(caption.place, dpi, scale);
            return caption_fits(caption, {place.right - place.left, place.bottom - place.top});
        });
    };
    double scale = 1.0;
    while (scale < largest_scale && !all_fit(scale))
        scale += scale_step;
    return scale;
}
