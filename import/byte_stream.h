#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace survey {

// Buffered bytes from an open file, or from memory, with the line number
// of the next byte kept so that errors can point into the file.
class ByteStream {
public:
    // Reads from memory; the bytes must outlive the stream.
    explicit ByteStream(std::string_view bytes);
    // Reads from an open descriptor the caller keeps open; `path` names it in errors.
    ByteStream(int fd, std::string path);

    // True when no bytes are left; refills the buffer first if it is empty.
    bool at_end();
    // The bytes read ahead and not yet consumed; empty only at the end.
    std::string_view buffered() const { return {next_, static_cast<std::size_t>(end_ - next_)}; }
    // Moves past `count` buffered bytes.
    void consume(std::size_t count);
    // 1-based line of the next byte.
    int line() const { return line_; }

private:
    bool refill();

    int fd_ = -1;
    std::string path_;
    std::unique_ptr<char[]> block_;
    const char* next_ = nullptr;
    const char* end_ = nullptr;
    int line_ = 1;
};

}  // namespace survey
