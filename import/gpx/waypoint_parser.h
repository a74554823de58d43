#pragma once

#include "import/gpx/byte_stream.h"
#include "import/gpx/import_plan.h"

namespace survey {

// Reads the waypoints of a GPX file, chunk by chunk at fixed positions, into
// survey lines and photo moves. Touches no file beyond the stream.
ImportPlan plan_import(ByteStream& gpx);

}  // namespace survey
