#pragma once

#include <string>

namespace survey::win32 {

// A UTF-8 path as Win32's wide calls take it: "\" separators, and the
// "\\?\" prefix on a full path, which lifts the 260-character limit. Every
// call of the program's that names a file on Windows passes its path through here.
std::wstring path_for_call(const std::string& path);

}  // namespace survey::win32
