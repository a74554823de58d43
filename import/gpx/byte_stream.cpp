#include "import/gpx/byte_stream.h"

#include "import/runtime_error.h"

#include <cerrno>
#include <unistd.h>

namespace survey {

namespace {

constexpr std::size_t block_size = 64 * 1024;

}  // namespace

ByteStream::ByteStream(std::string_view bytes)
    : next_(bytes.data()), end_(bytes.data() + bytes.size())
{
}

ByteStream::ByteStream(int fd, std::string path)
    : fd_(fd), path_(std::move(path)), block_(new char[block_size])
{
}

bool ByteStream::refill()
{
    if (fd_ < 0)
        return false;
    ssize_t got;
    do {
        got = ::read(fd_, block_.get(), block_size);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        throw RuntimeError::for_file(ErrorKind::DeviceIoError, path_);
    next_ = block_.get();
    end_ = next_ + got;
    return got > 0;
}

}  // namespace survey
