#include "ui/win32/form1_fonts.h"

#include "ui/form1_design.h"
#include "ui/win32/wide_text.h"

#include <cmath>
#include <string>

namespace {

HFONT message_font(int screen_dpi, int dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, screen_dpi);
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

HFONT done_font(int dpi)
{
    LOGFONTW font{};
    font.lfHeight = -std::lround(form1_design::lblDone_points * dpi / 72.0);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    // Where the face is missing, a plain sans serif reads better than
    // whatever else the font mapper might pick.
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    const std::wstring face = wide_text(form1_design::lblDone_font);
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

}  // namespace

Form1Fonts::Form1Fonts(int screen_dpi, int dpi) : controls_(message_font(screen_dpi, dpi)), lblDone_(done_font(dpi))
{
}

Form1Fonts::~Form1Fonts()
{
    DeleteObject(controls_);
    DeleteObject(lblDone_);
}
