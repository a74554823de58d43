#include "tests/support/gpx_builder.h"
#include "tests/support/import_fixture.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using survey::ErrorKind;

namespace {

// What the table's GPX text is imported into, besides the ordinary folders.
enum class Scene { Ordinary, PhotoFolderMissing, GpxIsAFolder, UnreadableGpx, CopyCutBeforeTrack };

struct BadInput {
    const char* what;
    std::string waypoints;  // between the header and the track
    ErrorKind kind;
    int line;  // 0 for a fault that is not in the GPX content
    Scene scene = Scene::Ordinary;
};

class BadInputTable : public testing_support::ImportFixture, public ::testing::WithParamInterface<BadInput> {};

// Every fault: the kind and the line are reported, and no file changes.
TEST_P(BadInputTable, ReportsKindAndLineAndChangesNothing)
{
    const BadInput& input = GetParam();
    put_photos({"p1.jpg", "taken.jpg"});
    testing_support::write_file(app() / "photosound" / "taken.jpg", "earlier");
    testing_support::write_file(survey_csv(), "earlier survey\r\n");
    fs::path gpx =
        put_gpx(gpx::header() + input.waypoints + (input.scene == Scene::CopyCutBeforeTrack ? "" : gpx::track()));
    if (input.scene == Scene::PhotoFolderMissing)
        fs::remove_all(app() / "photosound");
    if (input.scene == Scene::GpxIsAFolder)
        gpx = phone();
    // The kernel refuses to read this file at offset 0, whoever asks.
    if (input.scene == Scene::UnreadableGpx)
        gpx = "/proc/self/mem";

    const auto before = everything();
    const auto error = import(gpx);
    ASSERT_TRUE(error) << input.what;
    EXPECT_EQ(error->kind(), input.kind) << input.what << ": " << error->what();
    EXPECT_EQ(error->line(), input.line) << input.what;
    EXPECT_EQ(everything(), before) << input.what;
}

// The header takes lines 1 and 2: a first waypoint's lines are 3 to 8, with
// its name on 6 and its integer element (or a Picture's link) on 7.
INSTANTIATE_TEST_SUITE_P(
    EveryFault, BadInputTable,
    ::testing::Values(
        BadInput{"wpt line without a lon", "\t<wpt lat=\"1\"\t\t<ele>\n", ErrorKind::IndexOutOfRange, 3},
        BadInput{"wpt line without attributes", "\t<wpt>\n", ErrorKind::IndexOutOfRange, 3},
        BadInput{"empty wpt chunk", "\t\t\t<wpt>\n", ErrorKind::Overflow, 3},
        BadInput{"empty elevation chunk", "\t<wpt lat=\"1\" lon=\"2\">\n\t\t\t<x>\n", ErrorKind::Overflow, 4},
        BadInput{"255 spaces in the time line",
                 "\t<wpt lat=\"1\" lon=\"2\">\n\t\t<ele>1</ele>\n\t\t<time>" + std::string(255, ' ') + "</time>\n",
                 ErrorKind::Overflow, 5},
        BadInput{"lat too short to cut", "\t<wpt lat= lon=\"2\">\n", ErrorKind::InvalidArgument, 3},
        BadInput{"name without ]",
                 "\t<wpt lat=\"1\" lon=\"2\">\n\t\t<ele>1</ele>\n\t\t<time>2014-02-14T1</time>\n\t\t<name>A</name>\n",
                 ErrorKind::InvalidArgument, 6},
        BadInput{"line break decoded in a linked name", gpx::linked("Foto", "p%0D1.jpg"), ErrorKind::BadFileName, 7},
        BadInput{"link without jpg", gpx::picture("p1.JPG"), ErrorKind::InvalidArgument, 7},
        BadInput{"integer element without </", gpx::waypoint_start("a", {}) + "\t\t<sat>7\n", ErrorKind::InvalidArgument,
                 7},
        BadInput{"file ends inside a waypoint", gpx::waypoint_start("a", {}), ErrorKind::InvalidArgument, 7},
        BadInput{"lat not a number", gpx::waypoint("a", {.lat = "5x"}), ErrorKind::TypeMismatch, 3},
        BadInput{"lon with a comma", gpx::waypoint("a", {.lon = "0,25"}), ErrorKind::TypeMismatch, 3},
        BadInput{"lat beyond a double", gpx::waypoint("a", {.lat = "1e999"}), ErrorKind::Overflow, 3},
        BadInput{"not a real date", gpx::waypoint("a", {.date = "2014-02-30"}), ErrorKind::TypeMismatch, 5},
        BadInput{"integer element not a number", gpx::waypoint("a", {.sat = "many"}), ErrorKind::TypeMismatch, 7},
        BadInput{"integer element out of range", gpx::waypoint("a", {.sat = "40000"}), ErrorKind::Overflow, 7},
        BadInput{"numeric name out of range", gpx::waypoint("32767.5"), ErrorKind::Overflow, 6},
        BadInput{"fault in a later waypoint", gpx::waypoint("a") + gpx::waypoint("b", {.sat = ""}),
                 ErrorKind::TypeMismatch, 13},
        BadInput{"missing photo", gpx::picture("p1.jpg") + gpx::picture("p2.jpg"), ErrorKind::FileNotFound, 16},
        BadInput{"photo target taken", gpx::picture("taken.jpg"), ErrorKind::FileAlreadyExists, 7},
        BadInput{"photo folder missing", gpx::picture("p1.jpg"), ErrorKind::PathNotFound, 7, Scene::PhotoFolderMissing},
        BadInput{"photo name leaving the folder", gpx::picture("../../etc/x.jpg"), ErrorKind::BadFileName, 7},
        BadInput{"photo name with a line break", gpx::picture("p\n1.jpg"), ErrorKind::BadFileName, 7},
        BadInput{"metadata after a waypoint", gpx::waypoint("a") + gpx::metadata(), ErrorKind::IndexOutOfRange, 9},
        BadInput{"media link without a closing quote", gpx::waypoint_start("Foto", {}) + "\t\t<link href=\"v.3gpp>\n",
                 ErrorKind::InvalidArgument, 7},
        BadInput{"compass output never closed runs to the end",
                 gpx::metadata() + gpx::waypoint_start("a", {}) +
                     "\t\t<sat>0</sat>\n\t\t\t\t<extensions>\n\t\t\t\t\t<compass>1.0</compass>\n",
                 ErrorKind::InputPastEndOfFile, 20},
        BadInput{"copy cut after a sighting with a photo",
                 gpx::picture("p1.jpg") + gpx::waypoint("s") + gpx::waypoint("record sighting"),
                 ErrorKind::InputPastEndOfFile, 24, Scene::CopyCutBeforeTrack},
        BadInput{"copy cut after the header", "", ErrorKind::InputPastEndOfFile, 3, Scene::CopyCutBeforeTrack},
        BadInput{"GPX path is a folder", "", ErrorKind::PathFileAccessError, 0, Scene::GpxIsAFolder},
        BadInput{"GPX file cannot be read", "", ErrorKind::DeviceIoError, 0, Scene::UnreadableGpx}));

}  // namespace
