#pragma once

#include "import/gpx/byte_stream.h"

#include <optional>
#include <string>
#include <string_view>

namespace survey {

// For a file that cannot be a GPX file, since its first byte after an
// optional byte-order mark and spaces is not "<": a sentence saying that it
// is not one from the phone, what it looks like where its first bytes make
// that plain (a JPEG photo, a voice recording, a ZIP archive), and which
// file to choose. Nothing for a file that may be one, or that is empty.
std::optional<std::string> not_gpx_sentence(std::string_view first_bytes);

// The same for the stream's first bytes, read ahead and left unread. A read
// that fails here says nothing: the reading meets it again.
std::optional<std::string> not_gpx_sentence(ByteStream& gpx);

}  // namespace survey
