#pragma once

#include <string>

// One sentence, said at start, for a program folder this user cannot write:
// which folder, and what to do, before an import fails there.
std::string unwritable_folder_text(const std::string& app_folder);
