// Feeds arbitrary bytes to the import as the chosen file in a private
// program folder (a GPX file, or a shared track's ZIP when they open as one)
// and checks what must hold for every input: it succeeds or fails with a
// RuntimeError; a failure changes no file; a success writes one well-formed
// line per record and moves files only from the GPX folder into the photo
// folder, or copies them there out of a ZIP that stays as it was.
#include "import/runtime_error.h"
#include "import/waypoint_import.h"
#include "import/zip/zip_directory.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

using Tree = std::map<std::string, std::string>;

void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// A program folder and a phone folder with photos the seeds name.
class Scene {
public:
    Scene()
    {
        const auto& root = folder_.path();
        std::filesystem::create_directories(root / "app" / "photosound");
        std::filesystem::create_directories(root / "app" / "saveGPX");
        std::filesystem::create_directories(root / "phone");
        testing_support::write_file(root / "app" / "survey.csv", "earlier survey\r\n");
        testing_support::write_file(root / "app" / "photosound" / "taken.jpg", "earlier photo");
        for (const char* photo : {"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "taken.jpg"})
            testing_support::write_file(root / "phone" / photo, std::string("photo ") + photo);
        baseline_ = testing_support::snapshot(root);
    }

    const std::filesystem::path& root() const { return folder_.path(); }
    const Tree& baseline() const { return baseline_; }
    void reset() const { testing_support::restore(root(), baseline_); }

private:
    testing_support::TempFolder folder_;
    Tree baseline_;
};

void check_survey(const std::string& survey, std::int16_t obs_count)
{
    std::size_t lines = 0;
    for (std::size_t start = 0; start < survey.size(); ++lines) {
        const std::size_t end = survey.find('\n', start);
        require(end != std::string::npos, "survey ends inside a line");
        const std::string line = survey.substr(start, end + 1 - start);
        require(line.size() >= 2 && line[line.size() - 2] == '\r', "line does not end in CR LF");
        require(std::count(line.begin(), line.end(), ',') >= 8, "line has fewer than 9 columns");
        start = end + 1;
    }
    require(lines == static_cast<std::size_t>(obs_count), "record count differs from survey lines");
}

// Every change is the survey file, or a file gone from the phone folder and
// arrived, unchanged, in the photo folder; from a ZIP, which stays, only new
// files in the photo folder.
void check_changes(const Tree& before, const Tree& after, bool from_zip)
{
    const std::string phone = "phone/";
    const std::string photos = "app/photosound/";
    for (const auto& [name, content] : after) {
        const auto old = before.find(name);
        if (old != before.end() && old->second == content)
            continue;
        if (name == "app/survey.csv")
            continue;
        require(name.starts_with(photos), "a file appeared outside the photo folder");
        if (from_zip) {
            require(old == before.end(), "a file copied out of a ZIP replaced another");
            continue;
        }
        const std::string source = phone + name.substr(photos.size());
        require(before.count(source) && before.at(source) == content && !after.count(source),
                "a photo arrived that did not leave the phone folder");
    }
    for (const auto& [name, content] : before) {
        if (after.count(name))
            continue;
        require(!from_zip, "a file vanished in an import from a ZIP");
        require(name.starts_with(phone), "a file vanished outside the phone folder");
        require(after.count(photos + name.substr(phone.size())), "a photo vanished");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Only a successful import changes the scene, and it is reset after one.
    static const Scene scene;
    const auto gpx = scene.root() / "phone" / "track.gpx";
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    testing_support::write_file(gpx, bytes);
    Tree before = scene.baseline();
    before["phone/track.gpx"] = "file:" + bytes;

    std::int16_t obs_count = -1;
    try {
        survey::import_waypoints(gpx.string(), (scene.root() / "phone").string() + "/",
                                 (scene.root() / "app").string(), obs_count);
    } catch (const survey::RuntimeError& error) {
        require(error.kind() >= survey::ErrorKind::Overflow && error.kind() <= survey::ErrorKind::InvalidFileFormat,
                "error of no listed kind");
        require(obs_count == 0, "a failed import counted records");
        require(testing_support::snapshot(scene.root()) == before, "a failed import changed files");
        return 0;
    }
    const Tree after = testing_support::snapshot(scene.root());
    check_survey(testing_support::read_file(scene.root() / "app" / "survey.csv"), obs_count);
    check_changes(before, after, survey::starts_as_zip(bytes));
    scene.reset();
    return 0;
}
