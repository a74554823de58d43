#pragma once

#include "import/file_effects.h"

#include <string>

namespace testing_support {

// The machine's file system, except that the call numbered `fail_at`
// (counting from 1 over every step) fails with `error` without doing
// anything. With `fail_at` 0 it only counts.
class FailingEffects : public survey::FileEffects {
public:
    explicit FailingEffects(int fail_at = 0, int error = 0) : fail_at_(fail_at), error_(error) {}

    int calls() const { return calls_; }
    // The name of the step that failed, or "" when none did.
    const std::string& failed_step() const { return failed_step_; }

    int create_new(const std::string& path, const std::string& like, int& fd) override;
    int write_all(int fd, std::string_view bytes) override;
    int sync(int fd) override;
    int close(int fd) override;
    int move_without_replacing(const std::string& from, const std::string& to) override;
    int replace(const std::string& from, const std::string& to) override;
    int remove(const std::string& path) override;

private:
    bool fails_now(const char* step);

    int fail_at_;
    int error_;
    int calls_ = 0;
    std::string failed_step_;
    survey::FileEffects& real_ = survey::system_file_effects();
};

}  // namespace testing_support
