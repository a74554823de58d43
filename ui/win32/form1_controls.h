#pragma once

// The controls' identifiers, by which the window tells their commands apart
// and tests find them. Not IDOK or IDCANCEL, which keyboard navigation sends
// for Enter and Escape.
namespace form1_controls {

inline constexpr int Command1 = 101;
inline constexpr int cmdBrowse = 102;
inline constexpr int lblGPXfile = 103;
inline constexpr int Label1 = 104;
inline constexpr int lblDone = 105;

}  // namespace form1_controls
