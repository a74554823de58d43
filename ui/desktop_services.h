#pragma once

#include "import/waypoint_import.h"

#include <QString>

#include <functional>

class QWidget;

// What the window asks of the desktop. Tests replace each part, so that no
// dialog or message box ever waits for a person.
struct DesktopServices {
    // The program folder; the executable's own folder.
    std::function<QString()> program_folder;
    // The path chosen in an open-file dialog, or "" when it was cancelled.
    std::function<QString(QWidget* parent)> choose_file;
    std::function<void(QWidget* parent, const QString& title, const QString& text)> show_error;
    std::function<void(QWidget* parent, const QString& title, const QString& text)> show_information;
    std::function<void()> beep;
    survey::FileEffects* file_effects = &survey::system_file_effects();
};

// The real desktop: Qt's dialogs, message boxes and beep.
DesktopServices real_desktop();
