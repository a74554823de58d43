#pragma once

#include "ui/caption_fit.h"
#include "ui/desktop_services.h"
#include "ui/form1.h"
#include "ui/form1_view.h"
#include "ui/system_import_core.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;

// Form1 drawn with Qt Widgets: the controls, their places, and the desktop's
// dialog, message boxes and beep.
class Form1Widget : public QWidget, private Form1View {
    Q_OBJECT

public:
    explicit Form1Widget(DesktopServices services = real_desktop(), QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The tests read the form state; the controls they find by object name.
    friend class Form1WidgetTest;

    void create_controls();
    void place_controls();
    void use_fonts(int dpi);
    std::vector<Caption> captions() const;

    std::string program_folder() override;
    std::optional<std::string> choose_gpx_file(const std::string& start_folder) override;
    void set_lblGPXfile(const std::string& path) override;
    void set_lblDone(const std::string& text) override;
    void set_Command1(Command1State state) override;
    void set_focus(Form1Button button) override;
    void show_error(const std::string& text) override;
    void show_information(const std::string& text) override;
    void beep() override;
    void show_box(const DesktopServices::MessageBox& box, const std::string& text);

    DesktopServices services_;
    SystemImportCore core_;
    Form1 form_{core_, *this};

    QPushButton* cmdBrowse;
    QLabel* lblGPXfile;
    QPushButton* Command1;
    QLabel* Label1;
    QLabel* lblDone;
};
