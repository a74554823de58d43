#include "tests/support/failing_effects.h"

namespace testing_support {

bool FailingEffects::fails_now(const char* step)
{
    if (++calls_ != fail_at_)
        return false;
    failed_step_ = step;
    return true;
}

int FailingEffects::create_new(const std::string& path, const std::string& like, int& fd)
{
    if (fails_now("create")) {
        fd = -1;
        return error_;
    }
    return real_.create_new(path, like, fd);
}

int FailingEffects::write_all(int fd, std::string_view bytes)
{
    return fails_now("write") ? error_ : real_.write_all(fd, bytes);
}

int FailingEffects::sync(int fd)
{
    return fails_now("sync") ? error_ : real_.sync(fd);
}

int FailingEffects::close(int fd)
{
    // A failed close still releases the descriptor, as close(2) does.
    const int result = real_.close(fd);
    return fails_now("close") ? error_ : result;
}

int FailingEffects::move_without_replacing(const std::string& from, const std::string& to)
{
    return fails_now("move") ? error_ : real_.move_without_replacing(from, to);
}

int FailingEffects::replace(const std::string& from, const std::string& to)
{
    return fails_now("replace") ? error_ : real_.replace(from, to);
}

int FailingEffects::remove(const std::string& path)
{
    return fails_now("remove") ? error_ : real_.remove(path);
}

}  // namespace testing_support
