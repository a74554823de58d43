#pragma once

#include <windows.h>

// The window's fonts at the screen's dots per inch, deleted with it: the
// system's message font for the controls, and lblDone's own.
class Form1Fonts {
public:
    explicit Form1Fonts(int dpi);
    ~Form1Fonts();
    Form1Fonts(const Form1Fonts&) = delete;
    Form1Fonts& operator=(const Form1Fonts&) = delete;

    HFONT controls() const { return controls_; }
    HFONT lblDone() const { return lblDone_; }

private:
    HFONT controls_;
    HFONT lblDone_;
};
