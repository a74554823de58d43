#include "import/files/folder_lock.h"
#include "import/files/one_move.h"
#include "tests/support/failing_effects.h"
#include "tests/support/gpx_builder.h"
#include "tests/support/import_fixture.h"
#include "tests/support/test_platform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <vector>

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
    for (const std::string& text : {gpx::header() + gpx::track(), gpx::header() + gpx::waypoint("a") + gpx::track()}) {
        ASSERT_FALSE(import(put_gpx(text)));
        EXPECT_EQ(obs_count, 0);
        EXPECT_EQ(read_file(survey_csv()), "");
    }
}

TEST_F(WaypointImport, KeepsThePermissionsOfAnEarlierSurvey)
{
    if (testing_support::on_windows)
        GTEST_SKIP() << "Windows files have no permission bits: a new file takes its folder's";
    write_file(survey_csv(), "old\r\n");
    fs::permissions(survey_csv(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_FALSE(import(put_gpx(gpx::header() + gpx::waypoint("a") + gpx::waypoint("record sighting") + gpx::track())));
    EXPECT_EQ(fs::status(survey_csv()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A program folder this user may not write, as the lock finds it.
class ReadOnlyFolder : public testing_support::FailingEffects {
public:
    int lock_folder(const std::string&, int&) override { return EACCES; }
};

// One change at a time: a second window on the same program folder is told
// to wait, and the lock leaves nothing behind it; a read-only program
// folder is said to be one.
TEST_F(WaypointImport, ASecondWindowWaitsForTheFirst)
{
    const fs::path gpx = put_gpx(gpx::header() + gpx::track());
    const auto before = everything();
    {
        const survey::FolderLock first(survey::system_file_effects(), app().string());
        const auto error = import(gpx);
        ASSERT_TRUE(error);
        EXPECT_NE(error->detail().find("Another window of this program"), std::string::npos) << error->detail();
    }
    EXPECT_EQ(everything(), before);
    ReadOnlyFolder read_only;
    const auto refused = import(gpx, read_only);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->kind(), ErrorKind::PermissionDenied);
    EXPECT_NE(refused->detail().find("read-only"), std::string::npos) << refused->detail();
    EXPECT_FALSE(import(gpx));
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
    if (!testing_support::permission_bits_bind())
        GTEST_SKIP() << "permission bits do not bind here: root reads every file, and Windows has none";
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
        put_photos({"taken.jpg", "linked.jpg"});
        fs::create_hard_link(phone() / "linked.jpg", app() / "photosound" / "linked.jpg");
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
    EXPECT_EQ(error->path(), in_fixture ? (app().parent_path() / path).make_preferred().string() : path);
    if (error->kind() == ErrorKind::FileAlreadyExists) {
        EXPECT_NE(error->detail().find("imported before"), std::string::npos) << error->detail();
    }
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
        PhotoCase{"target a hard link of the photo", gpx::picture("a.jpg") + gpx::picture("linked.jpg"),
                  ErrorKind::FileAlreadyExists, 16, "app/photosound/linked.jpg"},
        PhotoCase{"voice note missing", gpx::linked("Voice recording", "v.3gpp"), ErrorKind::FileNotFound, 7,
                  "phone/v.3gpp"},
        PhotoCase{"linked file target taken", gpx::linked("Foto", "a.jpg") + gpx::linked("Voice recording", "taken.jpg"),
                  ErrorKind::FileAlreadyExists, 16, "app/photosound/taken.jpg"},
        PhotoCase{"backslash", gpx::picture("..\\a.jpg"), ErrorKind::BadFileName, 7, "..\\a.jpg"},
        PhotoCase{"a link to a web address, decoded", gpx::linked("Foto", "http%3A%2F%2Fosm.org%2Fa.jpg"),
                  ErrorKind::BadFileName, 7, "http://osm.org/a.jpg"},
        PhotoCase{"name longer than a file system allows", gpx::picture(std::string(300, 'x') + ".jpg"),
                  ErrorKind::BadFileName, 7, std::string(300, 'x') + ".jpg"},
        PhotoCase{"missing, with a name too long for a copy's working name", gpx::picture(std::string(240, 'x') + ".jpg"),
                  ErrorKind::FileNotFound, 7, "phone/" + std::string(240, 'x') + ".jpg"},
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

// A sighting file as the phone app writes it today: the metadata block,
// photos named in English and in the phone's language, a voice note.
TEST_F(WaypointImport, TodaysLayoutGivesRecordsWithPhotosAndRecordingsInOrder)
{
    put_photos({"a.jpg", "b.jpg", "v.3gpp", "c.jpg"});
    const std::string gpx_text =
        gpx::header() + gpx::metadata() + gpx::waypoint("roe deer") + gpx::waypoint("Calf") +
        gpx::linked("Photo", "a.jpg") + gpx::waypoint("wetSkin") + gpx::linked("Voice recording", "v.3gpp") +
        gpx::linked("Foto", "b.jpg") + gpx::waypoint("2") + commit + gpx::waypoint("hare") +
        gpx::linked("Photo", "c.jpg") + gpx::waypoint("record sighting", {.lat = "-1.5", .sat = "9"}) + gpx::track();
    ASSERT_FALSE(import(put_gpx(gpx_text))) << "imports";
    EXPECT_EQ(obs_count, 2);
    EXPECT_EQ(read_file(survey_csv()), "14/02/2014,51.5,-0.25,roe deer,7,Calf,wetSkin,2,a.jpg,v.3gpp,b.jpg\r\n"
                                       "14/02/2014,-1.5,-0.25,hare,9,unset,unset,0,c.jpg\r\n");
    for (const char* file : {"a.jpg", "b.jpg", "v.3gpp", "c.jpg"}) {
        EXPECT_FALSE(fs::exists(phone() / file)) << file;
        EXPECT_EQ(read_file(app() / "photosound" / file), std::string("JPEG of ") + file);
    }
}

// The files a phone file links, by the text the app writes beside each link
// as it named the file, not URL-encoded as in the link itself.
std::vector<std::string> linked_files(const std::string& gpx_text)
{
    std::vector<std::string> files;
    const std::string opening = "<text>";
    for (std::size_t at = gpx_text.find(opening); at != std::string::npos; at = gpx_text.find(opening, at + 1)) {
        const std::size_t start = at + opening.size();
        files.push_back(gpx_text.substr(start, gpx_text.find("</text>", start) - start));
    }
    return files;
}

class RealPhoneFile : public WaypointImport, public ::testing::WithParamInterface<const char*> {};

// The app's exports, whatever its settings, hold no sighting: they give 0
// records and move every file they link.
TEST_P(RealPhoneFile, ImportsAndMovesEveryLinkedFile)
{
    const std::string text = read_file(fs::path(TEST_DATA_DIR) / "phone-files" / GetParam());
    const std::vector<std::string> media = linked_files(text);
    for (const std::string& file : media)
        write_file(phone() / file, "media " + file);
    const auto error = import(put_gpx(text, GetParam()));
    ASSERT_FALSE(error) << GetParam() << ": " << error->what();
    EXPECT_EQ(obs_count, 0);
    EXPECT_EQ(read_file(survey_csv()), "");
    for (const std::string& file : media) {
        EXPECT_FALSE(fs::exists(phone() / file)) << file;
        EXPECT_EQ(read_file(app() / "photosound" / file), "media " + file);
    }
}

// Byte for byte as the phone app wrote them, in tests/data/phone-files.
INSTANTIATE_TEST_SUITE_P(PhoneApp, RealPhoneFile,
                         ::testing::Values("photo-2025.gpx", "voice-notes-2017.gpx", "compass-accuracy-2021.gpx",
                                           "accuracy-compass-2017.gpx"));

// Whether the file system refuses a taken name itself, or only lets the
// name be reserved first, as FAT through FUSE and exFAT do.
TEST(FileEffects, MoveNeverReplacesAFile)
{
    for (const bool refusing_renames : {true, false}) {
        testing_support::FailingEffects effects;
        if (!refusing_renames) {
            effects.no_refusing_renames();
            effects.no_hard_links();
        }
        testing_support::TempFolder folder;
        const std::string from = (folder.path() / "from").string();
        const std::string to = (folder.path() / "to").string();
        write_file(from, "new");
        write_file(to, "old");
        EXPECT_EQ(survey::move_without_replacing(effects, from, to), EEXIST) << refusing_renames;
        EXPECT_EQ(read_file(from), "new") << refusing_renames;
        EXPECT_EQ(read_file(to), "old") << refusing_renames;
        std::filesystem::remove(to);
        EXPECT_EQ(survey::move_without_replacing(effects, from, to), 0) << refusing_renames;
        EXPECT_EQ(read_file(to), "new") << refusing_renames;
        EXPECT_FALSE(std::filesystem::exists(from)) << refusing_renames;
    }
}

}  // namespace
