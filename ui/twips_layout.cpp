#include "ui/twips_layout.h"

#include <cmath>

namespace {

constexpr double twips_per_pixel = 15.0;

int pixels(int twips, double scale)
{
    return static_cast<int>(std::lround(twips / twips_per_pixel * scale));
}

}  // namespace

QRect to_pixels(const TwipsRect& twips, double scale)
{
    return {pixels(twips.left, scale), pixels(twips.top, scale), pixels(twips.width, scale),
            pixels(twips.height, scale)};
}

QSize to_pixels(int width, int height, double scale)
{
    return {pixels(width, scale), pixels(height, scale)};
}
