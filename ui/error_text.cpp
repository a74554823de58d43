#include "ui/error_text.h"

#include "ui/path_name.h"

std::string error_text(const survey::RuntimeError& error, const std::string& gpx_path)
{
    std::string text(survey::error_message(error.kind()));
    // In a shared track, the place names the ZIP and the file in it.
    const auto in_entry = [](const std::string& entry) { return entry.empty() ? entry : ": " + entry; };
    if (error.line() > 0)
        text += "\n" + name_of(gpx_path) + in_entry(error.line_entry()) + ", line " + std::to_string(error.line());
    if (!error.path().empty())
        text += "\n" + error.path() + in_entry(error.entry());
    if (!error.detail().empty())
        text += "\n\n" + error.detail();
    return text;
}
