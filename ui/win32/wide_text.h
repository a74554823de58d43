#pragma once

#include <string>
#include <string_view>

// Texts and paths cross the window's interfaces as UTF-8; Windows takes and
// gives UTF-16. Converted at each call, so every name works whatever the
// code page.
std::wstring wide_text(std::string_view utf8);
std::string utf8_text(std::wstring_view wide);
