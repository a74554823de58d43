#include "ui/form1_widget.h"

#include "ui/caption_fit.h"
#include "ui/done_text.h"
#include "ui/file_system_path.h"
#include "ui/form1_design.h"
#include "ui/twips_layout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <limits>
#include <utility>

namespace {

QString text_of(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

Form1Widget::Form1Widget(DesktopServices services, QWidget* parent) : QWidget(parent), services_(std::move(services))
{
    create_controls();
    place_controls();
    form_.Form_Load();
}

void Form1Widget::create_controls()
{
    setWindowTitle(text_of(form1_design::window_title));

    cmdBrowse = new QPushButton(text_of(form1_design::cmdBrowse_caption), this);
    cmdBrowse->setObjectName("cmdBrowse");
    connect(cmdBrowse, &QPushButton::clicked, this, [this] { form_.cmdBrowse_Click(); });

    lblGPXfile = new QLabel(this);
    lblGPXfile->setObjectName("lblGPXfile");
    // A path is shown as it is, even one that looks like markup.
    lblGPXfile->setTextFormat(Qt::PlainText);

    Command1 = new QPushButton(text_of(form1_design::Command1_caption), this);
    Command1->setObjectName("Command1");
    connect(Command1, &QPushButton::clicked, this, [this] { form_.Command1_Click(); });

    Label1 = new QLabel(text_of(form1_design::Label1_caption), this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblDone = new QLabel(this);
    lblDone->setObjectName("lblDone");
    QFont done_font(text_of(form1_design::lblDone_font));
    // Where the font is missing, a plain sans serif reads better than the
    // script face some systems would put in its place.
    done_font.setStyleHint(QFont::SansSerif);
    done_font.setPointSizeF(form1_design::lblDone_points);
    done_font.setBold(true);
    lblDone->setFont(done_font);
    QPalette red_text = lblDone->palette();
    const auto& colour = form1_design::lblDone_colour;
    red_text.setColor(QPalette::WindowText, QColor(colour.red, colour.green, colour.blue));
    lblDone->setPalette(red_text);

    // The read button comes first in tab order, as the design has it.
    setTabOrder(Command1, cmdBrowse);
}

void Form1Widget::place_controls()
{
    using namespace form1_design;
    // The count's lowest value makes the longest completion text.
    const QString longest_done_text = text_of(done_text(std::numeric_limits<std::int16_t>::min()));
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

std::string Form1Widget::program_folder()
{
    return file_system_path(services_.program_folder());
}

std::optional<std::string> Form1Widget::choose_gpx_file()
{
    const QString chosen = services_.choose_file(this);
    if (chosen.isEmpty())
        return std::nullopt;
    return file_system_path(chosen);
}

void Form1Widget::set_lblGPXfile(const std::string& path)
{
    lblGPXfile->setText(display_path(path));
    lblGPXfile->setToolTip(lblGPXfile->text());
}

void Form1Widget::set_lblDone(const std::string& text)
{
    lblDone->setText(text_of(text));
}

void Form1Widget::set_Command1(Command1State state)
{
    Command1->setVisible(state != Command1State::Hidden);
    Command1->setEnabled(state != Command1State::Disabled);
}

void Form1Widget::show_error(const std::string& text)
{
    show_box(services_.show_error, text);
}

void Form1Widget::show_information(const std::string& text)
{
    show_box(services_.show_information, text);
}

void Form1Widget::show_box(const DesktopServices::MessageBox& box, const std::string& text)
{
    const QString title = windowTitle();
    const QString message = text_of(text);
    // What the start has to say waits until the window is on the screen, so
    // that the box has a window to stand over.
    if (isVisible())
        box(this, title, message);
    else
        QTimer::singleShot(0, this, [this, box, title, message] { box(this, title, message); });
}

void Form1Widget::beep()
{
    services_.beep();
}

void Form1Widget::closeEvent(QCloseEvent* event)
{
    form_.Form_Unload();
    event->accept();
}
