#include "import/gpx/fault_sentence.h"

#include <algorithm>

namespace survey {

namespace {

constexpr std::size_t longest_quote = 40;

struct SettingElement {
    std::string_view tag;  // without its "<", which the chunk reader may have eaten
    std::string_view setting;
};

// The elements the phone app adds to a waypoint only when one of its outputs
// is switched on; none of them has a place in the layout this program reads.
constexpr SettingElement setting_elements[] = {
    {"hdop>", "accuracy output"},
    {"cmt>", "compass or accuracy output"},
    {"extensions>", "compass or barometer output"},
};

std::string quoted(std::string_view text)
{
    return "\"" + shortened(text) + "\"";
}

}  // namespace

std::optional<std::string_view> setting_behind_element(std::string_view chunk)
{
    if (chunk.starts_with('<'))
        chunk.remove_prefix(1);
    for (const SettingElement& element : setting_elements) {
        if (chunk.starts_with(element.tag))
            return element.setting;
    }
    return std::nullopt;
}

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

std::string fault_sentence(int line, std::string_view expected, std::string_view found, bool at_end,
                           const SettingTrace* trace)
{
    std::string sentence = "Line " + std::to_string(line) + " should " + std::string(expected) + " but holds ";
    if (!found.empty())
        sentence += quoted(found);
    else if (at_end)
        sentence += "nothing: the file ends there";
    else
        sentence += "a line indented deeper than a waypoint's elements";
    sentence += ".";
    if (trace) {
        const std::string setting(trace->setting);
        sentence += trace->found == found ? std::string(" The phone app writes that")
                                          : " The waypoint holds " + quoted(trace->found) + ", which the phone app writes";
        sentence += " only when its " + setting + " is switched on, and this program cannot read it. Switch off the " +
                    setting +
                    " in the phone app's settings (the accuracy, compass and barometer outputs must all be off), "
                    "then export the track again.";
    }
    return sentence;
}

std::string cut_off_sentence(int line)
{
    return "The file ends at line " + std::to_string(line) +
           " before its track (<trk>), which the phone app always writes after the waypoints: was the copy from "
           "the phone complete? Copy the file from the phone again and import that copy.";
}

}  // namespace survey
