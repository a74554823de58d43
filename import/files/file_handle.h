#pragma once

#include "import/files/file_effects.h"

#include <utility>

namespace survey {

// The one owner of an open file: closed through its seam when it goes, or
// by `close`, which tells whether the close failed.
class FileHandle {
public:
    FileHandle() = default;
    FileHandle(FileEffects& effects, int fd) : effects_(&effects), fd_(fd) {}
    FileHandle(FileHandle&& other) noexcept
        : effects_(other.effects_), fd_(std::exchange(other.fd_, -1))
    {
    }
    FileHandle& operator=(FileHandle&& other) noexcept
    {
        if (this != &other) {
            close();
            effects_ = other.effects_;
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~FileHandle() { close(); }

    int fd() const { return fd_; }
    bool is_open() const { return fd_ >= 0; }
    // 0 or the errno value; the file is closed either way.
    int close() { return fd_ >= 0 ? effects_->close(std::exchange(fd_, -1)) : 0; }

private:
    FileEffects* effects_ = nullptr;
    int fd_ = -1;
};

}  // namespace survey
