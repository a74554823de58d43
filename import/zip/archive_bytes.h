#pragma once

#include <cstddef>
#include <cstdint>

namespace survey {

// The bytes of a ZIP, read where the reader asks: its directory sits at the
// end and each entry where the directory says. The file's owner reads them,
// so that the reader touches no file itself.
class ArchiveBytes {
public:
    virtual ~ArchiveBytes() = default;
    virtual std::uint64_t size() const = 0;
    // Exactly `count` bytes from `offset`, which with `count` lies within
    // size(); throws the RuntimeError that names a read that failed.
    virtual void read_at(std::uint64_t offset, char* out, std::size_t count) const = 0;
};

}  // namespace survey
