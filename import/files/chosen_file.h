#pragma once

#include "import/files/read_only_file.h"
#include "import/gpx/byte_stream.h"
#include "import/runtime_error.h"
#include "import/zip/zip_directory.h"
#include "import/zip/zip_entry_reader.h"

#include <memory>
#include <string>
#include <vector>

namespace survey {

// The file the user chose: a GPX file, or a track the phone app shared as a
// ZIP, whose GPX file is read in place and whose photos are copied out.
// Known by its first bytes, whatever its name.
class ChosenFile {
public:
    // Throws when the file cannot be read, or when it is a ZIP that is
    // damaged or holds no one GPX file.
    ChosenFile(FileEffects& effects, std::string path);

    const std::string& path() const { return file_.path(); }
    bool holds_zip() const { return track_ != nullptr; }
    // The shared track's entries; none for a GPX file.
    const std::vector<ZipEntry>& entries() const { return entries_; }

    // The GPX bytes, read as the reading half asks for them. Once: the
    // stream must not outlive this.
    ByteStream stream();

    // Reads what the reading half left of a shared track's GPX file, so
    // that its size and CRC are checked before any of it is trusted.
    void read_to_end();

    // `error`, placed where the user finds it: a line read in a shared
    // track is a line of its GPX entry.
    RuntimeError placed(const RuntimeError& error) const;

private:
    FileEffects& effects_;
    ReadOnlyFile file_;
    std::vector<ZipEntry> entries_;
    const ZipEntry* track_ = nullptr;
    std::unique_ptr<ZipEntryReader> track_reader_;
};

}  // namespace survey
