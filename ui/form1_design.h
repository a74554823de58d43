#pragma once

#include <string_view>

// The window's design, which every view draws alike: captions, and places in
// twips (1/1440 inch) that a view converts at its screen's resolution.

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

namespace form1_design {

inline constexpr std::string_view window_title = "read values from phone";
inline constexpr std::string_view cmdBrowse_caption = "browse to gpx file";
inline constexpr std::string_view Command1_caption = "read from gpx file";
inline constexpr std::string_view Label1_caption =
    "(for phone connected via Kies copy files from OSMtracker to 'demo phone' folder and browse to gpx file there)";

// The open-file dialog's filters, the first one shown first: a name, and
// the patterns it shows, ";" between them, as Windows writes them.
struct FileFilter {
    std::string_view name;
    std::string_view patterns;
};
// A track the phone app shares is a ZIP, read as it is.
inline constexpr FileFilter file_filters[] = {{"GPX files and shared tracks", "*.gpx;*.zip"}, {"All files", "*.*"}};

inline constexpr int client_width = 14115;
inline constexpr int client_height = 3030;
inline constexpr TwipsRect cmdBrowse_place{1200, 720, 1455, 255};
inline constexpr TwipsRect lblGPXfile_place{2880, 720, 7335, 255};
inline constexpr TwipsRect Command1_place{10440, 720, 1455, 255};
inline constexpr TwipsRect Label1_place{1200, 1080, 5535, 495};
inline constexpr TwipsRect lblDone_place{1080, 1920, 11775, 375};

// lblDone: bold, in pure red.
inline constexpr std::string_view lblDone_font = "Comic Sans MS";
inline constexpr double lblDone_points = 9.75;
inline constexpr struct {
    int red, green, blue;
} lblDone_colour{255, 0, 0};

}  // namespace form1_design
