#include "import/gpx/byte_stream.h"

namespace survey {

namespace {

constexpr std::size_t block_size = 64 * 1024;

}  // namespace

ByteStream::ByteStream(std::string_view bytes)
    : next_(bytes.data()), end_(bytes.data() + bytes.size())
{
}

ByteStream::ByteStream(ReadSome read_some) : read_some_(std::move(read_some)), block_(new char[block_size]) {}

bool ByteStream::refill()
{
    if (!read_some_)
        return false;
    const std::size_t got = read_some_(block_.get(), block_size);
    next_ = block_.get();
    end_ = next_ + got;
    return got > 0;
}

}  // namespace survey
