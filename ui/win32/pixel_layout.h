#pragma once

#include "ui/form1_design.h"

#include <windows.h>

// The design's twips (1440 an inch) in pixels at `dpi` dots per inch, times
// `scale`, which grows the whole design alike when the system's font is
// wider than the one it was drawn for.
RECT to_pixels(const TwipsRect& twips, int dpi, double scale);
SIZE to_pixels(int width, int height, int dpi, double scale);
