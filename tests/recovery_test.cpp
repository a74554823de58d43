// What a change leaves when it cannot clean up after its commit, or meets
// something other than a file-system error, and what the next start makes of it.
#include "import/files/checksum.h"
#include "import/files/intent_journal.h"
#include "import/waypoint_import.h"
#include "tests/support/failing_effects.h"
#include "tests/support/gpx_builder.h"
#include "tests/support/import_fixture.h"
#include "tests/support/test_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <functional>
#include <new>
#include <tuple>
#include <utility>

namespace fs = std::filesystem;
using survey::RecoveryOutcome;
using testing_support::read_file;
using testing_support::write_file;

namespace {

std::string one_photo_named(const std::string& photo)
{
    return gpx::header() + gpx::waypoint("Alpha") + gpx::picture(photo) + gpx::waypoint("record sighting") +
           gpx::track();
}
const std::string one_photo = one_photo_named("p1.jpg");
const std::string no_photo = gpx::header() + gpx::waypoint("Beta") + gpx::waypoint("record sighting") + gpx::track();

class Recovery : public testing_support::ImportFixture {
protected:
    fs::path journal() const { return app() / "import-in-progress.journal"; }

    // What a crash leaves after the import of `gpx` moved p1.jpg, before it committed.
    void cut_after_the_move(const fs::path& gpx)
    {
        const fs::path staged = app() / "survey.csv.gpx-survey-import.tmp";
        write_file(staged, "new survey");
        fs::rename(phone() / "p1.jpg", app() / "photosound" / "p1.jpg");
        write_file(journal(),
                   survey::encode_journal({gpx.string(), survey_csv().string(), staged.string(),
                                           survey::checksum_of("new survey"), false,
                                           {{gpx_folder() + "p1.jpg", (app() / "photosound" / "p1.jpg").string()}}, {}}));
    }
};

// Photos copied from a card that then refuses to let them go.
class CardKeepsItsFiles : public testing_support::FailingEffects {
public:
    CardKeepsItsFiles() { cross_devices(); }
    int remove(const std::string& path) override
    {
        return fs::path(path).parent_path().filename() == "phone" ? EROFS : FailingEffects::remove(path);
    }
};

TEST_F(Recovery, ASourceThatStaysIsNamedAndNothingElseChangesUntilItGoes)
{
    put_photos({"p1.jpg"});
    CardKeepsItsFiles card;
    ASSERT_FALSE(import(put_gpx(one_photo), card)) << "the import itself committed";
    const fs::path later = put_gpx(no_photo, "later.gpx");
    const auto committed = everything();

    // Every start and every import names the file until it is gone.
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            survey::recover_interrupted_import(card, app().string());
            ADD_FAILURE() << "the start kept quiet";
        } catch (const survey::RuntimeError& error) {
            EXPECT_NE(error.detail().find(gpx_folder() + "p1.jpg"), std::string::npos) << error.detail();
        }
    }
    EXPECT_TRUE(import(later, card));
    EXPECT_EQ(everything(), committed);

    // Once the card lets go, the start finishes the import.
    EXPECT_EQ(survey::recover_interrupted_import(app().string()).outcome, RecoveryOutcome::Completed);
    EXPECT_FALSE(fs::exists(phone() / "p1.jpg"));
    EXPECT_TRUE(fs::exists(app() / "photosound" / "p1.jpg"));
    EXPECT_FALSE(fs::exists(journal()));
}

// After a power cut a card's file system may give the same photo a new
// inode number, as FAT does: its bytes still tell it is the file copied.
TEST_F(Recovery, ACopiedSourceUnderANewIdentityStillGoes)
{
    put_photos({"p1.jpg"});
    CardKeepsItsFiles card;
    ASSERT_FALSE(import(put_gpx(one_photo), card));
    const auto put_anew = [this](const std::string& photo, const std::string& bytes) {
        write_file(phone() / "new", bytes);
        fs::rename(phone() / "new", phone() / photo);
    };
    put_anew("p1.jpg", read_file(phone() / "p1.jpg"));
    EXPECT_EQ(survey::recover_interrupted_import(app().string()).outcome, RecoveryOutcome::Completed);
    EXPECT_FALSE(fs::exists(phone() / "p1.jpg"));
    EXPECT_FALSE(fs::exists(journal()));

    // A different file that took the name is the user's, and stays.
    put_photos({"p2.jpg"});
    ASSERT_FALSE(import(put_gpx(one_photo_named("p2.jpg")), card));
    put_anew("p2.jpg", "another photo");
    EXPECT_EQ(survey::recover_interrupted_import(app().string()).outcome, RecoveryOutcome::Completed);
    EXPECT_EQ(read_file(phone() / "p2.jpg"), "another photo");
}

// A committed import whose card would not let its photo go: its journal
// stays, and what the next start finds decides. Where it cannot be sure,
// it refuses, changes nothing and keeps the journal.
struct Interference {
    const char* what;
    std::function<void(const fs::path& root)> make;
    // A look at the path below the root that ends so fails with EIO.
    std::string failing_look;
    survey::ErrorKind kind;
    std::string path;  // below the root
    // Whether a start can finish once the interference is taken away.
    bool mendable;
    // Whether the card is where it was mounted, or its mount point stands empty.
    bool card_mounted = true;
};

// Looks at one path fail, as a card with a bad sector makes them.
class FailingLook : public testing_support::FailingEffects {
public:
    explicit FailingLook(std::string path) : path_(std::move(path)) {}
    int look_up(const std::string& path, survey::FileStatus& status) override
    {
        return !path_.empty() && path == path_ ? EIO : FailingEffects::look_up(path, status);
    }

private:
    std::string path_;
};

void edit_journal(const fs::path& root, const std::function<void(std::string&)>& edit)
{
    const fs::path journal = root / "app" / "import-in-progress.journal";
    std::string bytes = read_file(journal);
    edit(bytes);
    write_file(journal, bytes);
}

class NeverGuesses : public Recovery, public ::testing::WithParamInterface<Interference> {};

TEST_P(NeverGuesses, RefusesKeepingEveryFileAndTheJournal)
{
    const Interference& interference = GetParam();
    put_photos({"p1.jpg"});
    CardKeepsItsFiles card;
    card.on_a_card(phone().string());
    ASSERT_FALSE(import(put_gpx(one_photo), card));
    const fs::path root = app().parent_path();
    interference.make(root);
    const auto interfered = everything();

    FailingLook looks(interference.failing_look.empty() ? "" : (root / interference.failing_look).make_preferred().string());
    if (interference.card_mounted)
        looks.on_a_card(phone().string());
    try {
        survey::recover_interrupted_import(looks, app().string());
        ADD_FAILURE() << interference.what << ": the start decided";
    } catch (const survey::RuntimeError& error) {
        EXPECT_EQ(error.kind(), interference.kind) << interference.what << ": " << error.what();
        EXPECT_EQ(error.path(), (root / interference.path).make_preferred().string()) << interference.what;
        // Every refusal says what to do; one for a failed look, that nothing changed.
        EXPECT_FALSE(error.detail().empty()) << interference.what;
        if (!interference.failing_look.empty()) {
            EXPECT_NE(error.detail().find("changed nothing"), std::string::npos) << error.detail();
        }
    }
    EXPECT_EQ(everything(), interfered) << interference.what;
    if (!interference.mendable)
        return;
    if (fs::exists(root / "card out")) {
        fs::remove(phone());
        fs::rename(root / "card out", phone());
    }
    testing_support::FailingEffects mounted;
    mounted.on_a_card(phone().string());
    EXPECT_EQ(survey::recover_interrupted_import(mounted, app().string()).outcome, RecoveryOutcome::Completed);
    EXPECT_FALSE(fs::exists(phone() / "p1.jpg")) << interference.what;
    EXPECT_FALSE(fs::exists(journal())) << interference.what;
}

const std::string journal_below_root = "app/import-in-progress.journal";
const auto no_change = [](const fs::path&) {};

INSTANTIATE_TEST_SUITE_P(
    Interferences, NeverGuesses,
    ::testing::Values(
        Interference{"empty journal", [](const fs::path& root) { edit_journal(root, [](std::string& b) { b.clear(); }); },
                     "", survey::ErrorKind::PathFileAccessError, journal_below_root, false},
        Interference{"journal of a newer version",
                     [](const fs::path& root) { edit_journal(root, [](std::string& b) { b[b.find('\0') + 1] = '9'; }); },
                     "", survey::ErrorKind::PathFileAccessError, journal_below_root, false},
        Interference{"journal with a damaged end",
                     [](const fs::path& root) { edit_journal(root, [](std::string& b) { b.back() ^= 1; }); }, "",
                     survey::ErrorKind::PathFileAccessError, journal_below_root, false},
        Interference{"journal with one byte of a path changed",
                     [](const fs::path& root) {
                         edit_journal(root, [](std::string& b) { b[b.rfind("p1.jpg")] = 'q'; });
                     },
                     "", survey::ErrorKind::PathFileAccessError, journal_below_root, false},
        Interference{"failed look-up of the staged survey", no_change, "app/survey.csv.gpx-survey-import.tmp",
                     survey::ErrorKind::DeviceIoError, "app/survey.csv.gpx-survey-import.tmp", true},
        Interference{"failed look-up on the card", no_change, "phone/p1.jpg", survey::ErrorKind::DeviceIoError,
                     "phone/p1.jpg", true},
        Interference{"card taken out", [](const fs::path& root) { fs::rename(root / "phone", root / "card out"); },
                     "", survey::ErrorKind::PathNotFound, "phone", true},
        Interference{"card taken out of its mount point, left empty",
                     [](const fs::path& root) {
                         fs::rename(root / "phone", root / "card out");
                         fs::create_directory(root / "phone");
                     },
                     "", survey::ErrorKind::PathNotFound, "phone", true, false}),
    [](const ::testing::TestParamInfo<Interference>& info) {
        std::string name = info.param.what;
        std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

// A card that reuses a removed file's number for a new one: ext4 its inode
// number; Windows on FAT the number of the folder entry the new file takes
// over, with the old size and time too. Only the bytes tell it is not the
// file copied.
class ReusedIdentity : public testing_support::FailingEffects {
public:
    ReusedIdentity(const std::string& path, const survey::FileStatus& copied)
        : path_(fs::path(path).lexically_normal()), copied_(copied)
    {
    }
    // Numbers last only while a file keeps its folder entry, as on FAT under Windows.
    void numbered_by_entry() { lasts_ = false; }
    void written_since() { ++copied_.modified; }
    // The first look at the path finds a new photo in its place.
    void replaced_by(std::string bytes) { replacement_ = std::move(bytes); }

    int look_up(const std::string& path, survey::FileStatus& status) override
    {
        const bool at_path = fs::path(path).lexically_normal() == path_;
        if (at_path && !replacement_.empty()) {
            fs::remove(path_);
            write_file(path_, std::exchange(replacement_, {}));
        }
        const int error = FailingEffects::look_up(path, status);
        if (at_path)
            std::tie(status.identity, status.size, status.modified) =
                std::tie(copied_.identity, copied_.size, copied_.modified);
        status.identity_lasts = lasts_;
        return error;
    }
    int status_of(int fd, survey::FileStatus& status) override
    {
        const int error = FailingEffects::status_of(fd, status);
        status.identity_lasts = lasts_;
        return error;
    }

private:
    fs::path path_;
    survey::FileStatus copied_;
    bool lasts_ = true;
    std::string replacement_;
};

TEST_F(Recovery, ANewPhotoUnderACopiedOnesNameAndInodeStays)
{
    put_photos({"p1.jpg"});
    const std::string source = (phone() / "p1.jpg").string();
    survey::FileStatus copied;
    ASSERT_EQ(survey::system_file_effects().look_up(source, copied), 0);
    CardKeepsItsFiles card;
    ASSERT_FALSE(import(put_gpx(one_photo), card));
    fs::remove(source);
    write_file(source, "another photo");
    ReusedIdentity reused(source, copied);
    EXPECT_EQ(survey::recover_interrupted_import(reused, app().string()).outcome, RecoveryOutcome::Completed);
    EXPECT_EQ(read_file(source), "another photo");
    EXPECT_FALSE(fs::exists(journal()));
}

// The same while the import runs, once the photo is copied: under the
// copied photo's number, size and time on FAT under Windows, or its number
// and size where numbers last.
TEST_F(Recovery, ANewPhotoUnderACopiedOnesNumberStaysDuringTheImport)
{
    const std::string source = (phone() / "p1.jpg").string();
    for (const bool fat : {true, false}) {
        put_photos({"p1.jpg"});
        survey::FileStatus copied;
        ASSERT_EQ(survey::system_file_effects().look_up(source, copied), 0);
        ReusedIdentity reused(source, copied);
        reused.cross_devices();
        reused.replaced_by("another photo");
        if (fat)
            reused.numbered_by_entry();
        else
            reused.written_since();
        ASSERT_FALSE(import(put_gpx(one_photo), reused)) << fat;
        EXPECT_EQ(read_file(source), "another photo") << fat;
        EXPECT_EQ(read_file(app() / "photosound" / "p1.jpg"), "JPEG of p1.jpg") << fat;
        fs::remove(app() / "photosound" / "p1.jpg");
    }
}

// A card whose photo cannot be read while it is copied: the photo is named,
// not the copy, and nothing changes.
class UnreadableCard : public testing_support::FailingEffects {
public:
    explicit UnreadableCard(std::string photo) : photo_(std::move(photo)) { cross_devices(); }
    int open_to_read(const std::string& path, int& fd, survey::Links links) override
    {
        const int error = FailingEffects::open_to_read(path, fd, links);
        if (path == photo_)
            unreadable_ = fd;
        return error;
    }
    int read_some(int fd, char* out, std::size_t size, std::size_t& got) override
    {
        return fd == unreadable_ ? EIO : FailingEffects::read_some(fd, out, size, got);
    }

private:
    std::string photo_;
    int unreadable_ = -1;
};

TEST_F(Recovery, APhotoTheCardCannotReadIsNamed)
{
    put_photos({"p1.jpg"});
    write_file(survey_csv(), "earlier\r\n");
    const fs::path gpx = put_gpx(one_photo);
    const auto before = everything();
    UnreadableCard card(gpx_folder() + "p1.jpg");
    const auto error = import(gpx, card);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), survey::ErrorKind::DeviceIoError);
    EXPECT_EQ(error->path(), gpx_folder() + "p1.jpg");
    EXPECT_EQ(everything(), before);
}

// During the import, a failed look at a copied source keeps the journal, so
// that a later start removes the source rather than forget it.
TEST_F(Recovery, AFailedLookAtACopiedSourceLeavesItToTheNextStart)
{
    put_photos({"p1.jpg"});
    FailingLook looks(gpx_folder() + "p1.jpg");
    looks.cross_devices();
    ASSERT_FALSE(import(put_gpx(one_photo), looks));
    ASSERT_TRUE(fs::exists(journal()));
    EXPECT_EQ(survey::recover_interrupted_import(app().string()).outcome, RecoveryOutcome::Completed);
    EXPECT_FALSE(fs::exists(phone() / "p1.jpg"));
    EXPECT_TRUE(fs::exists(app() / "photosound" / "p1.jpg"));
}

// The journal of a committed import could not be removed: the next import
// finishes it first, and never takes it for its own.
class JournalStaysOnce : public testing_support::FailingEffects {
public:
    int remove(const std::string& path) override
    {
        if (path.ends_with(".journal") && !refused_) {
            refused_ = true;
            return EIO;
        }
        return FailingEffects::remove(path);
    }

private:
    bool refused_ = false;
};

TEST_F(Recovery, AJournalLeftAfterItsCommitIsFinishedBeforeTheNextImport)
{
    put_photos({"p1.jpg"});
    JournalStaysOnce effects;
    ASSERT_FALSE(import(put_gpx(one_photo), effects));
    ASSERT_TRUE(fs::exists(journal()));
    ASSERT_FALSE(import(put_gpx(no_photo, "later.gpx")));
    EXPECT_FALSE(fs::exists(journal()));
    EXPECT_TRUE(fs::exists(app() / "photosound" / "p1.jpg"));
    EXPECT_EQ(read_file(survey_csv()), "14/02/2014,51.5,-0.25,Beta,7,unset,unset,0,none\r\n");
}

// An import undone whose journal could not be removed: the journal keeps its
// staged file, so the next start undoes it again rather than call it complete.
TEST_F(Recovery, AJournalLeftAfterAnUndoIsNeverTakenForACommit)
{
    put_photos({"p1.jpg"});
    write_file(survey_csv(), "earlier\r\n");
    const fs::path gpx = put_gpx(gpx::header() + gpx::picture("p1.jpg") + gpx::picture("missing.jpg") + gpx::track());
    const auto before = everything();
    JournalStaysOnce effects;
    const auto error = import(gpx, effects);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), survey::ErrorKind::FileNotFound);
    EXPECT_EQ(survey::recover_interrupted_import(app().string()).outcome, RecoveryOutcome::Undone);
    EXPECT_EQ(everything(), before);
}

// A journal that names a copy which never got its name: the source is all
// there is of the photo, so it stays.
TEST_F(Recovery, ASourceGoesOnlyOnceItsCopyStands)
{
    put_photos({"p1.jpg"});
    const std::string from = (phone() / "p1.jpg").string();
    write_file(survey_csv(), "new survey");
    const survey::IntentJournal committed{(phone() / "t.gpx").string(), survey_csv().string(),
                                          survey_csv().string() + ".gpx-survey-import.tmp",
                                          survey::checksum_of("new survey"), true,
                                          {{from, (app() / "photosound" / "p1.jpg").string()}}, {}};
    write_file(journal(), survey::encode_journal(committed));
    EXPECT_EQ(survey::recover_interrupted_import(app().string()).outcome, RecoveryOutcome::Completed);
    EXPECT_TRUE(fs::exists(from));
}

// Where the new survey stands: still staged; in the survey file's place
// (committed), and maybe saved anew since by a spreadsheet; nowhere (its
// staged file's name lost in a power cut); or staged while the old survey
// file is gone (a replace cut between its steps, as on FAT).
enum class NewSurvey { Staged, Replaced, SavedAnew, Lost, ReplaceCut };

// What the survey file holds before a start, and after it.
std::string survey_before(NewSurvey survey)
{
    switch (survey) {
    case NewSurvey::Replaced: return "new survey";
    case NewSurvey::SavedAnew: return "edited survey";
    case NewSurvey::ReplaceCut: return "-";
    default: return "old survey";
    }
}

std::string survey_after(NewSurvey survey)
{
    return survey == NewSurvey::ReplaceCut ? "new survey" : survey_before(survey);
}

// What a start does with one move of an interrupted import, from what
// stands at its source and target alone: "-" is no file, "" an empty one.
struct MoveLeft {
    const char* what;
    NewSurvey survey;
    const char* from_before;
    const char* to_before;
    const char* from_after;
    const char* to_after;
    // The start refuses, keeping the journal and every file.
    bool refused = false;
};

class EachMove : public Recovery, public ::testing::WithParamInterface<MoveLeft> {};

TEST_P(EachMove, IsFinishedOrUndoneFromNamesAndBytes)
{
    const MoveLeft& left = GetParam();
    const fs::path from = phone() / "p1.jpg";
    const fs::path to = app() / "photosound" / "p1.jpg";
    const fs::path staged = app() / "survey.csv.gpx-survey-import.tmp";
    const auto put = [](const fs::path& path, const std::string& bytes) {
        if (bytes != "-")
            write_file(path, bytes);
    };
    const auto now = [](const fs::path& path) { return fs::exists(path) ? read_file(path) : std::string("-"); };
    put(from, left.from_before);
    put(to, left.to_before);
    put(survey_csv(), survey_before(left.survey));
    if (left.survey == NewSurvey::Staged || left.survey == NewSurvey::ReplaceCut)
        write_file(staged, "new survey");
    write_file(journal(), survey::encode_journal({(phone() / "t.gpx").string(), survey_csv().string(), staged.string(),
                                                  survey::checksum_of("new survey"), true,
                                                  {{from.string(), to.string()}}, {}}));

    if (left.refused) {
        const auto before = everything();
        EXPECT_THROW(survey::recover_interrupted_import(app().string()), survey::RuntimeError) << left.what;
        EXPECT_EQ(everything(), before) << left.what;
        return;
    }
    const auto outcome = survey::recover_interrupted_import(app().string()).outcome;
    const bool committed = left.survey != NewSurvey::Staged && left.survey != NewSurvey::Lost;
    EXPECT_EQ(outcome, committed ? RecoveryOutcome::Completed : RecoveryOutcome::Undone) << left.what;
    EXPECT_EQ(now(survey_csv()), survey_after(left.survey)) << left.what;
    EXPECT_EQ(now(from), left.from_after) << left.what;
    EXPECT_EQ(now(to), left.to_after) << left.what;
    EXPECT_FALSE(fs::exists(journal())) << left.what;
    EXPECT_FALSE(fs::exists(staged)) << left.what;
}

INSTANTIATE_TEST_SUITE_P(
    Moves, EachMove,
    ::testing::Values(MoveLeft{"not made", NewSurvey::Staged, "A", "-", "A", "-"},
                      MoveLeft{"renamed", NewSurvey::Staged, "-", "A", "A", "-"},
                      MoveLeft{"copied, or linked", NewSurvey::Staged, "A", "A", "A", "-"},
                      MoveLeft{"target reserved", NewSurvey::Staged, "A", "", "A", "-"},
                      MoveLeft{"source reserved by an undo", NewSurvey::Staged, "", "A", "A", "-"},
                      MoveLeft{"another file at the target", NewSurvey::Staged, "A", "B", "A", "B"},
                      MoveLeft{"source never there", NewSurvey::Staged, "-", "-", "-", "-"},
                      MoveLeft{"not made, the staged survey lost", NewSurvey::Lost, "A", "-", "A", "-"},
                      MoveLeft{"renamed, the survey replace cut short", NewSurvey::ReplaceCut, "-", "A", "-", "A"},
                      MoveLeft{"not made, the survey file gone", NewSurvey::ReplaceCut, "A", "-", "A", "-", true},
                      MoveLeft{"committed copy", NewSurvey::Replaced, "A", "A", "-", "A"},
                      MoveLeft{"committed rename", NewSurvey::Replaced, "-", "A", "-", "A"},
                      MoveLeft{"another file at a committed copy's source", NewSurvey::Replaced, "B", "A", "B", "A"},
                      MoveLeft{"committed, never moved", NewSurvey::Replaced, "A", "-", "A", "-"},
                      MoveLeft{"committed, then the survey saved anew", NewSurvey::SavedAnew, "-", "A", "-", "A"}),
    [](const ::testing::TestParamInfo<MoveLeft>& info) { return "row" + std::to_string(info.index); });

// The archive at close after an import that a crash stopped before its
// commit: the start undoes the import, and the file stays to be imported again.
TEST_F(Recovery, AnArchiveLeavesAFileWhoseImportItsStartUndid)
{
    put_photos({"p1.jpg"});
    const fs::path gpx = put_gpx(one_photo);
    cut_after_the_move(gpx);
    try {
        survey::archive_gpx(gpx.string(), "track.gpx", app().string());
        ADD_FAILURE() << "archived a file whose import was undone";
    } catch (const survey::RuntimeError& error) {
        EXPECT_EQ(error.path(), gpx.string());
    }
    EXPECT_TRUE(fs::exists(gpx));
    EXPECT_TRUE(fs::exists(phone() / "p1.jpg"));
    EXPECT_FALSE(fs::exists(journal()));
}

// An undo that put every file back but whose folder sync then failed says
// just that, keeps the journal, and the next start ends it.
TEST_F(Recovery, AStartWhoseOnlyFailureIsASyncSaysEveryFileIsBack)
{
    put_photos({"p1.jpg"});
    cut_after_the_move(put_gpx(one_photo));
    // Its steps: the journal read and closed, the two folders synced, the
    // photo moved back, and the sync of its folder, which fails.
    testing_support::FailingEffects unsynced(5, [](const std::string&) { return EIO; });
    try {
        survey::recover_interrupted_import(unsynced, app().string());
        ADD_FAILURE() << "the start kept quiet";
    } catch (const survey::RuntimeError& error) {
        EXPECT_NE(error.detail().find("Every file is back where it was"), std::string::npos) << error.detail();
    }
    EXPECT_TRUE(fs::exists(phone() / "p1.jpg"));
    EXPECT_TRUE(fs::exists(journal()));
    EXPECT_EQ(survey::recover_interrupted_import(app().string()).outcome, RecoveryOutcome::Undone);
}

// Every change is journaled before it commits, so a staged survey without
// a journal never took effect, even where no survey file stands yet (a
// first import): the start removes it and says so.
TEST_F(Recovery, AStagedSurveyWithoutAJournalIsRemovedWhetherOrNotASurveyFileStands)
{
    const std::string staged = (app() / "survey.csv.gpx-survey-import.tmp").string();
    for (const bool survey_there : {false, true}) {
        write_file(staged, "new survey");
        const survey::Recovery recovery = survey::recover_interrupted_import(app().string());
        EXPECT_EQ(recovery.outcome, RecoveryOutcome::Undone) << survey_there;
        EXPECT_EQ(recovery.gpx_path, "") << survey_there;
        EXPECT_FALSE(fs::exists(staged)) << survey_there;
        write_file(survey_csv(), "old survey");
    }
    EXPECT_EQ(read_file(survey_csv()), "old survey");
}

// A start removes only a staged file of this program's own naming.
TEST_F(Recovery, AStartLeavesOtherFilesBesideALinkedSurvey)
{
    if (testing_support::on_windows)
        GTEST_SKIP() << "Windows takes a linked survey file for the file it is, and links need a privilege there";
    const fs::path docs = app().parent_path() / "docs";
    fs::create_directories(docs);
    write_file(docs / "report.csv", "x");
    write_file(docs / "report.csv.tmp", "the user's own");
    fs::create_symlink(docs / "report.csv", survey_csv());
    EXPECT_EQ(survey::recover_interrupted_import(app().string()).outcome, RecoveryOutcome::Nothing);
    EXPECT_EQ(read_file(docs / "report.csv.tmp"), "the user's own");
}

// Anything thrown in the middle of the moves undoes them, as an error does.
class ThrowsOnSecondMove : public testing_support::FailingEffects {
public:
    int rename_without_replacing(const std::string& from, const std::string& to) override
    {
        if (++moves_ == 2)
            throw std::bad_alloc();
        return FailingEffects::rename_without_replacing(from, to);
    }

private:
    int moves_ = 0;
};

TEST_F(Recovery, AnythingThrownMidwayUndoesTheMoves)
{
    put_sample();
    write_file(survey_csv(), "earlier\r\n");
    const auto before = everything();
    ThrowsOnSecondMove effects;
    std::int16_t count = 0;
    EXPECT_THROW(survey::import_waypoints(effects, (phone() / "field-day.gpx").string(), gpx_folder(),
                                          app().string(), count),
                 std::bad_alloc);
    EXPECT_EQ(everything(), before);
    EXPECT_EQ(survey::recover_interrupted_import(app().string()).outcome, RecoveryOutcome::Nothing);
}

}  // namespace
