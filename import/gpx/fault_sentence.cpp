#include "import/gpx/fault_sentence.h"

#include <algorithm>

namespace survey {

namespace {

constexpr std::size_t longest_quote = 40;

std::string quoted(std::string_view text)
{
    return "\"" + shortened(text) + "\"";
}

}  // namespace

std::string shortened(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    std::string line(text.substr(0, longest_quote));
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    if (text.size() > longest_quote)
        line += "...";
    return line;
}

std::string fault_sentence(int line, std::string_view expected, std::string_view found, bool at_end)
{
    std::string sentence = "Line " + std::to_string(line) + " should " + std::string(expected) + " but holds ";
    if (!found.empty())
        sentence += quoted(found);
    else if (at_end)
        sentence += "nothing: the file ends there";
    else
        sentence += "a line indented deeper than a waypoint's elements";
    return sentence + ".";
}

std::string cut_off_sentence(int line)
{
    return "The file ends at line " + std::to_string(line) +
           " before its track (<trk>), which the phone app always writes after the waypoints: was the copy from "
           "the phone complete? Copy the file from the phone again and import that copy.";
}

}  // namespace survey
