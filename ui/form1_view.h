#pragma once

#include <optional>
#include <string>

// The read button's states: hidden until a file is chosen, disabled once
// imported.
enum class Command1State { Hidden, Enabled, Disabled };

// The buttons, for the keyboard's focus.
enum class Form1Button { cmdBrowse, Command1 };

// What Form1 asks of the window that shows it, one for each toolkit. Paths
// are the file system's bytes (UTF-8 on Windows); texts are UTF-8 but for
// the paths they quote.
class Form1View {
public:
    virtual ~Form1View() = default;

    // The executable's folder, as the platform reports it.
    virtual std::string program_folder() = 0;
    // The path the file-open dialog gave, or nothing when it was cancelled.
    // The dialog opens in `start_folder` and offers form1_design's filters.
    virtual std::optional<std::string> choose_gpx_file(const std::string& start_folder) = 0;

    // The captions of the chosen path's label and of the completion message's.
    virtual void set_lblGPXfile(const std::string& path) = 0;
    virtual void set_lblDone(const std::string& text) = 0;
    // The read button.
    virtual void set_Command1(Command1State state) = 0;
    // The button that Enter and Space then press.
    virtual void set_focus(Form1Button button) = 0;

    virtual void show_error(const std::string& text) = 0;
    virtual void show_information(const std::string& text) = 0;
    virtual void beep() = 0;
};
