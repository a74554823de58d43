#pragma once

#include "import/runtime_error.h"

#include <string>

// The message box text: the kind of failure as the user knows it, then where
// it happened: the GPX file's name and line for a fault in its content, the
// path for a file that could not be read, written or moved; then, after a
// blank line, the sentence that says what to do, where there is one.
std::string error_text(const survey::RuntimeError& error, const std::string& gpx_path);
