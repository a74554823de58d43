#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What lblDone says after an import that wrote `obs_count` records.
std::string done_text(std::int16_t obs_count);

// What lblDone says when a file is chosen after the import, which the read
// button, off for the rest of the run, cannot take.
inline constexpr std::string_view one_import_a_run_text =
    "One import a run: close the window (the imported file is archived) and start again to import another.";
