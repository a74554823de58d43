#pragma once

#include "import/gpx/byte_stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace survey {

// Reads the next chunk: the bytes up to a tab or NUL, which ends the chunk
// and throws away the byte after it, or up to the end of the stream.
// Line feeds stay in the chunk.
void read_a_line(ByteStream& stream_no, std::string& readstring);

// Moves past the next chunk without keeping it, so a huge chunk that is never
// looked at costs no memory.
void skip_a_line(ByteStream& stream_no);

// Splits at single spaces, then keeps in place, from index 0, the pieces
// that are not empty, do not start with "[" and do not end with "]".
// Elements past the kept ones keep their split pieces. Returns the kept
// count; an empty chunk or 256 pieces or more is an Overflow.
std::uint8_t split_on_spaces(const std::string& mystring, std::vector<std::string>& a);

}  // namespace survey
