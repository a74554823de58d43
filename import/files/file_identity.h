#pragma once

#include <cstdint>

namespace survey {

enum class EntryKind { None, File, Folder, Other };

// Which file stands at a path while the file system stays mounted: the same
// device and inode is the same file, whatever its name now. FAT has no such
// numbers of its own: Linux makes one up each time it loads a file, so
// nothing that must hold across a crash may rest on one; Windows numbers a
// file by its folder entry, so a new file in an entry just freed takes the
// old one's number, and even while mounted it is no proof.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool operator==(const FileIdentity&) const = default;
};

}  // namespace survey
