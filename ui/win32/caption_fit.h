#pragma once

#include "ui/form1_design.h"

#include <windows.h>

#include <string>
#include <vector>

// A fixed text and the control and place the design gives it.
struct Caption {
    HWND control;
    std::wstring text;
    TwipsRect place;
};

// Whether the caption shows whole at `size`, in its control's font: wrapped
// in a label that wraps, on one line in any other, with room for the frame
// in a button.
bool caption_fits(const Caption& caption, SIZE size);

// The smallest scale, from 1 up, at which every caption fits its place at
// `dpi`, so a font wider than the design's grows the window rather than
// clip a word.
double scale_to_fit(const std::vector<Caption>& captions, int dpi);
