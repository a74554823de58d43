// Where Windows differs: files another program holds open, read-only
// attributes, "\" paths and drive roots, names in another letter case,
// and names Windows cannot hold.
#include "import/files/file_names.h"
#include "import/files/win32_text.h"
#include "import/waypoint_import.h"
#include "tests/support/failing_effects.h"
#include "tests/support/gpx_builder.h"
#include "tests/support/import_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <thread>
#include <utility>
#include <windows.h>

namespace fs = std::filesystem;
using survey::ErrorKind;
using testing_support::read_file;
using testing_support::write_file;

namespace {

const std::string one_photo_sighting =
    gpx::header() + gpx::waypoint("Alpha") + gpx::picture("p1.jpg") + gpx::waypoint("record sighting") + gpx::track();

// A handle another program holds, closed when it goes.
class HeldFile {
public:
    HeldFile() = default;
    explicit HeldFile(HANDLE handle) : handle_(handle) {}
    HeldFile(HeldFile&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    ~HeldFile()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// What stands in the way, and what the user is told: the kind, the file
// named, with "\\" between its names, and, where one is said, a part of the
// sentence. A file held open by another program, below the fixture's
// root, shares with others only `share`: a spreadsheet lets them read it,
// a viewer or an editor may share nothing.
struct Obstacle {
    const char* what;
    std::function<void(const fs::path& app)> put;
    const char* held;
    DWORD share;
    ErrorKind kind;
    const char* named;  // below the fixture's root
    const char* sentence;
};

HeldFile hold(const fs::path& file, DWORD share)
{
    return HeldFile(::CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

const auto nothing_put = [](const fs::path&) {};

class ImportFiles : public testing_support::ImportFixture {};
class WindowsFiles : public ImportFiles, public ::testing::WithParamInterface<Obstacle> {};

TEST_P(WindowsFiles, RefusedBeforeAnythingChanges)
{
    const Obstacle& obstacle = GetParam();
    put_photos({"p1.jpg"});
    write_file(survey_csv(), "earlier survey\r\n");
    const fs::path gpx = put_gpx(one_photo_sighting);
    obstacle.put(app());
    const auto before = everything();
    std::optional<HeldFile> held;
    if (*obstacle.held)
        held.emplace(hold(app().parent_path() / obstacle.held, obstacle.share));
    const auto error = import(gpx);
    // A file shared with no one cannot be read to compare.
    held.reset();
    ASSERT_TRUE(error) << obstacle.what;
    EXPECT_EQ(error->kind(), obstacle.kind) << obstacle.what << ": " << error->what();
    EXPECT_EQ(error->path(), app().parent_path().string() + "\\" + obstacle.named) << obstacle.what;
    if (*obstacle.sentence) {
        EXPECT_NE(error->detail().find(obstacle.sentence), std::string::npos) << obstacle.what << ": " << error->what();
    }
    EXPECT_EQ(everything(), before) << obstacle.what;
    ::SetFileAttributesW(survey_csv().c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(
    Obstacles, WindowsFiles,
    ::testing::Values(
        Obstacle{"survey open in a spreadsheet", nothing_put, "app/survey.csv", FILE_SHARE_READ,
                 ErrorKind::PathFileAccessError, "app\\survey.csv",
                 "Another program has this file open, perhaps a spreadsheet: close it there first."},
        Obstacle{"read-only survey",
                 [](const fs::path& app) { ::SetFileAttributesW((app / "survey.csv").c_str(), FILE_ATTRIBUTE_READONLY); },
                 "", 0, ErrorKind::PermissionDenied, "app\\survey.csv", "survey.csv is read-only"},
        Obstacle{"the photo already there in other letters",
                 [](const fs::path& app) { write_file(app / "photosound" / "P1.JPG", "an older photo"); }, "", 0,
                 ErrorKind::FileAlreadyExists, "app\\photosound\\p1.jpg", "imported before"},
        Obstacle{"the photo open in a viewer", nothing_put, "phone/p1.jpg", 0, ErrorKind::PathFileAccessError,
                 "phone\\p1.jpg", "Another program has this photo open, perhaps a photo viewer: close it there first."},
        Obstacle{"the GPX file open in an editor", nothing_put, "phone/track.gpx", 0, ErrorKind::PathFileAccessError,
                 "phone\\track.gpx",
                 "Another program has this GPX file open, perhaps a text editor: close it there first."}),
    [](const ::testing::TestParamInfo<Obstacle>& info) { return "row" + std::to_string(info.index); });

// Held open at close, the GPX file is named where it stays.
class ArchiveAtClose : public testing_support::ImportFixture {};

TEST_F(ArchiveAtClose, AGpxFileHeldOpenIsNamedWhereItStays)
{
    put_photos({"p1.jpg"});
    const fs::path gpx = put_gpx(one_photo_sighting);
    ASSERT_FALSE(import(gpx));
    const HeldFile held = hold(gpx, 0);
    try {
        survey::archive_gpx(gpx.string(), "track.gpx", app().string());
        ADD_FAILURE() << "archived while held";
    } catch (const survey::RuntimeError& error) {
        EXPECT_EQ(error.path(), gpx.string());
        EXPECT_EQ(error.detail(), "Another program has this GPX file open, perhaps a text editor: close it there first.");
    }
    EXPECT_TRUE(fs::exists(gpx));
}

// A virus scanner that opens survey.csv just as the import commits, without
// FILE_SHARE_DELETE, and lets go a moment later: Windows refuses a rename
// over a file held so with ERROR_ACCESS_DENIED, as it does a name whose
// delete is pending, and the import waits a little for it to pass.
class ScannerAtTheCommit : public testing_support::FailingEffects {
public:
    int rename_over(const std::string& from, const std::string& to) override
    {
        if (to.ends_with("survey.csv") && !scanner_.joinable()) {
            const HANDLE held = ::CreateFileW(survey::win32::wide(to).c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            scanner_ = std::jthread([held] {
                ::Sleep(150);
                ::CloseHandle(held);
            });
        }
        return FailingEffects::rename_over(from, to);
    }
    std::jthread scanner_;
};

TEST_F(ImportFiles, AFileHeldForAMomentAtTheCommitIsWaitedFor)
{
    put_photos({"p1.jpg"});
    write_file(survey_csv(), "earlier survey\r\n");
    ScannerAtTheCommit scanner;
    const auto error = import(put_gpx(one_photo_sighting), scanner);
    ASSERT_FALSE(error) << error->what() << " " << error->detail();
    EXPECT_EQ(read_file(survey_csv()), "14/02/2014,51.5,-0.25,Alpha,7,unset,unset,0,p1.jpg\r\n");
}

// The window passes the path as the dialog gave it, with "\" separators;
// and a folder deep enough passes the 260 characters older calls stop at.
TEST(WindowsPaths, BackslashAndLongPathsImport)
{
    for (const std::size_t depth : {0, 12}) {
        testing_support::TempFolder root;
        fs::path deep = root.path();
        for (std::size_t level = 0; level < depth; ++level)
            deep /= "a folder named at some length";
        const fs::path app = deep / "app";
        const fs::path phone = deep / "phone";
        ASSERT_TRUE(fs::create_directories(app / "photosound"));
        fs::create_directories(phone);
        write_file(phone / "p1.jpg", "JPEG of p1.jpg");
        write_file(phone / "track.gpx", one_photo_sighting);
        std::string gpx = (phone / "track.gpx").string();
        std::replace(gpx.begin(), gpx.end(), '/', '\\');
        ASSERT_EQ(depth > 0, gpx.size() > 260);
        std::int16_t count = 0;
        survey::import_waypoints(gpx, survey::parent_folder(gpx) + "\\", app.string(), count);
        EXPECT_EQ(count, 1) << depth;
        EXPECT_EQ(read_file(app / "photosound" / "p1.jpg"), "JPEG of p1.jpg") << depth;
        EXPECT_EQ(read_file(app / "survey.csv"), "14/02/2014,51.5,-0.25,Alpha,7,unset,unset,0,p1.jpg\r\n") << depth;
    }
}

TEST(WindowsPaths, FolderOfAPath)
{
    const std::pair<const char*, const char*> rows[] = {
        {"E:\\track.gpx", "E:\\"},         {"E:/track.gpx", "E:/"},   {"E:track.gpx", "E:"},
        {"C:\\phone\\t.gpx", "C:\\phone"}, {"C:\\app/photosound/p.jpg", "C:\\app/photosound"},
        {"\\\\server\\share\\t.gpx", "\\\\server\\share"}, {"t.gpx", "."},
    };
    for (const auto& [path, folder] : rows)
        EXPECT_EQ(survey::parent_folder(path), folder) << path;
}

TEST(WindowsNames, NamesWindowsCannotHoldAreUnsafe)
{
    for (const char* name : {"a:b.jpg", "a<b.jpg", "a|b.jpg", "a?.jpg", "a*.jpg", "a\"b.jpg", "p1.jpg.", "p1.jpg ",
                             "CON", "con.jpg", "NUL.txt", "COM1.jpg", "lpt9", "a\x01.jpg"})
        EXPECT_FALSE(survey::is_safe_file_name(name)) << name;
    for (const char* name : {"p1.jpg", "CONSOLE.jpg", "COM10.jpg", "Foto vom Reh.jpg", "\xc3\xa9t\xc3\xa9.jpg"})
        EXPECT_TRUE(survey::is_safe_file_name(name)) << name;
}

}  // namespace
