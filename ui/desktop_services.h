#pragma once

#include <QString>

#include <functional>

class QWidget;

// What the window asks of the desktop. Tests replace each part, so that no
// dialog or message box ever waits for a person.
struct DesktopServices {
    using MessageBox = std::function<void(QWidget* parent, const QString& title, const QString& text)>;

    // The program folder; the executable's own folder.
    std::function<QString()> program_folder;
    // The path chosen in an open-file dialog that opens in `folder` and
    // offers `filters` (Qt's "name (patterns);;..."), or "" when it was cancelled.
    std::function<QString(QWidget* parent, const QString& folder, const QString& filters)> choose_file;
    MessageBox show_error;
    MessageBox show_information;
    std::function<void()> beep;
};

// The real desktop: Qt's dialogs, message boxes and beep.
DesktopServices real_desktop();
