#pragma once

#include "import/files/file_effects.h"
#include "import/runtime_error.h"

#include <string>

namespace survey {

// The failure an errno value means for the file or folder at `path`. The one
// place an errno becomes an error kind; a missing file whose folder is also
// missing names the folder, since that is what the user must mend, and a
// full disk says which folder's disk it is. That folder is looked at
// through `effects`, and only a look that says it is gone names it.
RuntimeError file_error(FileEffects& effects, int error, const std::string& path);

// `error`, with `sentence` to say what happened and what to do when it says
// nothing of its own.
RuntimeError explained(const RuntimeError& error, const std::string& sentence);

// The same, for a file the import must replace: one this user may not
// write says what to do about it.
RuntimeError write_refused(FileEffects& effects, int error, const std::string& path);

}  // namespace survey
