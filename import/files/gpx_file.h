#pragma once

#include "import/files/file_handle.h"

#include <string>

namespace survey {

// A GPX file open for reading, closed when it goes.
class GpxFile {
public:
    // Throws when `path` names no readable regular file.
    explicit GpxFile(const std::string& path);

    int fd() const { return file_.fd(); }

private:
    FileHandle file_;
};

}  // namespace survey
