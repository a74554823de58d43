#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string_view>

namespace survey {

// Buffered bytes from an open file, or from memory, with the line number
// of the next byte kept so that errors can point into the file.
class ByteStream {
public:
    // Fills up to `size` bytes of `out` from a file and says how many, 0
    // at its end; throws what names a read that failed. The file's owner
    // reads it, so that this half touches no file.
    using ReadSome = std::function<std::size_t(char* out, std::size_t size)>;

    // Reads from memory; the bytes must outlive the stream.
    explicit ByteStream(std::string_view bytes);
    explicit ByteStream(ReadSome read_some);

    // True when no bytes are left; refills the buffer first if it is empty.
    // Asked for every chunk, so the common answer is inline.
    bool at_end() { return next_ == end_ && !refill(); }
    // The bytes read ahead and not yet consumed; empty only at the end.
    std::string_view buffered() const { return {next_, static_cast<std::size_t>(end_ - next_)}; }
    // Moves past `count` buffered bytes, of which `line_feeds` are line feeds;
    // the caller counts them as it scans.
    void consume(std::size_t count, std::size_t line_feeds)
    {
        line_ += static_cast<std::int64_t>(line_feeds);
        next_ += count;
    }
    // 1-based line of the next byte, held at the largest int past that.
    int line() const { return static_cast<int>(std::min<std::int64_t>(line_, std::numeric_limits<int>::max())); }

private:
    bool refill();

    ReadSome read_some_;
    std::unique_ptr<char[]> block_;
    const char* next_ = nullptr;
    const char* end_ = nullptr;
    std::int64_t line_ = 1;
};

}  // namespace survey
