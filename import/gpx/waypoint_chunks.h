#pragma once

#include "import/gpx/byte_stream.h"
#include "import/gpx/chunk_reader.h"

#include <string_view>
#include <vector>

namespace survey {

// Whether the two letters after a "<" may begin one of the elements the
// phone app writes into a waypoint only under its optional outputs:
// <cmt>, <hdop> and <extensions>. Every waypoint's <ele> shares the first
// letter with <extensions>, so both are looked at.
inline bool may_begin_optional_tag(char first, char second)
{
    return (first == 'c' && second == 'm') || (first == 'h' && second == 'd') || (first == 'e' && second == 'x');
}

// The chunks the waypoint reader reads. Inside a waypoint's body it sets
// aside the elements the phone app writes only under its optional outputs,
// wherever they stand: a comment (<cmt> through the chunk holding </cmt>),
// <hdop>, and <extensions> through </extensions>, with the empty chunks
// their deeper indentation makes before them. Telling such an empty chunk
// from one of the layout's own takes a look at the chunk after it, which is
// then kept for the next read. A chunk is valid until the next read.
class WaypointChunks {
public:
    explicit WaypointChunks(ByteStream& gpx) : gpx_(gpx), chunks_(gpx) {}

    // True when no chunk is left, neither looked at ahead nor in the file.
    // Never reads over a chunk looked at ahead.
    bool at_end() { return pending_.empty() && gpx_.at_end(); }
    // The line the next chunk starts on.
    int line() const { return pending_.empty() ? gpx_.line() : pending_.back().line; }
    // The line the chunk last read starts on.
    int line_read() const { return line_read_; }

    // The next chunk as it stands.
    std::string_view next();
    // The next chunk of a waypoint's body, the optional elements set aside.
    std::string_view next_in_body()
    {
        // Chunks looked at ahead are known to open no element set aside.
        if (!pending_.empty())
            return next();
        const std::string_view chunk = read_from_file();
        // Inside a body such an element keeps its "<".
        if (chunk.size() >= 3 ? chunk[0] != '<' || !may_begin_optional_tag(chunk[1], chunk[2]) : !chunk.empty())
            return chunk;
        return body_chunk_from(chunk);
    }
    // Moves past the next chunk without keeping it.
    void skip();

private:
    // A chunk looked at ahead.
    struct Pending {
        std::string_view text;
        int line;
    };

    std::string_view read_from_file()
    {
        line_read_ = gpx_.line();
        return chunks_.read_a_line();
    }
    // The body's next chunk from `chunk` on, just read, past what is set aside.
    std::string_view body_chunk_from(std::string_view chunk);
    // Whether an element set aside opens with `chunk`; then moves past the
    // rest of it, stopping at the end of the file.
    bool set_aside(std::string_view chunk);
    // After an empty chunk read in a body: whether the empty chunks from it
    // stand before an element set aside, which is then moved past; if not,
    // those after the first, and the chunk after them, are kept for the
    // next reads, and the first is the chunk last read again. A longer run
    // of empty chunks than any indentation makes is no element's, and is
    // looked at no further, so that memory stays bounded whatever the file.
    bool empty_chunks_set_aside();

    ByteStream& gpx_;
    ChunkReader chunks_;
    int line_read_ = 0;
    // Chunks looked at ahead, the next last. Only the one read last, at the
    // front, may hold text: no read is made while it is kept, so its view
    // stays valid.
    std::vector<Pending> pending_;
};

}  // namespace survey
