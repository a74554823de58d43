// Files the user protected or linked, photos on another file system, and an
// undo that cannot put everything back.
#include "import/waypoint_import.h"
#include "tests/support/failing_effects.h"
#include "tests/support/gpx_builder.h"
#include "tests/support/import_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <grp.h>
#include <iostream>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using survey::ErrorKind;
using testing_support::read_file;
using testing_support::write_file;

namespace {

class ProtectedFiles : public testing_support::ImportFixture {
protected:
    // What `work` says, run in a child process once `prepare` has set the
    // child up; "unprepared" when it could not.
    static std::string in_child(const std::function<bool()>& prepare, const std::function<std::string()>& work)
    {
        int channel[2];
        if (::pipe(channel) != 0)
            throw std::runtime_error("pipe");
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(channel[0]);
            const std::string report = prepare() ? work() : "unprepared";
            const bool sent = ::write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
            ::_exit(sent ? 0 : 1);
        }
        ::close(channel[1]);
        std::string report(4096, '\0');
        const ssize_t got = ::read(channel[0], report.data(), report.size());
        ::close(channel[0]);
        ::waitpid(child, nullptr, 0);
        report.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return report;
    }

    // An error as a child reports it: its kind and path, or "ok".
    static std::string said(const std::optional<survey::RuntimeError>& error)
    {
        return error ? std::to_string(static_cast<int>(error->kind())) + " " + error->path() : "ok";
    }
};

const std::string one_photo_sighting =
    gpx::header() + gpx::waypoint("Alpha") + gpx::picture("p1.jpg") + gpx::waypoint("record sighting") + gpx::track();
const std::string expected_survey = "14/02/2014,51.5,-0.25,Alpha,7,unset,unset,0,p1.jpg\r\n";

// A disk that cannot read a link: it is never taken for a plain file.
class LinkUnreadable : public testing_support::FailingEffects {
public:
    int read_link(const std::string&, std::string&) override { return EIO; }
};

// Whether the file it points to is there yet or not, and by a relative path
// too; a link the disk cannot read refuses the import, and stays.
TEST_F(ProtectedFiles, LinkedSurveyReplacesWhatItPointsTo)
{
    const fs::path elsewhere = app().parent_path() / "shared";
    fs::create_directories(elsewhere);
    for (const bool there : {true, false}) {
        fs::remove(elsewhere / "survey.csv");
        if (there)
            write_file(elsewhere / "survey.csv", "old\r\n");
        fs::remove(survey_csv());
        fs::create_symlink(there ? elsewhere / "survey.csv" : fs::path("../shared/survey.csv"), survey_csv());
        put_photos({"p1.jpg"});
        fs::remove(app() / "photosound" / "p1.jpg");
        ASSERT_FALSE(import(put_gpx(one_photo_sighting))) << there;
        EXPECT_TRUE(fs::is_symlink(survey_csv())) << there;
        EXPECT_EQ(read_file(elsewhere / "survey.csv"), expected_survey) << there;
        EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 1) << "no temporary file";
    }
    const auto before = everything();
    LinkUnreadable unreadable;
    const auto error = import(put_gpx(one_photo_sighting), unreadable);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), ErrorKind::DeviceIoError);
    EXPECT_NE(error->detail().find("changed nothing"), std::string::npos) << error->detail();
    EXPECT_EQ(everything(), before);
}

// A file already where a move would take it is never removed, even when it
// is the file to move: a GPX file kept beside its photos in the photo
// folder, or one imported from the archive folder and archived at close.
TEST_F(ProtectedFiles, AFileAlreadyInPlaceStays)
{
    const auto refused = [](const std::function<void()>& change) -> std::optional<ErrorKind> {
        try {
            change();
        } catch (const survey::RuntimeError& error) {
            return error.kind();
        }
        return std::nullopt;
    };
    const fs::path photos = app() / "photosound";
    write_file(photos / "p1.jpg", "JPEG of p1.jpg");
    write_file(photos / "track.gpx", one_photo_sighting);
    const auto before = everything();
    std::int16_t count = 0;
    EXPECT_EQ(refused([&] {
                  survey::import_waypoints((photos / "track.gpx").string(), photos.string() + "/", app().string(),
                                           count);
              }),
              ErrorKind::FileAlreadyExists);
    EXPECT_EQ(everything(), before);

    const fs::path archived = app() / "saveGPX" / "old.gpx";
    write_file(archived, gpx::header() + gpx::waypoint("Beta") + gpx::waypoint("record sighting") + gpx::track());
    survey::import_waypoints(archived.string(), archived.parent_path().string() + "/", app().string(), count);
    ASSERT_EQ(count, 1);
    const auto imported = everything();
    EXPECT_EQ(refused([&] { survey::archive_gpx(archived.string(), "old.gpx", app().string()); }),
              ErrorKind::FileAlreadyExists);
    EXPECT_EQ(everything(), imported);
}

// Permission bits bind every user but root, so these run as `nobody` in a
// child when the tests run as root.
struct ProtectedCase {
    const char* what;
    fs::perms survey_perms;
    fs::perms phone_perms;
    ErrorKind kind;
    std::string path;  // below the fixture's root
    std::string sentence;  // what the sentence says to do, "" where it has none
};

// The kind, path and sentence of an error, as a child reports it.
struct Reported {
    ErrorKind kind;
    std::string path;
    std::string detail;
};

class Protected : public ProtectedFiles, public ::testing::WithParamInterface<ProtectedCase> {
protected:
    // The error as the import reports it to a user without root's rights;
    // nothing when it succeeds.
    std::optional<Reported> import_unprivileged(const fs::path& gpx)
    {
        const auto drop_root = [] {
            return ::geteuid() != 0 ||
                   (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
        };
        const std::string report = in_child(drop_root, [&] {
            const auto error = import(gpx);
            return error ? said(error) + "\n" + error->detail() : said(error);
        });
        if (report == "ok")
            return std::nullopt;
        const std::size_t space = report.find(' ');
        const std::size_t line_end = report.find('\n');
        if (space == std::string::npos || line_end == std::string::npos)
            throw std::runtime_error("the child said: " + report);
        return Reported{static_cast<ErrorKind>(std::stoi(report.substr(0, space))),
                        report.substr(space + 1, line_end - space - 1), report.substr(line_end + 1)};
    }
};

TEST_P(Protected, RefusedNamingWhatRefusedAndNothingChanges)
{
    const ProtectedCase& protection = GetParam();
    put_photos({"p1.jpg"});
    write_file(survey_csv(), "earlier survey\r\n");
    const fs::path gpx = put_gpx(one_photo_sighting);
    for (const fs::path& folder : {app().parent_path(), app(), app() / "photosound", phone()})
        fs::permissions(folder, fs::perms::all);
    fs::permissions(survey_csv(), protection.survey_perms);
    fs::permissions(phone(), protection.phone_perms);
    const auto before = everything();

    const auto error = import_unprivileged(gpx);
    ASSERT_TRUE(error) << protection.what;
    EXPECT_EQ(error->kind, protection.kind) << protection.what;
    EXPECT_EQ(error->path, (app().parent_path() / protection.path).string()) << protection.what;
    EXPECT_NE(error->detail.find(protection.sentence), std::string::npos) << protection.what << ": " << error->detail;
    EXPECT_EQ(everything(), before) << protection.what;
}

constexpr fs::perms read_only = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms read_and_enter = read_only | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

INSTANTIATE_TEST_SUITE_P(
    Permissions, Protected,
    ::testing::Values(ProtectedCase{"read-only survey", read_only, fs::perms::all, ErrorKind::PermissionDenied,
                                    "app/survey.csv",
                                    "survey.csv is read-only, or your account may not change it: clear \"Read-only\" "
                                    "in the file's properties, or ask whoever looks after this computer for "
                                    "permission to write it; then import again."},
                      ProtectedCase{"write-protected GPX folder", fs::perms::all, read_and_enter,
                                    ErrorKind::PermissionDenied, "phone", ""}));

// A phone folder on another file system: each photo is copied, synced, and
// its source removed only once the whole import has taken effect. Where no
// /proc is mounted, as in some containers, a copy cannot take its name from
// none, and is made under a working name.
TEST_F(ProtectedFiles, PhotosOnAnotherFileSystemAreCopiedThenRemoved)
{
    std::string pattern = "/dev/shm/survey-test-XXXXXX";
    struct stat shm, here;
    if (::stat("/dev/shm", &shm) != 0 || ::stat(app().c_str(), &here) != 0 || shm.st_dev == here.st_dev ||
        !::mkdtemp(pattern.data()))
        GTEST_SKIP() << "no second file system at /dev/shm";
    const fs::path card = pattern;
    const auto hide_proc = [] {
        return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount("none", "/proc", "tmpfs", 0, nullptr) == 0;
    };
    for (const bool proc : {true, false}) {
        write_file(card / "p1.jpg", "JPEG of p1.jpg");
        write_file(card / "track.gpx", one_photo_sighting);
        const std::string report = in_child(proc ? std::function<bool()>([] { return true; }) : hide_proc, [&] {
            try {
                std::int16_t count = 0;
                survey::import_waypoints((card / "track.gpx").string(), card.string() + "/", app().string(), count);
                survey::archive_gpx((card / "track.gpx").string(), "track.gpx", app().string());
                return count == 1 ? said(std::nullopt) : "count " + std::to_string(count);
            } catch (const survey::RuntimeError& error) {
                return said(error) + " " + error.detail();
            }
        });
        if (report == "unprepared") {
            std::cout << "note: cannot hide /proc here: it needs root and a mount namespace\n";
            continue;
        }
        ASSERT_EQ(report, "ok") << proc;
        EXPECT_EQ(read_file(survey_csv()), expected_survey) << proc;
        EXPECT_EQ(read_file(app() / "photosound" / "p1.jpg"), "JPEG of p1.jpg") << proc;
        EXPECT_EQ(read_file(app() / "saveGPX" / "track.gpx"), one_photo_sighting) << proc;
        EXPECT_TRUE(fs::is_empty(card)) << proc;
        fs::remove(app() / "photosound" / "p1.jpg");
        fs::remove(app() / "saveGPX" / "track.gpx");
    }
    fs::remove_all(card);
}

// A second ext4 volume made from an image, as a card; not mounted where
// this machine cannot (it needs root and loop devices).
class LoopCard {
public:
    explicit LoopCard(const fs::path& where) : image_(where / "card.img"), path_(where / "card")
    {
        fs::create_directories(path_);
        const std::string image = "'" + image_.string() + "'";
        const std::string command = "truncate -s 8M " + image + " && mkfs.ext4 -q -F " + image +
                                    " >/dev/null 2>&1 && mount -o loop " + image + " '" + path_.string() +
                                    "' >/dev/null 2>&1";
        mounted_ = ::geteuid() == 0 && std::system(command.c_str()) == 0;
    }
    ~LoopCard()
    {
        if (mounted_)
            std::system(("umount '" + path_.string() + "'").c_str());
    }
    LoopCard(const LoopCard&) = delete;
    LoopCard& operator=(const LoopCard&) = delete;

    bool mounted() const { return mounted_; }
    const fs::path& path() const { return path_; }

private:
    fs::path image_;
    fs::path path_;
    bool mounted_ = false;
};

// A card that will not let its files go, so that an import's journal stays
// after its commit.
class CardKeepsItsFiles : public testing_support::FailingEffects {
public:
    explicit CardKeepsItsFiles(std::string card) : card_(std::move(card)) {}
    int remove(const std::string& path) override
    {
        return path.starts_with(card_) ? EROFS : FailingEffects::remove(path);
    }

private:
    std::string card_;
};

// Between a crash after the commit and the next start, the user replaces a
// copied photo on the card by another; ext4 gives the new file the freed
// inode number. Only the bytes tell it is not the file copied, and it stays.
TEST_F(ProtectedFiles, ANewPhotoUnderACopiedOnesInodeOnACardStays)
{
    const LoopCard card(app().parent_path());
    if (!card.mounted())
        GTEST_SKIP() << "cannot mount an ext4 image as a card here: it needs root and loop devices";
    const fs::path photo = card.path() / "p1.jpg";
    write_file(photo, "JPEG of p1.jpg");
    write_file(card.path() / "track.gpx", one_photo_sighting);
    CardKeepsItsFiles keeps(card.path().string());
    std::int16_t count = 0;
    survey::import_waypoints(keeps, (card.path() / "track.gpx").string(), card.path().string() + "/",
                             app().string(), count);
    ASSERT_TRUE(fs::exists(app() / "import-in-progress.journal"));

    const auto inode = [&photo] {
        struct stat status {};
        return ::stat(photo.c_str(), &status) == 0 ? status.st_ino : 0;
    };
    const ino_t copied = inode();
    fs::remove(photo);
    write_file(photo, "another photo");
    if (inode() != copied)
        std::cout << "note: the card gave the new photo another inode number this time\n";
    EXPECT_EQ(survey::recover_interrupted_import(app().string()).outcome, survey::RecoveryOutcome::Completed);
    EXPECT_EQ(read_file(photo), "another photo");
    EXPECT_EQ(read_file(app() / "photosound" / "p1.jpg"), "JPEG of p1.jpg");
}

// A photo another program holds open, as Windows refuses its move: the
// error names the photo where it is, not where it was going.
class PhotoHeldOpen : public testing_support::FailingEffects {
public:
    int rename_without_replacing(const std::string& from, const std::string& to) override
    {
        return from.ends_with("p1.jpg") ? EBUSY : FailingEffects::rename_without_replacing(from, to);
    }
};

TEST_F(ProtectedFiles, APhotoHeldOpenIsNamedWhereItIs)
{
    put_photos({"p1.jpg"});
    PhotoHeldOpen holding;
    const auto error = import(put_gpx(one_photo_sighting), holding);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path(), (phone() / "p1.jpg").string());
    EXPECT_EQ(error->detail(), "Another program has this photo open, perhaps a photo viewer: close it there first.");
}

// Every rename fails, the undo's too; or, on FAT through FUSE, the rename
// over a reserved name fails, and so does the reservation's removal: the
// message names the file left behind, and the next start puts it back once
// it can.
class UndoRefused : public testing_support::FailingEffects {
public:
    explicit UndoRefused(bool fuse_fat) : fuse_fat_(fuse_fat)
    {
        if (fuse_fat) {
            no_refusing_renames();
            no_hard_links();
        }
    }
    int rename_without_replacing(const std::string& from, const std::string& to) override
    {
        return in_photos(from) ? EACCES : FailingEffects::rename_without_replacing(from, to);
    }
    int rename_over(const std::string& from, const std::string& to) override
    {
        return in_photos(to) && fuse_fat_ ? EIO
               : to.ends_with("survey.csv") ? EROFS
                                             : FailingEffects::rename_over(from, to);
    }
    int remove(const std::string& path) override
    {
        return in_photos(path) && fuse_fat_ ? EIO : FailingEffects::remove(path);
    }
    static bool in_photos(const std::string& path) { return path.find("/photosound/") != std::string::npos; }
    bool fuse_fat_;
};

TEST_F(ProtectedFiles, AnUndoThatFailsNamesTheFileLeftBehind)
{
    put_photos({"p1.jpg"});
    write_file(survey_csv(), "earlier survey\r\n");
    const fs::path gpx = put_gpx(one_photo_sighting);
    const auto before = everything();
    for (const bool fuse_fat : {false, true}) {
        UndoRefused refusing(fuse_fat);
        const auto error = import(gpx, refusing);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), fuse_fat ? ErrorKind::DeviceIoError : ErrorKind::PermissionDenied);
        const std::string left = (app() / "photosound" / "p1.jpg").string() +
                                 (fuse_fat ? ", an empty file that held the name for " : " could not be put back as ") +
                                 (phone() / "p1.jpg").string();
        EXPECT_NE(error->detail().find(left), std::string::npos) << error->detail();

        const survey::Recovery recovery = survey::recover_interrupted_import(app().string());
        EXPECT_EQ(recovery.outcome, survey::RecoveryOutcome::Undone) << fuse_fat;
        EXPECT_EQ(everything(), before) << fuse_fat;
    }
}

}  // namespace
