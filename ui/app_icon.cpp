#include "ui/app_icon.h"

#include <algorithm>
#include <cmath>

namespace {

struct Colour {
    double red, green, blue, alpha;
};

constexpr Colour clear{0, 0, 0, 0};
constexpr Colour ink{0.15, 0.2, 0.25, 1};
constexpr Colour paper{1, 0.97, 0.86, 1};
constexpr Colour rule{0.45, 0.65, 0.9, 1};
constexpr Colour margin{0.9, 0.35, 0.35, 1};
constexpr Colour pin{0.86, 0.16, 0.13, 1};
constexpr Colour white{1, 1, 1, 1};

// Shapes in a square of side 1, y downwards.
bool in_box(double x, double y, double left, double top, double right, double bottom)
{
    return x >= left && x <= right && y >= top && y <= bottom;
}

bool in_circle(double x, double y, double cx, double cy, double r)
{
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// A map pin: a round head over a point, `grow` wider all round.
bool in_pin(double x, double y, double grow)
{
    constexpr double cx = 0.68, cy = 0.3, r = 0.2, tip = 0.78;
    const double tail_half_width = (r + grow) * (tip + grow - y) / (tip + grow - cy);
    return in_circle(x, y, cx, cy, r + grow) || (y >= cy && y <= tip + grow && std::abs(x - cx) <= tail_half_width);
}

// The colour at a point: the last shape that holds it, painted in order.
Colour colour_at(double x, double y)
{
    Colour colour = clear;
    if (in_box(x, y, 0.1, 0.16, 0.76, 0.95))
        colour = ink;
    if (in_box(x, y, 0.14, 0.2, 0.72, 0.91)) {
        colour = paper;
        for (const double line : {0.4, 0.54, 0.68, 0.82})
            if (std::abs(y - line) <= 0.018)
                colour = rule;
        if (std::abs(x - 0.26) <= 0.018)
            colour = margin;
    }
    // The notebook's rings, along its top edge.
    for (const double ring : {0.24, 0.38, 0.52})
        if (in_box(x, y, ring - 0.025, 0.1, ring + 0.025, 0.24))
            colour = ink;
    if (in_pin(x, y, 0.04))
        colour = ink;
    if (in_pin(x, y, 0))
        colour = pin;
    if (in_circle(x, y, 0.68, 0.3, 0.075))
        colour = white;
    return colour;
}

std::uint32_t channel(double value, int shift)
{
    return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255)) << shift;
}

}  // namespace

std::vector<std::uint32_t> app_icon_pixels(int size)
{
    // Each pixel averages a grid of samples, so that edges are smooth at every size.
    constexpr int samples = 4;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            Colour sum = clear;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const Colour c = colour_at((column + (sx + 0.5) / samples) / size,
                                               (row + (sy + 0.5) / samples) / size);
                    sum = {sum.red + c.red * c.alpha, sum.green + c.green * c.alpha, sum.blue + c.blue * c.alpha,
                           sum.alpha + c.alpha};
                }
            }
            const double alpha = sum.alpha / (samples * samples);
            const double unmultiply = sum.alpha > 0 ? 1 / sum.alpha : 0;
            pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(size) + static_cast<std::size_t>(column)] =
                channel(alpha, 24) | channel(sum.red * unmultiply, 16) | channel(sum.green * unmultiply, 8) |
                channel(sum.blue * unmultiply, 0);
        }
    }
    return pixels;
}
