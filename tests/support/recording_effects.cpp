#include "tests/support/recording_effects.h"

namespace testing_support {

using Kind = RecordedChange::Kind;

int RecordingEffects::record(int error, RecordedChange change)
{
    if (took_effect())
        changes_.push_back(std::move(change));
    return error;
}

int RecordingEffects::record_new_file(int error, const int& fd, const std::string& path)
{
    if (error != 0)
        return error;
    file_of_[fd] = files_made_++;
    return record(error, {.kind = Kind::NewFile, .file = files_made_ - 1, .path = path});
}

int RecordingEffects::create_new(const std::string& path, const std::string& like, int& fd)
{
    return record_new_file(FailingEffects::create_new(path, like, fd), fd, path);
}

int RecordingEffects::create_unnamed(const std::string& folder, int& fd)
{
    return record_new_file(FailingEffects::create_unnamed(folder, fd), fd, {});
}

int RecordingEffects::write_all(int fd, std::string_view bytes)
{
    return record(FailingEffects::write_all(fd, bytes), {.kind = Kind::Write, .file = file_of_.at(fd), .bytes = std::string(bytes)});
}

int RecordingEffects::sync(int fd)
{
    return record(FailingEffects::sync(fd), {.kind = Kind::SyncFile, .file = file_of_.at(fd)});
}

int RecordingEffects::sync_folder(const std::string& folder)
{
    return record(FailingEffects::sync_folder(folder), {.kind = Kind::SyncFolder, .path = folder});
}

int RecordingEffects::rename_without_replacing(const std::string& from, const std::string& to)
{
    return record(FailingEffects::rename_without_replacing(from, to), {.kind = Kind::Rename, .path = from, .to = to});
}

int RecordingEffects::hard_link(const std::string& from, const std::string& to)
{
    return record(FailingEffects::hard_link(from, to), {.kind = Kind::HardLink, .path = from, .to = to});
}

int RecordingEffects::rename_over(const std::string& from, const std::string& to)
{
    return record(FailingEffects::rename_over(from, to), {.kind = Kind::RenameOver, .path = from, .to = to});
}

int RecordingEffects::remove(const std::string& path)
{
    return record(FailingEffects::remove(path), {.kind = Kind::Remove, .path = path});
}

int RecordingEffects::link_unnamed(int fd, const std::string& to)
{
    return record(FailingEffects::link_unnamed(fd, to), {.kind = Kind::LinkUnnamed, .file = file_of_.at(fd), .to = to});
}

}  // namespace testing_support
