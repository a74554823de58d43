#include "ui/form1.h"

#include "import/runtime_error.h"
#include "import/waypoint_import.h"
#include "ui/caption_fit.h"
#include "ui/error_text.h"
#include "ui/file_system_path.h"
#include "ui/recovery_text.h"
#include "ui/twips_layout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const QString window_title = "read values from phone";

// The design, in twips.
constexpr int client_width = 14115;
constexpr int client_height = 3030;
constexpr TwipsRect cmdBrowse_place{1200, 720, 1455, 255};
constexpr TwipsRect lblGPXfile_place{2880, 720, 7335, 255};
constexpr TwipsRect Command1_place{10440, 720, 1455, 255};
constexpr TwipsRect Label1_place{1200, 1080, 5535, 495};
constexpr TwipsRect lblDone_place{1080, 1920, 11775, 375};

// The longest completion text the count can make.
const QString longest_done_text = "Completed, -32768 transit observations imported to database.";

}  // namespace

Form1::Form1(DesktopServices services, QWidget* parent) : QWidget(parent), services_(std::move(services))
{
    create_controls();
    place_controls();
    Form_Load();
}

void Form1::create_controls()
{
    setWindowTitle(window_title);

    cmdBrowse = new QPushButton("browse to gpx file", this);
    cmdBrowse->setObjectName("cmdBrowse");
    connect(cmdBrowse, &QPushButton::clicked, this, &Form1::cmdBrowse_Click);

    lblGPXfile = new QLabel(this);
    lblGPXfile->setObjectName("lblGPXfile");
    // A path is shown as it is, even one that looks like markup.
    lblGPXfile->setTextFormat(Qt::PlainText);

    Command1 = new QPushButton("read from gpx file", this);
    Command1->setObjectName("Command1");
    Command1->hide();
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    Label1 = new QLabel("(for phone connected via Kies copy files from OSMtracker to 'demo phone' folder and "
                        "browse to gpx file there)",
                        this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblDone = new QLabel(this);
    lblDone->setObjectName("lblDone");
    QFont done_font("Comic Sans MS");
    // Where the font is missing, a plain sans serif reads better than the
    // script face some systems would put in its place.
    done_font.setStyleHint(QFont::SansSerif);
    done_font.setPointSizeF(9.75);
    done_font.setBold(true);
    lblDone->setFont(done_font);
    QPalette red_text = lblDone->palette();
    red_text.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lblDone->setPalette(red_text);

    // The read button comes first in tab order, as the design has it.
    setTabOrder(Command1, cmdBrowse);
}

void Form1::place_controls()
{
    const double scale = scale_to_fit({{cmdBrowse, cmdBrowse->text(), cmdBrowse_place},
                                       {Command1, Command1->text(), Command1_place},
                                       {Label1, Label1->text(), Label1_place},
                                       {lblDone, longest_done_text, lblDone_place}});
    cmdBrowse->setGeometry(to_pixels(cmdBrowse_place, scale));
    lblGPXfile->setGeometry(to_pixels(lblGPXfile_place, scale));
    Command1->setGeometry(to_pixels(Command1_place, scale));
    Label1->setGeometry(to_pixels(Label1_place, scale));
    lblDone->setGeometry(to_pixels(lblDone_place, scale));
    setFixedSize(to_pixels(client_width, client_height, scale));
}

void Form1::Form_Load()
{
    app_folder = file_system_path(services_.program_folder());
    ::chdir(app_folder.c_str());
    try {
        const survey::Recovery recovery = survey::recover_interrupted_import(*services_.file_effects, app_folder);
        // Said once the window is on the screen, so the box has a window to stand over.
        if (recovery.outcome != survey::RecoveryOutcome::Nothing)
            QTimer::singleShot(0, this, [this, text = recovery_text(recovery)] {
                services_.show_information(this, window_title, text);
            });
    } catch (const survey::RuntimeError& error) {
        QTimer::singleShot(0, this, [this, text = error_text(error, {})] {
            services_.show_error(this, window_title, text);
        });
    }
}

void Form1::cmdBrowse_Click()
{
    const QString chosen = services_.choose_file(this);
    if (chosen.isEmpty())
        return;
    lblGPXfile->setText(chosen);
    lblGPXfile->setToolTip(chosen);
    gpx_path = file_system_path(chosen);
    struct stat status;
    gpx_name = ::lstat(gpx_path.c_str(), &status) == 0 ? gpx_path.substr(gpx_path.rfind('/') + 1) : std::string();
    gpx_folder = gpx_path.substr(0, gpx_path.size() - gpx_name.size());
    // The dialog may have moved the current folder.
    ::chdir(app_folder.c_str());
    Command1->setVisible(true);
}

void Form1::Command1_Click()
{
    try {
        survey::import_waypoints(*services_.file_effects, gpx_path, gpx_folder, app_folder, obs_count);
    } catch (const survey::RuntimeError& error) {
        services_.show_error(this, window_title, error_text(error, lblGPXfile->text()));
        return;
    }
    imported_path = gpx_path;
    imported_name = gpx_name;
    services_.beep();
    lblDone->setText("Completed, " + QString::number(obs_count) + " transit observations imported to database.");
    Command1->setEnabled(false);
}

void Form1::Form_Unload()
{
    if (imported_path.empty() || obs_count <= 0)
        return;
    // Tried once: a second close must not report the file it moved as missing.
    const std::string archived_path = std::exchange(imported_path, {});
    try {
        survey::archive_gpx(*services_.file_effects, archived_path, imported_name, app_folder);
    } catch (const survey::RuntimeError& error) {
        services_.show_error(this, window_title, error_text(error, display_path(archived_path)));
    }
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}
