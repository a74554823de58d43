#pragma once

#include "import/waypoint_import.h"

#include <string>

// One sentence that tells the user what the start did about an import or
// archive a crash had interrupted.
std::string recovery_text(const survey::Recovery& recovery);
