#pragma once

#include "import/gpx/byte_stream.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace survey {

// Reads chunks: the bytes up to a tab or NUL, which ends the chunk and throws
// away the byte after it, or up to the end of the stream. Line feeds stay in
// the chunk. A chunk is a view into the stream's block, copied only when it,
// or the byte its tab drops, runs past the block, so reading costs no
// allocation in the common case; a view lasts until the next read.
class ChunkReader {
public:
    explicit ChunkReader(ByteStream& stream_no) : stream_no_(stream_no) {}

    std::string_view read_a_line();

    // Moves past the next chunk without keeping it, so a huge chunk that is
    // never looked at costs no memory.
    void skip_a_line();

private:
    ByteStream& stream_no_;
    // A chunk that crosses blocks, gathered here.
    std::string spill_;
};

// The next chunk as text of its own: `readstring` is cleared, then holds it.
void read_a_line(ByteStream& stream_no, std::string& readstring);

void skip_a_line(ByteStream& stream_no);

// The pieces of a chunk between single spaces, read in place as
// split_on_spaces(mystring, a) leaves them in `a`: the kept pieces (not empty,
// not starting with "[", not ending with "]") from index 0, and past them the
// split pieces at their own index. An empty chunk or 256 pieces or more is an
// Overflow, as soon as the chunk is split.
class SpacePieces {
public:
    explicit SpacePieces(std::string_view chunk);

    std::size_t count() const { return count_; }

    // Element `index` of the split array; past the last piece is an
    // Index out of range.
    std::string_view token(std::size_t index) const;

    // Calls `visit` with each piece in order until it returns true.
    template <typename Visit>
    void visit_pieces(Visit visit) const
    {
        // Every piece lies inside the chunk, between spaces already counted,
        // so it is cut without substr's check.
        std::size_t start = 0;
        for (std::size_t i = 0; i < count_; ++i) {
            const std::size_t end = space_after(i, start);
            if (visit(std::string_view(chunk_.data() + start, end - start)))
                return;
            start = end + 1;
        }
    }

private:
    // Where piece `i`, starting at `start`, ends.
    std::size_t space_after(std::size_t i, std::size_t start) const
    {
        if (i + 1 == count_)
            return chunk_.size();
        return i < first_spaces_.size() ? first_spaces_[i] : chunk_.find(' ', start);
    }

    std::string_view chunk_;
    std::size_t count_ = 1;
    // The first spaces, found while counting them: the pieces read lie before them.
    std::array<std::size_t, 3> first_spaces_{};
};

// Fails as SpacePieces(chunk) does, for a chunk split only for its checks.
void check_pieces(std::string_view chunk);

// Splits into `a`, then keeps in place the pieces worth keeping, as
// SpacePieces reads them. Returns the kept count.
std::uint8_t split_on_spaces(const std::string& mystring, std::vector<std::string>& a);

}  // namespace survey
