#include "ui/form1_design.h"
#include "ui/screen_fit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The window as a view lays it out at `dpi`: the design's client area, and
// a frame of the screen's own resolution, which does not shrink with it.
PixelSize window_at(int dpi, int screen_dpi)
{
    const auto pixels = [dpi](int twips) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); };
    const int border = 4 * screen_dpi / 96;
    return {pixels(form1_design::client_width) + 2 * border,
            pixels(form1_design::client_height) + 2 * border + 23 * screen_dpi / 96};
}

// At each common resolution, on the work areas of common field laptops and
// of a desktop screen: the design's own size where it fits, else the
// largest that does, never wider or taller than the work area.
TEST(ScreenFit, TheWindowShrinksWholeOnlyWhereItWouldNotFit)
{
    const struct {
        int screen_dpi;
        PixelSize work_area;
        int dpi;
    } rows[] = {
        {96, {1280, 984}, 96},   {96, {1366, 728}, 96},   {96, {1920, 1040}, 96},
        {120, {1280, 984}, 120}, {120, {1366, 728}, 120}, {120, {1920, 1040}, 120},
        {144, {1280, 984}, 129}, {144, {1366, 728}, 138}, {144, {1920, 1040}, 144},
        {192, {1280, 984}, 129}, {192, {1366, 728}, 137}, {192, {1920, 1040}, 192},
    };
    for (const auto& row : rows) {
        const auto at = [&row](int dpi) { return window_at(dpi, row.screen_dpi); };
        const int dpi = fitting_dpi(row.screen_dpi, row.work_area, at);
        EXPECT_EQ(dpi, row.dpi) << row.screen_dpi << " dpi on " << row.work_area.width;
        EXPECT_LE(at(dpi).width, row.work_area.width) << row.screen_dpi << " dpi on " << row.work_area.width;
        EXPECT_LE(at(dpi).height, row.work_area.height) << row.screen_dpi << " dpi on " << row.work_area.width;
        if (dpi < row.screen_dpi) {
            EXPECT_GT(at(dpi + 1).width, row.work_area.width) << row.screen_dpi << " dpi on " << row.work_area.width;
        }
    }
}

TEST(ScreenFit, AWindowIsMovedOntoTheWorkArea)
{
    const PixelRect work_area{0, 0, 1366, 728};
    const struct {
        PixelRect opened;
        PixelRect placed;
    } rows[] = {
        {{26, 26, 941, 241}, {26, 26, 941, 241}},
        {{300, 26, 1350, 360}, {16, 26, 1350, 360}},
        {{-40, 700, 941, 241}, {0, 487, 941, 241}},
        {{26, 26, 1500, 800}, {0, 0, 1500, 800}},
    };
    for (const auto& row : rows) {
        const PixelRect placed = kept_within(row.opened, work_area);
        EXPECT_EQ(placed.left, row.placed.left) << row.opened.left << "," << row.opened.top;
        EXPECT_EQ(placed.top, row.placed.top) << row.opened.left << "," << row.opened.top;
    }
}

}  // namespace
