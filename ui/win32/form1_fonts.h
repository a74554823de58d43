#pragma once

#include <windows.h>

// The window's fonts, deleted with it: the system's message font for the
// controls, and lblDone's own; at `dpi`, which is the screen's own
// `screen_dpi` unless the window shrinks to fit a small screen.
class Form1Fonts {
public:
    Form1Fonts(int screen_dpi, int dpi);
    ~Form1Fonts();
    Form1Fonts(const Form1Fonts&) = delete;
    Form1Fonts& operator=(const Form1Fonts&) = delete;

    HFONT controls() const { return controls_; }
    HFONT lblDone() const { return lblDone_; }

private:
    HFONT controls_;
    HFONT lblDone_;
};
