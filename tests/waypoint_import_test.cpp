#include "import/files/file_effects.h"
#include "tests/support/gpx_builder.h"
#include "tests/support/import_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using survey::ErrorKind;
using testing_support::read_file;
using testing_support::write_file;

namespace {

class WaypointImport : public testing_support::ImportFixture {};

TEST_F(WaypointImport, SampleGivesTheExpectedSurveyByteForByte)
{
    put_sample();
    const auto error = import(phone() / "field-day.gpx");
    ASSERT_FALSE(error) << error->what();
    EXPECT_EQ(obs_count, 2);
    EXPECT_EQ(read_file(survey_csv()), read_file(fs::path(TEST_DATA_DIR) / "field-day.expected-survey.csv"));
    for (const char* photo : {"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"}) {
        EXPECT_FALSE(fs::exists(phone() / photo)) << photo;
        EXPECT_EQ(read_file(app() / "photosound" / photo), std::string("JPEG of ") + photo);
    }
    EXPECT_TRUE(fs::exists(phone() / "field-day.gpx"));
    EXPECT_EQ(std::distance(fs::directory_iterator(app()), fs::directory_iterator()), 3) << "no temporary file left";
}

TEST_F(WaypointImport, NoSightingEmptiesAnEarlierSurvey)
{
    write_file(survey_csv(), "old line\r\n");
    for (const std::string& text : {std::string(), gpx::header() + gpx::waypoint("a") + gpx::track()}) {
        ASSERT_FALSE(import(put_gpx(text)));
        EXPECT_EQ(obs_count, 0);
        EXPECT_EQ(read_file(survey_csv()), "");
    }
}

TEST_F(WaypointImport, KeepsThePermissionsOfAnEarlierSurvey)
{
    write_file(survey_csv(), "old\r\n");
    fs::permissions(survey_csv(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_FALSE(import(put_gpx(gpx::header() + gpx::waypoint("a") + gpx::waypoint("record sighting"))));
    EXPECT_EQ(fs::status(survey_csv()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

struct OpenCase {
    const char* what;
    std::string path;  // below the phone folder
    ErrorKind kind;
};

class GpxPathFault : public WaypointImport, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(GpxPathFault, ReportedAndNothingCreated)
{
    const auto before = everything();
    const auto error = import(GetParam().path.empty() ? fs::path() : phone() / GetParam().path);
    ASSERT_TRUE(error) << GetParam().what;
    EXPECT_EQ(error->kind(), GetParam().kind) << GetParam().what;
    EXPECT_EQ(error->line(), 0);
    EXPECT_EQ(everything(), before) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Paths, GpxPathFault,
                         ::testing::Values(OpenCase{"no such file", "missing.gpx", ErrorKind::FileNotFound},
                                           OpenCase{"no such folder", "gone/track.gpx", ErrorKind::PathNotFound},
                                           OpenCase{"empty path", "", ErrorKind::BadFileName}));

TEST_F(WaypointImport, UnreadableGpxIsPermissionDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const fs::path gpx = put_gpx(gpx::header());
    fs::permissions(gpx, fs::perms::none);
    const auto error = import(gpx);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), ErrorKind::PermissionDenied);
}

TEST_F(WaypointImport, MissingProgramFolderIsPathNotFound)
{
    const fs::path gpx = put_gpx(gpx::header());
    fs::remove_all(app());
    const auto error = import(gpx);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), ErrorKind::PathNotFound);
    EXPECT_EQ(error->path(), app().string());
}

struct PhotoCase {
    const char* what;
    std::string waypoints;
    ErrorKind kind;
    int line;
    std::string path;  // below the fixture's root, or a bad name as it stands
};

class PhotoFault : public WaypointImport, public ::testing::WithParamInterface<PhotoCase> {
protected:
    void SetUp() override
    {
        put_photos({"a.jpg", "b.jpg"});
        write_file(app() / "photosound" / "taken.jpg", "earlier photo");
        put_photos({"taken.jpg"});
        write_file(survey_csv(), "earlier survey\r\n");
    }
};

// Every photo fault leaves every file as it was, even the photos that
// could have moved before it.
TEST_P(PhotoFault, ReportedAtItsLinkAndNothingMoves)
{
    const fs::path gpx = put_gpx(gpx::header() + GetParam().waypoints + gpx::track());
    const auto before = everything();
    const auto error = import(gpx);
    ASSERT_TRUE(error) << GetParam().what;
    EXPECT_EQ(error->kind(), GetParam().kind) << GetParam().what;
    EXPECT_EQ(error->line(), GetParam().line) << GetParam().what;
    const std::string& path = GetParam().path;
    const bool in_fixture = path.starts_with("phone/") || path.starts_with("app/");
    EXPECT_EQ(error->path(), in_fixture ? app().parent_path().string() + "/" + path : path);
    EXPECT_EQ(everything(), before);
}

const std::string commit = gpx::waypoint("record sighting");

// The header takes lines 1 and 2; a first Picture's link is line 7, a second one's 16.
INSTANTIATE_TEST_SUITE_P(
    Photos, PhotoFault,
    ::testing::Values(
        PhotoCase{"same photo twice", gpx::picture("a.jpg") + gpx::picture("a.jpg"), ErrorKind::FileNotFound, 16,
                  "phone/a.jpg"},
        PhotoCase{"target taken", gpx::picture("a.jpg") + gpx::picture("taken.jpg"), ErrorKind::FileAlreadyExists,
                  16, "app/photosound/taken.jpg"},
        PhotoCase{"backslash", gpx::picture("..\\a.jpg"), ErrorKind::BadFileName, 7, "..\\a.jpg"},
        PhotoCase{"empty name", gpx::waypoint_start("Picture", {}) + "\t\t<link hrejpg>\n\t\t\t<t>\n\t\t</link>\n" +
                                    gpx::waypoint_end({}),
                  ErrorKind::BadFileName, 7, ""},
        PhotoCase{"photo fault before a content fault", gpx::picture("none.jpg") + gpx::waypoint("x", {.sat = "?"}),
                  ErrorKind::FileNotFound, 7, "phone/none.jpg"},
        PhotoCase{"target taken before a content fault", gpx::picture("taken.jpg") + gpx::waypoint("x", {.sat = "?"}),
                  ErrorKind::FileAlreadyExists, 7, "app/photosound/taken.jpg"},
        PhotoCase{"content fault before a photo fault", gpx::waypoint("x", {.sat = "?"}) + gpx::picture("none.jpg"),
                  ErrorKind::TypeMismatch, 7, ""},
        PhotoCase{"content fault after good photos", gpx::picture("a.jpg") + gpx::picture("b.jpg") + commit +
                                                          gpx::waypoint("x", {.lat = "north"}),
                  ErrorKind::TypeMismatch, 27, ""}));

TEST(FileEffects, MoveNeverReplacesAFile)
{
    testing_support::TempFolder folder;
    write_file(folder.path() / "from", "new");
    write_file(folder.path() / "to", "old");
    EXPECT_EQ(survey::system_file_effects().move_without_replacing((folder.path() / "from").string(),
                                                                  (folder.path() / "to").string()),
              EEXIST);
    EXPECT_EQ(read_file(folder.path() / "from"), "new");
    EXPECT_EQ(read_file(folder.path() / "to"), "old");
}

}  // namespace
