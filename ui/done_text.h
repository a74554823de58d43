#pragma once

#include <cstdint>
#include <string>

// What lblDone says after an import that wrote `obs_count` records.
std::string done_text(std::int16_t obs_count);
