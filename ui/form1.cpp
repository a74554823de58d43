#include "ui/form1.h"

#include "import/runtime_error.h"
#include "ui/archive_failure_text.h"
#include "ui/done_text.h"
#include "ui/error_text.h"
#include "ui/path_name.h"
#include "ui/recovery_text.h"
#include "ui/unwritable_folder_text.h"

#include <utility>

void Form1::Form_Load()
{
    view_.set_lblGPXfile({});
    view_.set_lblDone({});
    view_.set_Command1(command1_state_);
    app_folder_ = view_.program_folder();
    core_.make_current_folder(app_folder_);
    // Said now, not at the first import. No journal can be there to finish.
    if (!core_.folder_is_writable(app_folder_)) {
        view_.show_error(unwritable_folder_text(app_folder_));
        return;
    }
    try {
        const survey::Recovery recovery = core_.recover_interrupted_import(app_folder_);
        if (recovery.outcome != survey::RecoveryOutcome::Nothing)
            view_.show_information(recovery_text(recovery));
    } catch (const survey::RuntimeError& error) {
        view_.show_error(error_text(error, {}));
    }
}

void Form1::cmdBrowse_Click()
{
    std::optional<std::string> chosen = view_.choose_gpx_file(dialog_folder());
    // A cancelled dialog keeps the earlier choice, or none.
    if (!chosen)
        return;
    gpx_path_ = std::move(*chosen);
    view_.set_lblGPXfile(gpx_path_);
    gpx_name_ = core_.stored_name(gpx_path_);
    gpx_folder_ = gpx_path_.substr(0, gpx_path_.size() - gpx_name_.size());
    // The dialog may have moved the current folder.
    core_.make_current_folder(app_folder_);
    if (command1_state_ == Command1State::Hidden)
        command1_state_ = Command1State::Enabled;
    view_.set_Command1(command1_state_);
    // Enter then reads the file; after the import, the window says why it cannot.
    if (command1_state_ == Command1State::Enabled)
        view_.set_focus(Form1Button::Command1);
    else
        view_.set_lblDone(std::string(one_import_a_run_text));
}

std::string Form1::dialog_folder()
{
    // Where the instruction text sends the surveyor, when the program folder has it.
    const std::string demo_phone = path_in(app_folder_, "demo phone");
    return core_.stored_name(demo_phone).empty() ? app_folder_ : demo_phone;
}

void Form1::Command1_Click()
{
    try {
        core_.import_waypoints(gpx_path_, gpx_folder_, app_folder_, obs_count_);
    } catch (const survey::RuntimeError& error) {
        view_.show_error(error_text(error, gpx_path_));
        return;
    }
    imported_path_ = gpx_path_;
    imported_name_ = gpx_name_;
    view_.beep();
    view_.set_lblDone(done_text(obs_count_));
    // One import a run.
    command1_state_ = Command1State::Disabled;
    view_.set_Command1(command1_state_);
    view_.set_focus(Form1Button::cmdBrowse);
}

void Form1::Form_Unload()
{
    if (imported_path_.empty() || obs_count_ <= 0)
        return;
    // Tried once: a second close must not report the file it moved as missing.
    const std::string archived_path = std::exchange(imported_path_, {});
    try {
        core_.archive_gpx(archived_path, imported_name_, app_folder_);
    } catch (const survey::RuntimeError& error) {
        view_.show_error(error_text(error, archived_path) + "\n\n" + archive_failure_text(archived_path, app_folder_));
    }
}
