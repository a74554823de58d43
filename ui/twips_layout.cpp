#include "ui/twips_layout.h"

#include <cmath>

namespace {

constexpr double twips_per_inch = 1440.0;

int pixels(int twips, int dpi, double scale)
{
    return static_cast<int>(std::lround(twips * dpi / twips_per_inch * scale));
}

}  // namespace

QRect to_pixels(const TwipsRect& twips, int dpi, double scale)
{
    return {pixels(twips.left, dpi, scale), pixels(twips.top, dpi, scale), pixels(twips.width, dpi, scale),
            pixels(twips.height, dpi, scale)};
}

QSize to_pixels(int width, int height, int dpi, double scale)
{
    return {pixels(width, dpi, scale), pixels(height, dpi, scale)};
}
