#pragma once

#include <QRect>

// A control's place as the window's design gives it, in twips.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

// 15 twips a pixel, times `scale`, which grows the whole design alike when
// the platform's font is wider than the one it was drawn for.
QRect to_pixels(const TwipsRect& twips, double scale);
QSize to_pixels(int width, int height, double scale);
