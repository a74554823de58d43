#pragma once

#include <optional>
#include <string>
#include <string_view>

// Plain-words sentences for a fault in the GPX content: what the line should
// hold, what it holds, and what to do about it.
namespace survey {

// An element the phone app writes only under one of its settings that this
// program does not read, and that setting.
struct SettingTrace {
    std::string found;
    std::string_view setting;
};

// The setting behind a chunk such as "<hdop>6.0</hdop>", or none.
std::optional<std::string_view> setting_behind_element(std::string_view chunk);

// The text as one short line: line breaks and tabs become spaces, and a long
// text is cut with "...".
std::string shortened(std::string_view text);

// "Line N should <expected> but holds <found>.", followed, when `trace` is
// set, by what to switch off in the phone app.
std::string fault_sentence(int line, std::string_view expected, std::string_view found, bool at_end,
                           const SettingTrace* trace);

// For a file that ends before its track.
std::string cut_off_sentence(int line);

}  // namespace survey
