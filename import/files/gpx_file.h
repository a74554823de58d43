#pragma once

#include <string>

namespace survey {

// A GPX file open for reading, closed when it goes.
class GpxFile {
public:
    // Throws when `path` names no readable regular file.
    explicit GpxFile(const std::string& path);
    ~GpxFile();
    GpxFile(const GpxFile&) = delete;
    GpxFile& operator=(const GpxFile&) = delete;

    int fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace survey
