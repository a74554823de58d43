#pragma once

#include "import/runtime_error.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace survey {

// A photo a "Picture" waypoint names, to move from beside the GPX file into
// the photo folder; `line` is where its link stands in the GPX file.
struct PhotoMove {
    std::string photo;
    int line;
};

// What reading a GPX file asks of the file system, decided before any of it
// is done so that a failure leaves every file as it was.
struct ImportPlan {
    std::string survey_text;
    std::int16_t record_count = 0;
    std::vector<PhotoMove> photo_moves;
    // The first failure in the GPX content; the moves are those read before it.
    std::optional<RuntimeError> error;
};

}  // namespace survey
