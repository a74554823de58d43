#pragma once

#include "ui/form1_design.h"

#include <QRect>

// Qt lays out in device-independent pixels, 96 an inch, which it maps to
// the screen's own.
inline constexpr int logical_dpi = 96;

// The design's twips (1440 an inch) in pixels at `dpi`, times `scale`, which
// grows the whole design alike when the platform's font is wider than the
// one it was drawn for. A `dpi` below the logical one shrinks the design to
// fit a small screen.
QRect to_pixels(const TwipsRect& twips, int dpi, double scale);
QSize to_pixels(int width, int height, int dpi, double scale);
