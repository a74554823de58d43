#include "import/runtime_error.h"
#include "ui/done_text.h"
#include "ui/form1.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using survey::ErrorKind;
using survey::Recovery;
using survey::RecoveryOutcome;
using survey::RuntimeError;

namespace {

// The import core, as far as the window sees it: it notes each call and
// answers as a test sets it to.
class FakeCore : public ImportCore {
public:
    std::map<std::string, std::string> stored_names;  // path → the name the file system stores
    std::set<std::string> unwritable_folders;
    Recovery recovery;
    std::optional<RuntimeError> recovery_error;
    std::int16_t records = 0;
    std::optional<RuntimeError> import_error;
    std::optional<RuntimeError> archive_error;

    std::vector<std::string> imports;   // "gpx_path | gpx_folder | app_folder"
    std::vector<std::string> archives;  // "gpx_path | gpx_name | app_folder"
    std::string current_folder;
    int recoveries = 0;

    Recovery recover_interrupted_import(const std::string&) override
    {
        ++recoveries;
        if (recovery_error)
            throw *recovery_error;
        return recovery;
    }
    void import_waypoints(const std::string& gpx_path, const std::string& gpx_folder, const std::string& app_folder,
                          std::int16_t& obs_count) override
    {
        imports.push_back(gpx_path + " | " + gpx_folder + " | " + app_folder);
        obs_count = import_error ? 0 : records;
        if (import_error)
            throw *import_error;
    }
    void archive_gpx(const std::string& gpx_path, const std::string& gpx_name, const std::string& app_folder) override
    {
        archives.push_back(gpx_path + " | " + gpx_name + " | " + app_folder);
        if (archive_error)
            throw *archive_error;
    }
    std::string stored_name(const std::string& path) override
    {
        const auto found = stored_names.find(path);
        return found == stored_names.end() ? std::string() : found->second;
    }
    void make_current_folder(const std::string& folder) override { current_folder = folder; }
    bool folder_is_writable(const std::string& folder) override { return !unwritable_folders.contains(folder); }
};

// A window that keeps what it was told to show, and answers its dialog from a list.
class RecordingView : public Form1View {
public:
    explicit RecordingView(FakeCore& core) : core_(core) {}

    std::vector<std::optional<std::string>> dialog_answers;  // nothing: cancelled
    std::vector<std::string> dialog_folders;                 // where each dialog opened
    std::optional<std::string> lblGPXfile;
    std::optional<std::string> lblDone;
    std::optional<Command1State> Command1;
    std::optional<Form1Button> focused;
    std::vector<std::string> errors;
    std::vector<std::string> notes;
    int beeps = 0;

    std::string program_folder() override { return "/opt/survey"; }
    std::optional<std::string> choose_gpx_file(const std::string& start_folder) override
    {
        dialog_folders.push_back(start_folder);
        // The dialog moves the current folder, as a real one may.
        core_.current_folder = "/media/card";
        if (dialog_answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = dialog_answers.front();
        dialog_answers.erase(dialog_answers.begin());
        return answer;
    }
    void set_lblGPXfile(const std::string& path) override { lblGPXfile = path; }
    void set_lblDone(const std::string& text) override { lblDone = text; }
    void set_Command1(Command1State state) override { Command1 = state; }
    void set_focus(Form1Button button) override { focused = button; }
    void show_error(const std::string& text) override { errors.push_back(text); }
    void show_information(const std::string& text) override { notes.push_back(text); }
    void beep() override { ++beeps; }

private:
    FakeCore& core_;
};

const std::string app = "/opt/survey";
const std::string gpx = "/media/card/field-day.gpx";
const std::string done_2 = "Completed, 2 transit observations imported to database.";

class Form1Test : public ::testing::Test {
protected:
    Form1Test() { core.stored_names[gpx] = "field-day.gpx"; }

    void load() { form.Form_Load(); }
    void browse_to(const std::string& path)
    {
        view.dialog_answers.push_back(path);
        form.cmdBrowse_Click();
    }
    void import_sample(std::int16_t records = 2)
    {
        load();
        browse_to(gpx);
        core.records = records;
        form.Command1_Click();
    }

    FakeCore core;
    RecordingView view{core};
    Form1 form{core, view};
};

TEST_F(Form1Test, StartsWithOnlyBrowseShowing)
{
    load();
    EXPECT_EQ(view.Command1, Command1State::Hidden);
    EXPECT_EQ(view.lblGPXfile, "");
    EXPECT_EQ(view.lblDone, "");
    EXPECT_EQ(form.app_folder(), app);
    EXPECT_EQ(core.current_folder, app);
    EXPECT_EQ(form.obs_count(), 0);
    EXPECT_TRUE(view.notes.empty());
    EXPECT_TRUE(view.errors.empty());
}

struct Choice {
    std::string path;
    std::string stored_name;  // "" when nothing is there
    std::string gpx_folder;
};

class ChoosingAFile : public Form1Test, public ::testing::WithParamInterface<Choice> {};

// The folder is the chosen path less as many characters as the stored name
// has, so it keeps its separator, and a name stored in another letter case
// still cuts it right.
TEST_P(ChoosingAFile, RevealsTheReadButton)
{
    const Choice& choice = GetParam();
    if (!choice.stored_name.empty())
        core.stored_names[choice.path] = choice.stored_name;
    load();
    browse_to(choice.path);
    EXPECT_EQ(view.lblGPXfile, choice.path);
    EXPECT_EQ(form.gpx_name(), choice.stored_name);
    EXPECT_EQ(form.gpx_folder(), choice.gpx_folder);
    EXPECT_EQ(view.Command1, Command1State::Enabled);
    // Enter then reads it.
    EXPECT_EQ(view.focused, Form1Button::Command1);
    EXPECT_EQ(core.current_folder, app);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ChoosingAFile,
    ::testing::Values(Choice{"/media/card/track.gpx", "track.gpx", "/media/card/"},
                      Choice{"D:\\phone\\track.gpx", "track.gpx", "D:\\phone\\"},
                      Choice{"E:\\track.gpx", "track.gpx", "E:\\"},
                      Choice{"D:\\phone\\track.gpx", "Track.GPX", "D:\\phone\\"},
                      // A path naming nothing gives an empty name and keeps the whole path.
                      Choice{"/media/card/gone.gpx", "", "/media/card/gone.gpx"}));

// Where the instruction text sends the surveyor, when the program folder has it.
TEST_F(Form1Test, TheDialogOpensInTheDemoPhoneFolderWhereThereIsOne)
{
    load();
    form.cmdBrowse_Click();
    core.stored_names[app + "/demo phone"] = "demo phone";
    form.cmdBrowse_Click();
    EXPECT_EQ(view.dialog_folders, (std::vector<std::string>{app, app + "/demo phone"}));
}

TEST_F(Form1Test, CancelBeforeAnyChoiceChangesNothing)
{
    load();
    form.cmdBrowse_Click();
    EXPECT_EQ(view.Command1, Command1State::Hidden);
    EXPECT_EQ(view.lblGPXfile, "");
    EXPECT_EQ(form.gpx_folder(), "");
}

TEST_F(Form1Test, CancelAfterAChoiceKeepsIt)
{
    load();
    browse_to(gpx);
    form.cmdBrowse_Click();
    EXPECT_EQ(view.lblGPXfile, gpx);
    EXPECT_EQ(form.gpx_name(), "field-day.gpx");
    EXPECT_EQ(view.Command1, Command1State::Enabled);
}

TEST_F(Form1Test, ImportReportsTheCountAndArchivesAtClose)
{
    import_sample();
    EXPECT_EQ(core.imports, std::vector<std::string>{gpx + " | /media/card/ | " + app});
    EXPECT_TRUE(view.errors.empty());
    EXPECT_EQ(view.lblDone, done_2);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(view.Command1, Command1State::Disabled);
    EXPECT_EQ(view.focused, Form1Button::cmdBrowse);
    EXPECT_EQ(form.obs_count(), 2);

    form.Form_Unload();
    // Tried once: a second close must not report the moved file as missing.
    form.Form_Unload();
    EXPECT_EQ(core.archives, std::vector<std::string>{gpx + " | field-day.gpx | " + app});
    EXPECT_TRUE(view.errors.empty());
}

TEST_F(Form1Test, ImportOfNoRecordReportsZeroAndArchivesNothing)
{
    import_sample(0);
    EXPECT_EQ(view.lblDone, "Completed, 0 transit observations imported to database.");
    EXPECT_EQ(view.Command1, Command1State::Disabled);
    form.Form_Unload();
    EXPECT_TRUE(core.archives.empty());
    EXPECT_TRUE(view.errors.empty());
}

TEST_F(Form1Test, ImportErrorIsShownAndNothingChanges)
{
    core.import_error = RuntimeError::at_gpx_line(ErrorKind::TypeMismatch, 2).with_detail("Line 2 should start a waypoint.");
    import_sample();
    EXPECT_EQ(view.errors, std::vector<std::string>{"Type mismatch\nfield-day.gpx, line 2\n\nLine 2 should start a waypoint."});
    EXPECT_EQ(view.beeps, 0);
    EXPECT_EQ(view.lblDone, "");
    EXPECT_EQ(view.Command1, Command1State::Enabled);
    EXPECT_EQ(view.focused, Form1Button::Command1);
    EXPECT_EQ(form.obs_count(), 0);

    form.Form_Unload();
    EXPECT_TRUE(core.archives.empty());
    EXPECT_EQ(view.errors.size(), 1u);
}

TEST_F(Form1Test, BrowsingAfterImportArchivesTheImportedFile)
{
    const std::string other = "/media/card/other.gpx";
    core.stored_names[other] = "other.gpx";
    import_sample();
    browse_to(other);
    EXPECT_EQ(view.lblGPXfile, other);
    EXPECT_EQ(form.gpx_name(), "other.gpx");
    EXPECT_EQ(view.Command1, Command1State::Disabled);
    EXPECT_EQ(view.lblDone, one_import_a_run_text);
    EXPECT_EQ(view.focused, Form1Button::cmdBrowse);

    form.Form_Unload();
    EXPECT_EQ(core.archives, std::vector<std::string>{gpx + " | field-day.gpx | " + app});
}

TEST_F(Form1Test, CloseWithoutImportMovesNothing)
{
    load();
    browse_to(gpx);
    form.Form_Unload();
    EXPECT_TRUE(core.archives.empty());
    EXPECT_TRUE(view.errors.empty());
}

struct Failure {
    const char* what;
    RuntimeError error;
    std::string message;
};

class AFailure : public Form1Test, public ::testing::WithParamInterface<Failure> {};

// Kind, place and sentence, each on its own line; the archive's failures
// are shown and the window still closes.
TEST_P(AFailure, IsShownWithItsKindAndPlace)
{
    const Failure& failure = GetParam();
    if (std::string(failure.what) == "import")
        core.import_error = failure.error;
    else
        core.archive_error = failure.error;
    import_sample();
    form.Form_Unload();
    EXPECT_EQ(view.errors, std::vector<std::string>{failure.message});
}

// Under the archive's error, since the window then closes.
const std::string by_hand = "\n\nThe imported file stays where it is, at " + gpx +
                            ", and its records are already in survey.csv, so do not import it again: to archive it "
                            "by hand, move it into " + app + "/saveGPX.";
const std::string held_gpx = "Another program has this GPX file open, perhaps a text editor: close it there first.";
const std::string held_photo = "Another program has this photo open, perhaps a photo viewer: close it there first.";

const std::string switch_off = "Line 13 should start a waypoint (<wpt lat=\"..\" lon=\"..\">) or the track (<trk>). "
                               "Switch off the accuracy output in the phone app's settings.";

INSTANTIATE_TEST_SUITE_P(
    Texts, AFailure,
    ::testing::Values(
        Failure{"import", RuntimeError::at_gpx_line(ErrorKind::Overflow, 13).with_detail(switch_off),
                "Overflow\nfield-day.gpx, line 13\n\n" + switch_off},
        Failure{"import", RuntimeError::for_file(ErrorKind::PermissionDenied, app + "/survey.csv"),
                "Permission denied\n" + app + "/survey.csv"},
        Failure{"import",
                RuntimeError::for_file(ErrorKind::PathFileAccessError, "/media/card/p2.jpg").at_line(14).with_detail(held_photo),
                "Path/file access error\nfield-day.gpx, line 14\n/media/card/p2.jpg\n\n" + held_photo},
        Failure{"archive", RuntimeError::for_file(ErrorKind::PathNotFound, app + "/saveGPX/"),
                "Path not found\n" + app + "/saveGPX/" + by_hand},
        Failure{"archive", RuntimeError::for_file(ErrorKind::FileAlreadyExists, app + "/saveGPX/field-day.gpx"),
                "File already exists\n" + app + "/saveGPX/field-day.gpx" + by_hand},
        Failure{"archive", RuntimeError::for_file(ErrorKind::PathFileAccessError, gpx).with_detail(held_gpx),
                "Path/file access error\n" + gpx + "\n\n" + held_gpx + by_hand},
        Failure{"archive", RuntimeError::for_file(ErrorKind::FileNotFound, gpx), "File not found\n" + gpx + by_hand}));

struct StartWord {
    Recovery recovery;
    std::string note;  // "" when the start has nothing to say
};

class TheStart : public Form1Test, public ::testing::WithParamInterface<StartWord> {};

TEST_P(TheStart, SaysWhatItDidAboutAnInterruptedImport)
{
    core.recovery = GetParam().recovery;
    load();
    const std::string& note = GetParam().note;
    EXPECT_EQ(view.notes, note.empty() ? std::vector<std::string>{} : std::vector<std::string>{note});
    EXPECT_TRUE(view.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, TheStart,
    ::testing::Values(
        StartWord{{RecoveryOutcome::Nothing, "", false}, ""},
        StartWord{{RecoveryOutcome::Undone, "", false},
                  "An import that was interrupted before it changed anything has been cleared away."},
        StartWord{{RecoveryOutcome::Undone, gpx, false},
                  "The interrupted import of field-day.gpx has been undone: survey.csv and the photos are as they "
                  "were before it."},
        StartWord{{RecoveryOutcome::Completed, gpx, false},
                  "The interrupted import of field-day.gpx has been completed: survey.csv holds its records and its "
                  "photos are in photosound."},
        StartWord{{RecoveryOutcome::Completed, "E:\\card\\field-day.gpx", true},
                  "The interrupted move of field-day.gpx into saveGPX has been completed."},
        StartWord{{RecoveryOutcome::Undone, gpx, true},
                  "The interrupted move of field-day.gpx into saveGPX has been undone; the file is still at " + gpx +
                      "."}));

TEST_F(Form1Test, AStartThatCannotPutAFileBackSaysWhich)
{
    core.recovery_error = RuntimeError::for_file(ErrorKind::FileAlreadyExists, app + "/photosound/p1.jpg");
    load();
    EXPECT_EQ(view.errors, std::vector<std::string>{"File already exists\n" + app + "/photosound/p1.jpg"});
    EXPECT_TRUE(view.notes.empty());
    EXPECT_EQ(view.Command1, Command1State::Hidden);
}

TEST_F(Form1Test, AProgramFolderThatCannotBeWrittenIsSaidAtStart)
{
    core.unwritable_folders.insert(app);
    load();
    EXPECT_EQ(view.errors, std::vector<std::string>{
                               "The program folder " + app +
                               " cannot be written with your rights, so nothing can be imported into it: move the whole "
                               "folder to one you can write, such as your Documents folder, and start the program from "
                               "there."});
    EXPECT_EQ(core.recoveries, 0);
    EXPECT_EQ(view.Command1, Command1State::Hidden);
}

}  // namespace
