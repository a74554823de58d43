#pragma once

#include "ui/desktop_services.h"

#include <QWidget>

#include <cstdint>
#include <string>

class QLabel;
class QPushButton;

// The program's one window: choose a GPX file, import it, and archive it
// when the window closes.
class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(DesktopServices services = real_desktop(), QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void cmdBrowse_Click();
    void Command1_Click();

private:
    // The tests read the form state; the controls they find by object name.
    friend class Form1Test;

    void Form_Load();
    void Form_Unload();
    void create_controls();
    void place_controls();

    DesktopServices services_;

    QPushButton* cmdBrowse;
    QLabel* lblGPXfile;
    QPushButton* Command1;
    QLabel* Label1;
    QLabel* lblDone;

    std::string app_folder;
    // The chosen path as the file system has its bytes; the label shows it
    // as text, which cannot hold every name a file system can.
    std::string gpx_path;
    std::string gpx_folder;
    std::string gpx_name;
    std::int16_t obs_count = 0;
    // What the import read, so that browsing afterwards cannot change what is archived.
    std::string imported_path;
    std::string imported_name;
};
