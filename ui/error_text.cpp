#include "ui/error_text.h"

#include "ui/path_name.h"

std::string error_text(const survey::RuntimeError& error, const std::string& gpx_path)
{
    std::string text(survey::error_message(error.kind()));
    if (error.line() > 0)
        text += "\n" + name_of(gpx_path) + ", line " + std::to_string(error.line());
    if (!error.path().empty())
        text += "\n" + error.path();
    if (!error.detail().empty())
        text += "\n\n" + error.detail();
    return text;
}
