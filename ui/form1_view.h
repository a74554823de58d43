#pragma once

#include <optional>
#include <string>

// Command1's states: hidden until a file is chosen, disabled once imported.
enum class ReadButton { Hidden, Enabled, Disabled };

// What Form1 asks of the window that shows it, one for each toolkit. Paths
// are the file system's bytes (UTF-8 on Windows); texts are UTF-8 but for
// the paths they quote.
class Form1View {
public:
    virtual ~Form1View() = default;

    // The executable's folder, as the platform reports it.
    virtual std::string program_folder() = 0;
    // The path the file-open dialog gave, or nothing when it was cancelled.
    virtual std::optional<std::string> choose_gpx_file() = 0;

    // lblGPXfile's caption.
    virtual void show_gpx_path(const std::string& path) = 0;
    // lblDone's caption.
    virtual void show_done(const std::string& text) = 0;
    virtual void show_read_button(ReadButton state) = 0;

    virtual void show_error(const std::string& text) = 0;
    virtual void show_information(const std::string& text) = 0;
    virtual void beep() = 0;
};
