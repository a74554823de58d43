// Writes the program's icon as a Windows .ico file, at the sizes Explorer
// and the taskbar ask for. Built for, and run on, the machine that builds.
#include "ui/app_icon.h"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int sizes[] = {16, 24, 32, 48, 64, 256};

void put(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One image as the icon format keeps it: a 32-bit bitmap header, the
// pixels bottom row first in BGRA, and an AND mask the alpha makes unused.
std::string icon_image(int size)
{
    const std::vector<std::uint32_t> pixels = app_icon_pixels(size);
    const std::uint32_t mask_row = static_cast<std::uint32_t>((size + 31) / 32 * 4);
    std::string image;
    put(image, 40, 4);
    put(image, static_cast<std::uint32_t>(size), 4);
    put(image, static_cast<std::uint32_t>(2 * size), 4);  // the pixels and the mask
    put(image, 1, 2);
    put(image, 32, 2);
    put(image, 0, 4);  // not compressed
    put(image, static_cast<std::uint32_t>(size * size * 4) + mask_row * static_cast<std::uint32_t>(size), 4);
    for (int unused = 0; unused < 4; ++unused)
        put(image, 0, 4);
    for (int row = size - 1; row >= 0; --row)
        for (int column = 0; column < size; ++column)
            put(image, pixels[static_cast<std::size_t>(row * size + column)], 4);
    image.append(mask_row * static_cast<std::size_t>(size), '\0');
    return image;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::cerr << "usage: icon_file OUTPUT.ico\n";
        return 2;
    }
    std::vector<std::string> images;
    for (const int size : sizes)
        images.push_back(icon_image(size));
    std::string file;
    put(file, 0, 2);
    put(file, 1, 2);  // an icon
    put(file, static_cast<std::uint32_t>(images.size()), 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        put(file, static_cast<std::uint32_t>(sizes[i] % 256), 1);  // 0 stands for 256
        put(file, static_cast<std::uint32_t>(sizes[i] % 256), 1);
        put(file, 0, 2);
        put(file, 1, 2);
        put(file, 32, 2);
        put(file, static_cast<std::uint32_t>(images[i].size()), 4);
        put(file, offset, 4);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const std::string& image : images)
        file += image;
    std::ofstream out(argv[1], std::ios::binary);
    out << file;
    return out ? 0 : 1;
}
