#pragma once

#include "import/waypoint_import.h"

#include <QString>

// One sentence that tells the user what the start did about an import or
// archive a crash had interrupted.
QString recovery_text(const survey::Recovery& recovery);
