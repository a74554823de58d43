#pragma once

#include "import/files/file_handle.h"
#include "import/zip/archive_bytes.h"

#include <cstdint>
#include <string>

namespace survey {

// A file open for reading through the seam, closed when it goes; read in
// order, or at offsets as a ZIP is. A read that fails is a Device I/O error
// at the file.
class ReadOnlyFile : public ArchiveBytes {
public:
    // Throws when `path` names no readable regular file.
    ReadOnlyFile(FileEffects& effects, std::string path, Links links);

    const std::string& path() const { return path_; }
    int fd() const { return file_.fd(); }

    std::uint64_t size() const override { return size_; }
    void read_at(std::uint64_t offset, char* out, std::size_t count) const override;

private:
    FileEffects& effects_;
    std::string path_;
    FileHandle file_;
    std::uint64_t size_ = 0;
};

}  // namespace survey
