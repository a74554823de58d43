#pragma once

#include "import/files/file_handle.h"
#include "import/gpx/byte_stream.h"

#include <string>

namespace survey {

// A GPX file open for reading, closed when it goes.
class GpxFile {
public:
    // Throws when `path` names no readable regular file.
    GpxFile(FileEffects& effects, std::string path);

    // Its bytes, read through the seam as the reading half asks for them; a
    // read that fails is a Device I/O error at the file. The stream must not
    // outlive it.
    ByteStream stream() const;

private:
    FileEffects& effects_;
    std::string path_;
    FileHandle file_;
};

}  // namespace survey
