#pragma once

#include "import/files/file_handle.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Reading through the seam, each returning 0 or the errno value; writes go
// through the seam's own `write_all`.
namespace survey {

// How much is read or written at a time.
constexpr std::size_t copy_block_size = 256 * 1024;

// Up to `size` bytes into `out`, short only at the end of the file.
int read_block(FileEffects& effects, int fd, char* out, std::size_t size, std::size_t& got);

// The whole file at `path`, which must not be a symbolic link.
int read_whole_file(FileEffects& effects, const std::string& path, std::string& bytes);

enum class CopySide { Source, Copy };

// All of `from` into `to`; on failure, `failed` says which side failed.
int copy_bytes(FileEffects& effects, int from, int to, CopySide& failed);

// Whether the files at `one` and `other` hold the same bytes.
int compare_files(FileEffects& effects, const std::string& one, const std::string& other, bool& same);

// The size and CRC-32 of the file at `path`, as a ZIP keeps them of an entry.
int size_and_crc32(FileEffects& effects, const std::string& path, std::uint64_t& size, std::uint32_t& crc);

}  // namespace survey
