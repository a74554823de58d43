#include "tests/support/failing_effects.h"

#include "import/files/file_queries.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace testing_support {

int FailingEffects::fails_now(const char* step)
{
    ++calls_;
    if (calls_ == die_at_)
        std::_Exit(0);
    if (calls_ != fail_at_)
        return 0;
    failed_step_ = step;
    return error_for_(failed_step_);
}

bool FailingEffects::crosses_devices(const std::string& from, const std::string& to) const
{
    return cross_devices_ && survey::parent_folder(from) != survey::parent_folder(to);
}

void FailingEffects::invent(survey::FileStatus& status)
{
    if (invent_identities_)
        status.identity.inode += ++invented_ << 32;
}

template <typename Look>
int FailingEffects::look(Look call)
{
    return ++looks_ == fail_look_ ? EIO : call();
}

int FailingEffects::look_up(const std::string& path, survey::FileStatus& status)
{
    const int error = look([&] { return real_.look_up(path, status); });
    invent(status);
    if (!card_.empty() && path == card_)
        status.identity.device = ~status.identity.device;
    return error;
}

int FailingEffects::open_to_read(const std::string& path, int& fd, survey::Links links)
{
    return look([&] { return real_.open_to_read(path, fd, links); });
}

int FailingEffects::read_some(int fd, char* out, std::size_t size, std::size_t& got)
{
    return look([&] { return real_.read_some(fd, out, size, got); });
}

int FailingEffects::read_at(int fd, std::uint64_t offset, char* out, std::size_t size, std::size_t& got)
{
    return look([&] { return real_.read_at(fd, offset, out, size, got); });
}

int FailingEffects::status_of(int fd, survey::FileStatus& status)
{
    const int error = look([&] { return real_.status_of(fd, status); });
    invent(status);
    return error;
}

int FailingEffects::may_change_folder(const std::string& folder)
{
    return look([&] { return real_.may_change_folder(folder); });
}

int FailingEffects::may_write(const std::string& path)
{
    return look([&] { return real_.may_write(path); });
}

int FailingEffects::read_folder_names(const std::string& folder, std::vector<std::string>& names)
{
    return look([&] { return real_.read_folder_names(folder, names); });
}

int FailingEffects::read_link(const std::string& path, std::string& target)
{
    return look([&] { return real_.read_link(path, target); });
}

int FailingEffects::lock_folder(const std::string& folder, int& fd)
{
    return look([&] { return real_.lock_folder(folder, fd); });
}

void FailingEffects::unlock_folder(const std::string& folder, int fd)
{
    real_.unlock_folder(folder, fd);
}

template <typename Change>
int FailingEffects::act(const char* step, Change change, const std::string& to)
{
    const int error = fails_now(step);
    if (error == 0) {
        const int result = change();
        took_effect_ = result == 0;
        if (!took_effect_ || losing_.empty() || !to.ends_with(losing_))
            return result;
        losing_.clear();
        failed_step_ = step;
        return EIO;
    }
    took_effect_ = take_effect_ && change() == 0;
    return error;
}

template <typename Change>
int FailingEffects::open_new(const char* step, int& fd, Change change)
{
    const int error = act(step, change);
    if (error != 0 && fd >= 0)
        real_.close(fd);
    if (error != 0)
        fd = -1;
    return error;
}

int FailingEffects::create_new(const std::string& path, const std::string& like, int& fd)
{
    fd = -1;
    return open_new("create", fd, [&] { return real_.create_new(path, like, fd); });
}

int FailingEffects::create_unnamed(const std::string& folder, int& fd)
{
    fd = -1;
    return open_new("create unnamed", fd, [&] {
        return no_unnamed_files_ ? EOPNOTSUPP : real_.create_unnamed(folder, fd);
    });
}

int FailingEffects::write_all(int fd, std::string_view bytes)
{
    if (calls_ + 1 == die_at_)
        real_.write_all(fd, bytes.substr(0, bytes.size() / 2));
    return act("write", [&] { return real_.write_all(fd, bytes); });
}

// No power is cut while a test runs, so a sync has nothing to show there
// but its place among the steps and its failure: it costs milliseconds
// each, and is left out. The power-cut test models what syncs keep.
int FailingEffects::sync(int)
{
    return act("sync", [] { return 0; });
}

int FailingEffects::sync_folder(const std::string& folder)
{
    return act("sync folder", [&] { return std::filesystem::is_directory(folder) ? 0 : ENOENT; });
}

int FailingEffects::close(int fd)
{
    // A failed close still releases the descriptor, as close(2) does.
    const int result = real_.close(fd);
    const int error = fails_now("close");
    return error ? error : result;
}

int FailingEffects::rename_without_replacing(const std::string& from, const std::string& to)
{
    return act(
        "rename",
        [&] {
            if (crosses_devices(from, to))
                return EXDEV;
            return no_refusing_renames_ ? EINVAL : real_.rename_without_replacing(from, to);
        },
        to);
}

int FailingEffects::hard_link(const std::string& from, const std::string& to)
{
    return act(
        "link",
        [&] {
            if (crosses_devices(from, to))
                return EXDEV;
            return no_hard_links_ ? EPERM : real_.hard_link(from, to);
        },
        to);
}

int FailingEffects::rename_over(const std::string& from, const std::string& to)
{
    return act("replace", [&] { return crosses_devices(from, to) ? EXDEV : real_.rename_over(from, to); }, to);
}

int FailingEffects::remove(const std::string& path)
{
    return act("remove", [&] { return real_.remove(path); });
}

int FailingEffects::link_unnamed(int fd, const std::string& to)
{
    return act("link unnamed", [&] { return real_.link_unnamed(fd, to); }, to);
}

}  // namespace testing_support
