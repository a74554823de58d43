// Prints, one line for each GPX file named, what the reading half plans of
// it: the survey text, the record count and the moves, or the error. Two
// builds' lines for the same files, side by side, show every change a new
// reading rule makes (scripts/reading-differential).
#include "import/gpx/waypoint_parser.h"
#include "tests/support/temp_folder.h"

#include <cstdio>
#include <string>

namespace {

// Control bytes, and the separators below, written as escapes so that one
// file's plan stays on one line.
std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || c == '\\' || c == '|') {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out;
}

std::string described(const survey::ImportPlan& plan)
{
    std::string line;
    if (plan.error)
        line += "error " + std::string(survey::error_message(plan.error->kind())) + " line " +
                std::to_string(plan.error->line()) + " " + escaped(plan.error->detail());
    else
        line += "imports " + std::to_string(plan.record_count) + " | " + escaped(plan.survey_text);
    for (const survey::PhotoMove& move : plan.photo_moves)
        line += " | move " + escaped(move.photo) + " line " + std::to_string(move.line);
    return line;
}

}  // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string bytes = testing_support::read_file(argv[i]);
        survey::ByteStream stream(bytes);
        std::printf("%s\t%s\n", argv[i], described(survey::plan_import(stream)).c_str());
    }
    return argc > 1 ? 0 : 1;
}
