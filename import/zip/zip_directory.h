#pragma once

#include "import/runtime_error.h"
#include "import/zip/archive_bytes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace survey {

// One file of a ZIP, as its central directory lists it.
struct ZipEntry {
    std::string name;  // UTF-8, with "/" between folders
    std::uint64_t local_header_offset = 0;
    std::uint64_t compressed_size = 0;
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
    std::uint16_t method = 0;  // 0 stored, 8 deflated; others are refused when read
    bool encrypted = false;
};

// Whether `first_bytes` open as a ZIP's first local header does.
bool starts_as_zip(std::string_view first_bytes);

// Every entry of the ZIP, in its directory's order, ZIP64 records read.
// Throws an Invalid file format at `zip_path` with a sentence when the ZIP is
// cut off or its directory damaged, or when an entry's name is absolute,
// climbs out of the ZIP's folder, or appears twice.
std::vector<ZipEntry> read_zip_directory(const ArchiveBytes& bytes, const std::string& zip_path);

}  // namespace survey
