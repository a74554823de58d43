#pragma once

#include <string>
#include <string_view>

// The texts the phone app writes, read as it meant them: what its settings,
// its languages and its own encodings add is taken off again.
namespace survey {

// A waypoint's name: each line break a typed note holds (CR LF, LF or CR)
// as one space, as the app writes its button labels; then the accuracy its
// accuracy output may have added, a space, "(", Java's text of a double,
// the unit in the phone's language and ")" ("Fox (12.0m)", "Fox (3.5E-4м)"),
// taken off once.
void tidy_waypoint_name(std::string& name);

// The time text with the digits a Persian or Arabic phone writes
// (U+06F0-U+06F9, U+0660-U+0669) as Latin ones: `buffer` holds the text
// where it changes, and a text without them is returned as it is.
std::string_view with_latin_digits(std::string_view text, std::string& buffer);

// A linked file's name, URL-encoded by the app: "%" and two hex digits
// (either case) is that byte, "+" a space, any other "%" stays; once.
std::string url_decoded(std::string_view text);

}  // namespace survey
