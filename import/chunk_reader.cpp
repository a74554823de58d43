#include "import/chunk_reader.h"

#include "import/runtime_error.h"

#include <algorithm>

namespace survey {

namespace {

std::size_t find_chunk_end(std::string_view bytes)
{
    return static_cast<std::size_t>(
        std::find_if(bytes.begin(), bytes.end(), [](char c) { return c == '\t' || c == '\0'; }) -
        bytes.begin());
}

// The piece count fits the 8-bit counters only up to 255.
constexpr std::size_t max_pieces = 255;

void split_into(std::string_view text, std::vector<std::string>& a)
{
    std::size_t count = static_cast<std::size_t>(std::count(text.begin(), text.end(), ' ')) + 1;
    if (count > max_pieces)
        throw RuntimeError(ErrorKind::Overflow);
    a.resize(count);
    for (std::string& piece : a) {
        const std::size_t space = std::min(text.find(' '), text.size());
        piece.assign(text.substr(0, space));
        text.remove_prefix(std::min(space + 1, text.size()));
    }
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
        const std::size_t stop = find_chunk_end(bytes);
        if (out)
            out->append(bytes.substr(0, stop));
        if (stop == bytes.size()) {
            stream_no.consume(stop);
            continue;
        }
        stream_no.consume(stop + 1);
        if (!stream_no.at_end())
            stream_no.consume(1);
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

