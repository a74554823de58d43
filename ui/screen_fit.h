#pragma once

#include <functional>

// Where the window goes on the screen it opens on, in pixels, free of any toolkit.

struct PixelSize {
    int width;
    int height;
};

struct PixelRect {
    int left;
    int top;
    int width;
    int height;
};

// The dots per inch to lay the window out at: the screen's, unless the
// window, whose outer size `window_at` gives for a resolution, is then
// larger than the work area; then the largest lower one at which it fits,
// so that the design shrinks whole, its fonts too, and keeps its proportions.
int fitting_dpi(int screen_dpi, PixelSize work_area, const std::function<PixelSize(int dpi)>& window_at);

// Where `window` stands moved as little as it takes to lie wholly within
// `work_area`; a window larger than it keeps its top left corner on it.
PixelRect kept_within(PixelRect window, PixelRect work_area);
