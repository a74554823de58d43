#pragma once

#include <string>
#include <string_view>

// Plain-words sentences for a fault in the GPX content: what the line should
// hold, what it holds, and what to do about it.
namespace survey {

// The text as one short line: line breaks and tabs become spaces, and a long
// text is cut with "...".
std::string shortened(std::string_view text);

// "Line N should <expected> but holds <found>."
std::string fault_sentence(int line, std::string_view expected, std::string_view found, bool at_end);

// For a file that ends before its track.
std::string cut_off_sentence(int line);

}  // namespace survey
