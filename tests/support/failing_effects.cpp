#include "tests/support/failing_effects.h"

#include "import/files/file_queries.h"

#include <cerrno>
#include <unistd.h>

namespace testing_support {

int FailingEffects::fails_now(const char* step)
{
    ++calls_;
    if (calls_ == die_at_)
        ::_exit(0);
    if (calls_ != fail_at_)
        return 0;
    failed_step_ = step;
    return error_for_(failed_step_);
}

int FailingEffects::create_new(const std::string& path, const std::string& like, int& fd)
{
    if (const int error = fails_now("create")) {
        fd = -1;
        return error;
    }
    return real_.create_new(path, like, fd);
}

int FailingEffects::write_all(int fd, std::string_view bytes)
{
    if (calls_ + 1 == die_at_)
        real_.write_all(fd, bytes.substr(0, bytes.size() / 2));
    const int error = fails_now("write");
    return error ? error : real_.write_all(fd, bytes);
}

int FailingEffects::sync(int fd)
{
    const int error = fails_now("sync");
    return error ? error : real_.sync(fd);
}

int FailingEffects::close(int fd)
{
    // A failed close still releases the descriptor, as close(2) does.
    const int result = real_.close(fd);
    const int error = fails_now("close");
    return error ? error : result;
}

int FailingEffects::move_without_replacing(const std::string& from, const std::string& to)
{
    const int error = fails_now("move");
    if (error == 0 && cross_devices_ && survey::parent_folder(from) != survey::parent_folder(to))
        return EXDEV;
    return error ? error : real_.move_without_replacing(from, to);
}

int FailingEffects::replace(const std::string& from, const std::string& to)
{
    const int error = fails_now("replace");
    return error ? error : real_.replace(from, to);
}

int FailingEffects::remove(const std::string& path)
{
    const int error = fails_now("remove");
    return error ? error : real_.remove(path);
}

int FailingEffects::create_unnamed(const std::string& folder, int& fd)
{
    if (const int error = fails_now("create unnamed")) {
        fd = -1;
        return error;
    }
    if (no_unnamed_files_) {
        fd = -1;
        return EOPNOTSUPP;
    }
    return real_.create_unnamed(folder, fd);
}

int FailingEffects::link_unnamed(int fd, const std::string& to)
{
    const int error = fails_now("link");
    return error ? error : real_.link_unnamed(fd, to);
}

}  // namespace testing_support
