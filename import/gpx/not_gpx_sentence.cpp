#include "import/gpx/not_gpx_sentence.h"

#include "import/runtime_error.h"

#include <algorithm>

namespace survey {

namespace {

constexpr std::string_view choose_the_gpx =
    "Choose the track's GPX file, whose name ends in .gpx, in the folder copied from the phone.";
constexpr std::string_view unpack_the_zip = "Unpack it and choose the GPX file it holds, whose name ends in .gpx.";

// A file's first bytes from `offset`, what they make it, and what to do.
struct Signature {
    std::size_t offset;
    std::string_view bytes;
    std::string_view looks_like;
    std::string_view to_do;
};

// The photos and voice recordings the phone app links, and the ZIP its
// "Share" makes, are the files chosen by mistake.
constexpr Signature signatures[] = {
    {0, "\xFF\xD8\xFF", "a JPEG photo", choose_the_gpx},
    {4, "ftyp3gp", "a voice recording", choose_the_gpx},
    {4, "ftypM4A", "a voice recording", choose_the_gpx},
    {0, "#!AMR", "a voice recording", choose_the_gpx},
    {0, "PK\x03\x04", "a ZIP archive", unpack_the_zip},
    {0, "PK\x05\x06", "a ZIP archive", unpack_the_zip},
};

}  // namespace

std::optional<std::string> not_gpx_sentence(std::string_view first_bytes)
{
    std::string_view text = first_bytes;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || text[first] == '<')
        return std::nullopt;
    for (const Signature& signature : signatures) {
        if (first_bytes.substr(std::min(signature.offset, first_bytes.size())).starts_with(signature.bytes))
            return "This is not a GPX file from the phone: it looks like " + std::string(signature.looks_like) +
                   ". " + std::string(signature.to_do);
    }
    return "This is not a GPX file from the phone: a GPX file starts with \"<\", and this one does not. " +
           std::string(choose_the_gpx);
}

std::optional<std::string> not_gpx_sentence(ByteStream& gpx)
{
    try {
        if (gpx.at_end())
            return std::nullopt;
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
    return not_gpx_sentence(gpx.buffered());
}

}  // namespace survey
