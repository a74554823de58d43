#include "import/files/chosen_file.h"

#include "import/zip/shared_track.h"

#include <algorithm>

namespace survey {

namespace {

bool opens_as_zip(const ReadOnlyFile& file)
{
    char first[4];
    if (file.size() < sizeof first)
        return false;
    file.read_at(0, first, sizeof first);
    return starts_as_zip({first, sizeof first});
}

}  // namespace

ChosenFile::ChosenFile(FileEffects& effects, std::string path)
    : effects_(effects), file_(effects, std::move(path), Links::Followed)
{
    if (!opens_as_zip(file_))
        return;
    entries_ = read_zip_directory(file_, file_.path());
    track_ = &the_track_entry(entries_, file_.path());
}

ByteStream ChosenFile::stream()
{
    if (track_) {
        track_reader_ = std::make_unique<ZipEntryReader>(file_, *track_, file_.path());
        return ByteStream([this](char* out, std::size_t size) { return track_reader_->read_some(out, size); });
    }
    // At offsets, as its first bytes were read to tell a ZIP.
    return ByteStream([this, offset = std::uint64_t{0}](char* out, std::size_t size) mutable {
        std::size_t got = 0;
        if (effects_.read_at(file_.fd(), offset, out, size, got) != 0)
            throw RuntimeError::for_file(ErrorKind::DeviceIoError, file_.path());
        offset += got;
        return got;
    });
}

void ChosenFile::read_to_end()
{
    if (!track_reader_)
        return;
    std::string rest(64 * 1024, '\0');
    while (track_reader_->read_some(rest.data(), rest.size()) != 0) {
    }
}

RuntimeError ChosenFile::placed(const RuntimeError& error) const
{
    if (!track_ || error.line() == 0)
        return error;
    return error.line_in(track_->name);
}

}  // namespace survey
