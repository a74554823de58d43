#include "import/gpx/chunk_reader.h"

#include "import/runtime_error.h"

#include <bit>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace survey {

namespace {

struct ChunkEnd {
    std::size_t stop;  // where the tab or NUL stands, or the size when neither does
    std::size_t line_feeds;
};

#ifdef __SSE2__
// Chunks are a few dozen bytes, too short for memchr's set-up to pay: they
// are looked at 16 or 32 bytes at a time, where the machine can, and a byte
// at a time where it cannot.
constexpr std::size_t lane_count = 16;

// Bit i set where byte i of the 16 from `at` is `c` or `or_c`.
std::uint32_t lanes_equal(const char* at, char c, char or_c)
{
    const __m128i lanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(lanes, _mm_set1_epi8(c)), _mm_cmpeq_epi8(lanes, _mm_set1_epi8(or_c)))));
}

// The bits set in a mask. Mostly none or one, the chunk's own line feed;
// else added up in place, since the baseline x86-64 has no population count
// instruction.
std::size_t bits_set(std::uint32_t bits)
{
    if ((bits & (bits - 1)) == 0)
        return bits != 0;
    bits -= (bits >> 1) & 0x55555555;
    bits = (bits & 0x33333333) + ((bits >> 2) & 0x33333333);
    bits = (bits + (bits >> 4)) & 0x0f0f0f0f;
    return (bits * 0x01010101) >> 24;
}

// Bit i set where byte i of the 32 from `at` is `c` or `or_c`: most chunks
// end within the first 32 bytes.
std::uint32_t window_equal(const char* at, char c, char or_c)
{
    return lanes_equal(at, c, or_c) | lanes_equal(at + lane_count, c, or_c) << lane_count;
}
#endif

ChunkEnd find_chunk_end(std::string_view bytes)
{
    std::size_t at = 0;
    std::size_t line_feeds = 0;
#ifdef __SSE2__
    constexpr std::size_t window = 2 * lane_count;
    for (; at + window <= bytes.size(); at += window) {
        const std::uint32_t stops = window_equal(bytes.data() + at, '\t', '\0');
        const std::uint32_t feeds = window_equal(bytes.data() + at, '\n', '\n');
        if (stops != 0) {
            const int first = std::countr_zero(stops);
            return {at + static_cast<std::size_t>(first),
                    line_feeds + bits_set(feeds & ((1u << first) - 1))};
        }
        line_feeds += bits_set(feeds);
    }
#endif
    for (; at < bytes.size() && bytes[at] != '\t' && bytes[at] != '\0'; ++at)
        line_feeds += bytes[at] == '\n';
    return {at, line_feeds};
}

// Moves past the next chunk. With `spill`, returns the chunk: a view into the
// stream's block, or the chunk gathered in `spill` where the block does not
// outlast it, since reading on past a block replaces it.
std::string_view take_chunk(ByteStream& stream_no, std::string* spill)
{
    if (spill)
        spill->clear();
    bool spilled = false;
    while (!stream_no.at_end()) {
        const std::string_view bytes = stream_no.buffered();
        const auto [stop, line_feeds] = find_chunk_end(bytes);
        std::string_view chunk = bytes.substr(0, stop);
        if (spill && (spilled || stop + 1 >= bytes.size())) {
            spill->append(chunk);
            chunk = *spill;
            spilled = true;
        }
        if (stop == bytes.size()) {
            stream_no.consume(stop, line_feeds);
            continue;
        }
        stream_no.consume(stop + 1, line_feeds);
        if (!stream_no.at_end())
            stream_no.consume(1, stream_no.buffered().front() == '\n');
        return chunk;
    }
    return spill ? std::string_view(*spill) : std::string_view();
}

// The piece count fits the 8-bit counters only up to 255.
constexpr std::size_t max_pieces = 255;

bool worth_keeping(std::string_view piece)
{
    return !piece.empty() && piece.front() != '[' && piece.back() != ']';
}

}  // namespace

std::string_view ChunkReader::read_a_line()
{
    // Most chunks, and the byte dropped after them, lie inside the block.
    const std::string_view bytes = stream_no_.buffered();
    const auto [stop, line_feeds] = find_chunk_end(bytes);
    if (stop + 1 < bytes.size()) {
        stream_no_.consume(stop + 2, line_feeds + (bytes[stop + 1] == '\n'));
        return bytes.substr(0, stop);
    }
    return take_chunk(stream_no_, &spill_);
}

void ChunkReader::skip_a_line()
{
    take_chunk(stream_no_, nullptr);
}

void read_a_line(ByteStream& stream_no, std::string& readstring)
{
    const std::string_view chunk = take_chunk(stream_no, &readstring);
    if (chunk.data() != readstring.data())
        readstring.assign(chunk);
}

void skip_a_line(ByteStream& stream_no)
{
    take_chunk(stream_no, nullptr);
}

SpacePieces::SpacePieces(std::string_view chunk) : chunk_(chunk)
{
    if (chunk.empty())
        throw RuntimeError(ErrorKind::Overflow);
    const auto found = [this](std::size_t at) {
        if (count_ <= first_spaces_.size())
            first_spaces_[count_ - 1] = at;
        ++count_;
    };
    std::size_t at = 0;
#ifdef __SSE2__
    // The spaces among the 16 bytes from `from`, past the first `seen` of them.
    const auto spaces_in = [&](std::size_t from, std::size_t seen) {
        for (std::uint32_t spaces = lanes_equal(chunk.data() + from, ' ', ' ') >> seen << seen; spaces != 0;
             spaces &= spaces - 1)
            found(from + static_cast<std::size_t>(std::countr_zero(spaces)));
    };
    if (chunk.size() >= lane_count) {
        for (; at + lane_count <= chunk.size(); at += lane_count)
            spaces_in(at, 0);
        // The bytes past the last whole 16, as the last 16 of the chunk.
        const std::size_t last = chunk.size() - lane_count;
        spaces_in(last, at - last);
        at = chunk.size();
    }
#endif
    for (; at < chunk.size(); ++at)
        if (chunk[at] == ' ')
            found(at);
    if (count_ > max_pieces)
        throw RuntimeError(ErrorKind::Overflow);
}

void check_pieces(std::string_view chunk)
{
    // A chunk shorter than the most pieces cannot hold too many spaces.
    if (chunk.empty() || chunk.size() >= max_pieces)
        SpacePieces{chunk};
}

// The index-th kept piece stands at that index or after it, so the split
// piece at the index is always met first.
std::string_view SpacePieces::token(std::size_t index) const
{
    if (index >= count_)
        throw RuntimeError(ErrorKind::IndexOutOfRange);
    std::string_view token;
    std::size_t i = 0;
    std::size_t kept = 0;
    visit_pieces([&](std::string_view piece) {
        if (i++ == index)
            token = piece;
        if (!worth_keeping(piece) || kept++ != index)
            return false;
        token = piece;
        return true;
    });
    return token;
}

std::uint8_t split_on_spaces(const std::string& mystring, std::vector<std::string>& a)
{
    const SpacePieces pieces(mystring);
    a.resize(pieces.count());
    std::size_t filled = 0;
    pieces.visit_pieces([&](std::string_view piece) {
        a[filled++].assign(piece);
        return false;
    });
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
