#pragma once

#include "import/runtime_error.h"

#include <string>

namespace survey {

// The failure an errno value means for the file or folder at `path`. The one
// place an errno becomes an error kind; a missing file whose folder is also
// missing names the folder, since that is what the user must mend, and a
// full disk says which folder's disk it is.
RuntimeError file_error(int error, const std::string& path);

// The same, for a file the import must replace: one this user may not
// write says what to do about it.
RuntimeError write_refused(int error, const std::string& path);

}  // namespace survey
