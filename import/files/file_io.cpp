#include "import/files/file_io.h"

#include <string_view>

#include <zlib.h>

namespace survey {

namespace {

int open_handle(FileEffects& effects, const std::string& path, FileHandle& handle)
{
    int fd = -1;
    if (const int error = effects.open_to_read(path, fd))
        return error;
    handle = FileHandle(effects, fd);
    return 0;
}

// Hands each block of the file at `path` to `take`, in order.
template <typename Take>
int read_in_blocks(FileEffects& effects, const std::string& path, Take take)
{
    FileHandle file;
    if (const int error = open_handle(effects, path, file))
        return error;
    std::string block(copy_block_size, '\0');
    for (;;) {
        std::size_t got = 0;
        if (const int error = read_block(effects, file.fd(), block.data(), block.size(), got))
            return error;
        take(std::string_view(block.data(), got));
        if (got < block.size())
            return 0;
    }
}

}  // namespace

int read_block(FileEffects& effects, int fd, char* out, std::size_t size, std::size_t& got)
{
    got = 0;
    while (got < size) {
        std::size_t now = 0;
        if (const int error = effects.read_some(fd, out + got, size - got, now))
            return error;
        if (now == 0)
            break;
        got += now;
    }
    return 0;
}

int read_whole_file(FileEffects& effects, const std::string& path, std::string& bytes)
{
    bytes.clear();
    return read_in_blocks(effects, path, [&bytes](std::string_view block) { bytes += block; });
}

int copy_bytes(FileEffects& effects, int from, int to, CopySide& failed)
{
    std::string block(copy_block_size, '\0');
    for (;;) {
        std::size_t got = 0;
        failed = CopySide::Source;
        if (const int error = read_block(effects, from, block.data(), block.size(), got))
            return error;
        if (got == 0)
            return 0;
        failed = CopySide::Copy;
        if (const int error = effects.write_all(to, std::string_view(block.data(), got)))
            return error;
    }
}

int compare_files(FileEffects& effects, const std::string& one, const std::string& other, bool& same)
{
    same = false;
    FileHandle first;
    FileHandle second;
    if (const int error = open_handle(effects, one, first))
        return error;
    if (const int error = open_handle(effects, other, second))
        return error;
    std::string a(copy_block_size, '\0');
    std::string b(copy_block_size, '\0');
    for (;;) {
        std::size_t got_a = 0;
        std::size_t got_b = 0;
        if (const int error = read_block(effects, first.fd(), a.data(), a.size(), got_a))
            return error;
        if (const int error = read_block(effects, second.fd(), b.data(), b.size(), got_b))
            return error;
        if (got_a != got_b || a.compare(0, got_a, b, 0, got_b) != 0)
            return 0;
        if (got_a < copy_block_size) {
            same = true;
            return 0;
        }
    }
}

int size_and_crc32(FileEffects& effects, const std::string& path, std::uint64_t& size, std::uint32_t& crc)
{
    size = 0;
    crc = 0;
    return read_in_blocks(effects, path, [&](std::string_view block) {
        crc = static_cast<std::uint32_t>(
            ::crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(block.size())));
        size += block.size();
    });
}

}  // namespace survey
