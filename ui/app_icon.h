#pragma once

#include <cstdint>
#include <vector>

// The program's icon, drawn by these lines rather than kept as an image: a
// red map pin over a ruled field notebook. `size` by `size` pixels, rows
// from the top, each 0xAARRGGBB with straight (not premultiplied) alpha.
std::vector<std::uint32_t> app_icon_pixels(int size);
