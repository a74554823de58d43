#include "ui/form1_widget.h"

#include "ui/app_icon.h"
#include "ui/done_text.h"
#include "ui/file_system_path.h"
#include "ui/form1_design.h"
#include "ui/screen_fit.h"
#include "ui/twips_layout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

QString text_of(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The dialog's filters as Qt writes them: patterns between spaces, and "*"
// for every file, since "*.*" here leaves out names without a dot.
QString qt_file_filters()
{
    QStringList filters;
    for (const form1_design::FileFilter& filter : form1_design::file_filters) {
        QString patterns = text_of(filter.patterns).replace(';', ' ');
        if (patterns == "*.*")
            patterns = "*";
        filters << text_of(filter.name) + " (" + patterns + ")";
    }
    return filters.join(";;");
}

QIcon app_icon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 256}) {
        const std::vector<std::uint32_t> pixels = app_icon_pixels(size);
        icon.addPixmap(QPixmap::fromImage(
            QImage(reinterpret_cast<const uchar*>(pixels.data()), size, size, QImage::Format_ARGB32).copy()));
    }
    return icon;
}

QFont scaled_font(QFont font, double factor)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * factor)));
    return font;
}

// Around the client area: the window manager's title bar and borders, as
// near as the style can tell before the window is shown.
QSize frame_size(const QWidget* window)
{
    const int border = window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    return {2 * border, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border};
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
    setWindowIcon(app_icon());

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
    // Enter presses the button that has the keyboard, as Space does.
    for (QPushButton* button : {cmdBrowse, Command1})
        button->setAutoDefault(true);

    Label1 = new QLabel(text_of(form1_design::Label1_caption), this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblDone = new QLabel(this);
    lblDone->setObjectName("lblDone");
    QPalette red_text = lblDone->palette();
    const auto& colour = form1_design::lblDone_colour;
    red_text.setColor(QPalette::WindowText, QColor(colour.red, colour.green, colour.blue));
    lblDone->setPalette(red_text);

    // The read button comes first in tab order, as the design has it.
    setTabOrder(Command1, cmdBrowse);
}

void Form1Widget::use_fonts(int dpi)
{
    const double factor = static_cast<double>(dpi) / logical_dpi;
    setFont(scaled_font(QApplication::font(), factor));
    QFont done_font(text_of(form1_design::lblDone_font));
    // Where the font is missing, a plain sans serif reads better than the
    // script face some systems would put in its place.
    done_font.setStyleHint(QFont::SansSerif);
    done_font.setPointSizeF(form1_design::lblDone_points);
    done_font.setBold(true);
    lblDone->setFont(scaled_font(done_font, factor));
}

std::vector<Caption> Form1Widget::captions() const
{
    using namespace form1_design;
    // The count's lowest value makes the longest completion text.
    const QString longest_done_text = text_of(done_text(std::numeric_limits<std::int16_t>::min()));
    return {{cmdBrowse, cmdBrowse->text(), cmdBrowse_place},
            {Command1, Command1->text(), Command1_place},
            {Label1, Label1->text(), Label1_place},
            {lblDone, longest_done_text, lblDone_place},
            {lblDone, text_of(one_import_a_run_text), lblDone_place}};
}

void Form1Widget::place_controls()
{
    using namespace form1_design;
    const QRect work = screen()->availableGeometry();
    const QSize frame = frame_size(this);
    const auto window_at = [this, &frame](int dpi) {
        use_fonts(dpi);
        const QSize client = to_pixels(client_width, client_height, dpi, scale_to_fit(captions(), dpi));
        return PixelSize{client.width() + frame.width(), client.height() + frame.height()};
    };
    const int dpi = fitting_dpi(logical_dpi, {work.width(), work.height()}, window_at);
    use_fonts(dpi);
    const double scale = scale_to_fit(captions(), dpi);
    cmdBrowse->setGeometry(to_pixels(cmdBrowse_place, dpi, scale));
    lblGPXfile->setGeometry(to_pixels(lblGPXfile_place, dpi, scale));
    Command1->setGeometry(to_pixels(Command1_place, dpi, scale));
    Label1->setGeometry(to_pixels(Label1_place, dpi, scale));
    lblDone->setGeometry(to_pixels(lblDone_place, dpi, scale));
    setFixedSize(to_pixels(client_width, client_height, dpi, scale));
}

std::string Form1Widget::program_folder()
{
    return file_system_path(services_.program_folder());
}

std::optional<std::string> Form1Widget::choose_gpx_file(const std::string& start_folder)
{
    const QString chosen = services_.choose_file(this, display_path(start_folder), qt_file_filters());
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

void Form1Widget::set_focus(Form1Button button)
{
    (button == Form1Button::Command1 ? Command1 : cmdBrowse)->setFocus();
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
