#pragma once

#include "ui/form1_view.h"
#include "ui/import_core.h"

#include <cstdint>
#include <string>

// The program's one window, whatever toolkit draws it: choose a GPX file,
// import it, and archive it when the window closes. A view calls the
// handlers on its events; Form1 tells the view what to show.
class Form1 {
public:
    Form1(ImportCore& core, Form1View& view) : core_(core), view_(view) {}

    void Form_Load();
    void cmdBrowse_Click();
    void Command1_Click();
    void Form_Unload();

    const std::string& app_folder() const { return app_folder_; }
    const std::string& gpx_folder() const { return gpx_folder_; }
    const std::string& gpx_name() const { return gpx_name_; }
    std::int16_t obs_count() const { return obs_count_; }

private:
    std::string dialog_folder();

    ImportCore& core_;
    Form1View& view_;

    std::string app_folder_;
    // The chosen path; the view shows it in lblGPXfile.
    std::string gpx_path_;
    std::string gpx_folder_;
    std::string gpx_name_;
    std::int16_t obs_count_ = 0;
    Command1State command1_state_ = Command1State::Hidden;
    // What the import read, so that browsing afterwards cannot change what is archived.
    std::string imported_path_;
    std::string imported_name_;
};
