#include "import/gpx/waypoint_chunks.h"

#include <algorithm>

namespace survey {

namespace {

// Whether the chunk is the last of an element set aside. Each test is put
// to the element's first chunk too.
using LastChunkTest = bool (*)(std::string_view chunk);

bool holds_comment_end(std::string_view chunk)
{
    return chunk.find("</cmt>") != std::string_view::npos;
}

bool is_any_chunk(std::string_view)
{
    return true;
}

bool closes_extensions(std::string_view chunk)
{
    return chunk.starts_with("</extensions>");
}

// The element set aside that `chunk` opens, by the test for its last
// chunk; none for any other chunk. Asked of every chunk of a body, so it
// looks at two bytes before it compares a tag.
LastChunkTest element_set_aside(std::string_view chunk)
{
    if (chunk.size() < 2 || chunk[0] != '<')
        return nullptr;
    switch (chunk[1]) {
    case 'c': return chunk.starts_with("<cmt>") ? holds_comment_end : nullptr;
    case 'h': return chunk.starts_with("<hdop>") ? is_any_chunk : nullptr;
    case 'e': return chunk.starts_with("<extensions>") ? closes_extensions : nullptr;
    default: return nullptr;
    }
}

// The phone app indents an element five tabs deep at most, which makes two
// empty chunks before it.
constexpr std::size_t longest_indentation_run = 4;

}  // namespace

std::string_view WaypointChunks::next()
{
    if (pending_.empty())
        return read_from_file();
    const Pending chunk = pending_.back();
    pending_.pop_back();
    line_read_ = chunk.line;
    return chunk.text;
}

std::string_view WaypointChunks::body_chunk_from(std::string_view chunk)
{
    // An element set aside leaves nothing looked at ahead.
    while (chunk.empty() ? empty_chunks_set_aside() : set_aside(chunk))
        chunk = read_from_file();
    return chunk;
}

void WaypointChunks::skip()
{
    if (pending_.empty())
        chunks_.skip_a_line();
    else
        pending_.pop_back();
}

bool WaypointChunks::set_aside(std::string_view chunk)
{
    const LastChunkTest is_last = element_set_aside(chunk);
    if (!is_last)
        return false;
    while (!is_last(chunk) && !gpx_.at_end())
        chunk = read_from_file();
    return true;
}

bool WaypointChunks::empty_chunks_set_aside()
{
    const int empty_line = line_read_;
    while (pending_.size() < longest_indentation_run && !gpx_.at_end()) {
        const std::string_view chunk = read_from_file();
        if (!chunk.empty() && element_set_aside(chunk)) {
            pending_.clear();
            return set_aside(chunk);
        }
        pending_.push_back({chunk, line_read_});
        if (!chunk.empty())
            break;
    }
    std::reverse(pending_.begin(), pending_.end());
    line_read_ = empty_line;
    return false;
}

}  // namespace survey
