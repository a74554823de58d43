#pragma once

#include "ui/form1_design.h"

#include <QRect>

// 15 twips a pixel, times `scale`, which grows the whole design alike when
// the platform's font is wider than the one it was drawn for.
QRect to_pixels(const TwipsRect& twips, double scale);
QSize to_pixels(int width, int height, double scale);
