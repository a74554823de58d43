#include "ui/screen_fit.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this the captions could not be read anyway.
constexpr int lowest_dpi = 48;

}  // namespace

int fitting_dpi(int screen_dpi, PixelSize work_area, const std::function<PixelSize(int dpi)>& window_at)
{
    const auto fits = [&work_area](PixelSize window) {
        return window.width <= work_area.width && window.height <= work_area.height;
    };
    int too_large = screen_dpi + 1;
    int dpi = screen_dpi;
    // Down by the window's own shrink, which falls short where a frame or a
    // margin does not shrink; then up again, a dot at a time, while it fits.
    for (PixelSize window = window_at(dpi); !fits(window) && dpi > lowest_dpi; window = window_at(dpi)) {
        const double shrink = std::min(static_cast<double>(work_area.width) / window.width,
                                       static_cast<double>(work_area.height) / window.height);
        too_large = dpi;
        dpi = std::max(lowest_dpi, std::min(dpi - 1, static_cast<int>(std::floor(dpi * shrink))));
    }
    while (dpi + 1 < too_large && fits(window_at(dpi + 1)))
        ++dpi;
    return dpi;
}

PixelRect kept_within(PixelRect window, PixelRect work_area)
{
    const auto placed = [](int start, int length, int area_start, int area_length) {
        return std::max(area_start, std::min(start, area_start + area_length - length));
    };
    window.left = placed(window.left, window.width, work_area.left, work_area.width);
    window.top = placed(window.top, window.height, work_area.top, work_area.height);
    return window;
}
