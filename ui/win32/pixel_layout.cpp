#include "ui/win32/pixel_layout.h"

#include <cmath>

namespace {

constexpr double twips_per_inch = 1440.0;

LONG pixels(int twips, int dpi, double scale)
{
    return std::lround(twips * dpi / twips_per_inch * scale);
}

}  // namespace

RECT to_pixels(const TwipsRect& twips, int dpi, double scale)
{
    const LONG left = pixels(twips.left, dpi, scale);
    const LONG top = pixels(twips.top, dpi, scale);
    return {left, top, left + pixels(twips.width, dpi, scale), top + pixels(twips.height, dpi, scale)};
}

SIZE to_pixels(int width, int height, int dpi, double scale)
{
    return {pixels(width, dpi, scale), pixels(height, dpi, scale)};
}
