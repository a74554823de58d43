#include "import/gpx/chunk_reader.h"

#include "import/runtime_error.h"

#include <algorithm>
#include <cstring>

namespace survey {

namespace {

struct ChunkEnd {
    std::size_t stop;  // where the tab or NUL stands, or the size when neither does
    std::size_t line_feeds;
};

// memchr scans many bytes at a time; chunks are short, so its three short
// scans beat one byte-by-byte loop.
ChunkEnd find_chunk_end(std::string_view bytes)
{
    const char* begin = bytes.data();
    const auto* tab = static_cast<const char*>(std::memchr(begin, '\t', bytes.size()));
    const std::size_t before_tab = tab ? static_cast<std::size_t>(tab - begin) : bytes.size();
    const auto* nul = static_cast<const char*>(std::memchr(begin, '\0', before_tab));
    const std::size_t stop = nul ? static_cast<std::size_t>(nul - begin) : before_tab;
    std::size_t line_feeds = 0;
    for (const char* at = begin; (at = static_cast<const char*>(std::memchr(at, '\n', stop - (at - begin)))); ++at)
        ++line_feeds;
    return {stop, line_feeds};
}

// The piece count fits the 8-bit counters only up to 255.
constexpr std::size_t max_pieces = 255;

void split_into(std::string_view text, std::vector<std::string>& a)
{
    std::size_t count = 0;
    for (;;) {
        if (count == max_pieces)
            throw RuntimeError(ErrorKind::Overflow);
        const auto* space = static_cast<const char*>(std::memchr(text.data(), ' ', text.size()));
        const std::size_t length = space ? static_cast<std::size_t>(space - text.data()) : text.size();
        if (count == a.size())
            a.emplace_back();
        a[count++].assign(text.data(), length);
        if (!space)
            break;
        text.remove_prefix(length + 1);
    }
    a.resize(count);
}

bool worth_keeping(const std::string& token)
{
    return !token.empty() && token.front() != '[' && token.back() != ']';
}

// Moves past the next chunk, appending its bytes to `out` unless it is null.
void take_chunk(ByteStream& stream_no, std::string* out)
{
    while (!stream_no.at_end()) {
        const std::string_view bytes = stream_no.buffered();
        const auto [stop, line_feeds] = find_chunk_end(bytes);
        if (out)
            out->append(bytes.substr(0, stop));
        if (stop == bytes.size()) {
            stream_no.consume(stop, line_feeds);
            continue;
        }
        stream_no.consume(stop + 1, line_feeds);
        if (!stream_no.at_end())
            stream_no.consume(1, stream_no.buffered().front() == '\n');
        return;
    }
}

}  // namespace

void read_a_line(ByteStream& stream_no, std::string& readstring)
{
    readstring.clear();
    take_chunk(stream_no, &readstring);
}

void skip_a_line(ByteStream& stream_no)
{
    take_chunk(stream_no, nullptr);
}

std::uint8_t split_on_spaces(const std::string& mystring, std::vector<std::string>& a)
{
    if (mystring.empty())
        throw RuntimeError(ErrorKind::Overflow);
    split_into(mystring, a);
    std::uint8_t kept = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (worth_keeping(a[i])) {
            if (kept != i)
                a[kept] = a[i];
            ++kept;
        }
    }
    return kept;
}

}  // namespace survey

