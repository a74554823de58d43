#pragma once

#include "import/zip/archive_bytes.h"
#include "import/zip/zip_directory.h"

#include <cstddef>
#include <memory>
#include <string>

namespace survey {

// The bytes of one entry, stored or inflated, read a block at a time, so an
// entry of any size costs the same memory. Its size and CRC-32 are checked
// against the directory's as the last bytes are read: a reader that has
// returned 0 has delivered exactly the entry's bytes.
class ZipEntryReader {
public:
    // Throws an Invalid file format at `zip_path`, in the entry, when it is
    // encrypted, compressed by a method other than stored or deflate, or its
    // local header is damaged.
    ZipEntryReader(const ArchiveBytes& bytes, const ZipEntry& entry, std::string zip_path);
    ~ZipEntryReader();
    ZipEntryReader(const ZipEntryReader&) = delete;
    ZipEntryReader& operator=(const ZipEntryReader&) = delete;

    // Up to `count` bytes of the entry into `out`; 0 at its end. Throws an
    // Invalid file format, in the entry, when its bytes do not inflate, or
    // inflate to more or fewer bytes than the directory says, or fail their CRC.
    std::size_t read_some(char* out, std::size_t count);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace survey
