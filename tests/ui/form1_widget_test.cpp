#include "tests/support/failing_effects.h"
#include "ui/caption_fit.h"
#include "ui/form1_widget.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Drives the Qt view by its buttons over the real core in real folders, with
// the dialog, message box and beep replaced so that nothing waits for a
// person. What Form1 decides is tested without a toolkit in form1_test.cpp.
class Form1WidgetTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void starts_with_only_browse_showing();
    void choosing_a_file_reveals_the_read_button();
    void a_path_naming_nothing_gives_an_empty_name();
    void import_reports_the_count_and_archives_at_close();
    void import_error_is_shown_and_nothing_changes();
    void captions_fit_their_controls();
    void done_label_is_red_and_bold();
    void start_finishes_or_undoes_an_interrupted_import_data();
    void start_finishes_or_undoes_an_interrupted_import();
    void a_path_that_is_not_utf8_imports();
    void a_photo_chosen_by_mistake_says_which_file_to_choose();

private:
    std::unique_ptr<Form1Widget> open_form();
    QString put_gpx(const QString& name, const QByteArray& text);
    void put_sample();
    void browse_to(const QString& path);
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    QString app_file(const QString& name) const { return app_.filePath(name); }
    QString phone_file(const QString& name) const { return phone_.filePath(name); }

    template <typename Control>
    Control* control(const char* name) const { return form_->findChild<Control*>(name); }
    QPushButton* cmdBrowse() const { return control<QPushButton>("cmdBrowse"); }
    QPushButton* Command1() const { return control<QPushButton>("Command1"); }
    QLabel* lblGPXfile() const { return control<QLabel>("lblGPXfile"); }
    QLabel* Label1() const { return control<QLabel>("Label1"); }
    QLabel* lblDone() const { return control<QLabel>("lblDone"); }

    std::unique_ptr<QTemporaryDir> root_;
    QDir app_;
    QDir phone_;
    QStringList dialog_answers_;
    QStringList dialog_setups_;  // "folder | filters" of each dialog
    QStringList errors_;
    QStringList notes_;
    int beeps_ = 0;
    std::unique_ptr<Form1Widget> form_;
};

void Form1WidgetTest::init()
{
    root_ = std::make_unique<QTemporaryDir>();
    QVERIFY(root_->isValid());
    QDir root(root_->path());
    QVERIFY(root.mkpath("app/photosound") && root.mkpath("app/saveGPX") && root.mkpath("phone"));
    app_ = QDir(root.filePath("app"));
    phone_ = QDir(root.filePath("phone"));
    dialog_answers_.clear();
    dialog_setups_.clear();
    errors_.clear();
    notes_.clear();
    beeps_ = 0;
    form_ = open_form();
}

std::unique_ptr<Form1Widget> Form1WidgetTest::open_form()
{
    DesktopServices services;
    services.program_folder = [this] { return app_.path(); };
    services.choose_file = [this](QWidget*, const QString& folder, const QString& filters) {
        dialog_setups_ << folder + " | " + filters;
        return dialog_answers_.isEmpty() ? QString() : dialog_answers_.takeFirst();
    };
    services.show_error = [this](QWidget*, const QString& title, const QString& text) {
        QCOMPARE(title, QString("read values from phone"));
        errors_ << text;
    };
    services.show_information = [this](QWidget*, const QString&, const QString& text) { notes_ << text; };
    services.beep = [this] { ++beeps_; };
    auto form = std::make_unique<Form1Widget>(services);
    form->show();
    return form;
}

QString Form1WidgetTest::put_gpx(const QString& name, const QByteArray& text)
{
    QFile file(phone_file(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write the test GPX");
    return file.fileName();
}

void Form1WidgetTest::put_sample()
{
    QFile sample(QStringLiteral(TEST_DATA_DIR) + "/field-day.gpx");
    QVERIFY(sample.open(QIODevice::ReadOnly));
    put_gpx("field-day.gpx", sample.readAll());
    for (const char* photo : {"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"}) {
        QFile file(phone_file(photo));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("jpeg");
    }
}

void Form1WidgetTest::browse_to(const QString& path)
{
    dialog_answers_ << path;
    click(cmdBrowse());
}

void Form1WidgetTest::starts_with_only_browse_showing()
{
    QVERIFY(cmdBrowse()->isVisible());
    QVERIFY(!Command1()->isVisible());
    QCOMPARE(lblGPXfile()->text(), QString());
    QCOMPARE(lblDone()->text(), QString());
    QCOMPARE(form_->windowTitle(), QString("read values from phone"));
    QCOMPARE(form_->form_.app_folder(), app_.path().toStdString());
    QCOMPARE(QDir::currentPath(), app_.path());
    QCOMPARE(form_->form_.obs_count(), std::int16_t(0));
}

void Form1WidgetTest::choosing_a_file_reveals_the_read_button()
{
    const QString gpx = put_gpx("track.gpx", "");
    QDir::setCurrent(phone_.path());
    browse_to(gpx);
    QCOMPARE(lblGPXfile()->text(), gpx);
    QCOMPARE(form_->form_.gpx_name(), std::string("track.gpx"));
    QCOMPARE(form_->form_.gpx_folder(), phone_.path().toStdString() + "/");
    QVERIFY(Command1()->isVisible());
    QVERIFY(Command1()->isEnabled());
    QCOMPARE(QDir::currentPath(), app_.path());
}

void Form1WidgetTest::a_path_naming_nothing_gives_an_empty_name()
{
    browse_to(phone_file("gone.gpx"));
    QCOMPARE(form_->form_.gpx_name(), std::string());
    QCOMPARE(form_->form_.gpx_folder(), phone_file("gone.gpx").toStdString());
}

void Form1WidgetTest::import_reports_the_count_and_archives_at_close()
{
    put_sample();
    browse_to(phone_file("field-day.gpx"));
    // The read button has the keyboard, and Enter reads.
    QCOMPARE(form_->focusWidget(), Command1());
    QTest::keyClick(Command1(), Qt::Key_Return);
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
    QCOMPARE(lblDone()->text(), QString("Completed, 2 transit observations imported to database."));
    QCOMPARE(beeps_, 1);
    QVERIFY(Command1()->isVisible());
    QVERIFY(!Command1()->isEnabled());
    QCOMPARE(form_->focusWidget(), cmdBrowse());
    QVERIFY(QFile::exists(app_file("survey.csv")));
    QVERIFY(QFile::exists(app_file("photosound/p4.jpg")));

    form_->close();
    QVERIFY(errors_.isEmpty());
    QVERIFY(!QFile::exists(phone_file("field-day.gpx")));
    QVERIFY(QFile::exists(app_file("saveGPX/field-day.gpx")));
}

void Form1WidgetTest::import_error_is_shown_and_nothing_changes()
{
    const QString gpx = put_gpx("bad.gpx", "<?xml?>\n\t<wpt lat=\"north\" lon=\"2\">\n\t\t<ele>1</ele>\n");
    browse_to(gpx);
    click(Command1());
    QCOMPARE(errors_, QStringList{"Type mismatch\nbad.gpx, line 2\n\nLine 2 should start a waypoint (<wpt lat=\"..\" "
                                  "lon=\"..\">) or the track (<trk>) but holds \"wpt lat=\"north\" lon=\"2\">\"."});
    QCOMPARE(beeps_, 0);
    QCOMPARE(lblDone()->text(), QString());
    QVERIFY(Command1()->isVisible());
    QVERIFY(Command1()->isEnabled());
    QCOMPARE(form_->form_.obs_count(), std::int16_t(0));
    QVERIFY(!QFile::exists(app_file("survey.csv")));

    form_->close();
    QVERIFY(QFile::exists(gpx));
    QCOMPARE(errors_.size(), 1);
}

void Form1WidgetTest::captions_fit_their_controls()
{
    for (QPushButton* button : {cmdBrowse(), Command1()}) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QRect text = button->fontMetrics().boundingRect(button->text());
        QVERIFY2(text.width() <= room.width() && text.height() <= room.height(), qPrintable(button->text()));
    }
    QLabel* label = Label1();
    const QRect wrapped = label->fontMetrics().boundingRect(label->contentsRect(), Qt::TextWordWrap, label->text());
    QVERIFY(label->contentsRect().contains(wrapped));
    QVERIFY(caption_fits(lblDone(), "Completed, 32767 transit observations imported to database.", lblDone()->size()));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());
    // One scale for the whole design keeps its 941 by 202 proportions: the
    // design's size, or more for a wider font, unless the screen is smaller
    // (offscreen's is 800 wide); then about as wide as it, less the frame.
    const QRect screen = form_->screen()->availableGeometry();
    QVERIFY(form_->width() >= 941 || form_->width() + 50 >= screen.width());
    QVERIFY(form_->width() <= screen.width() && form_->height() <= screen.height());
    QVERIFY(qAbs(form_->width() / 941.0 - form_->height() / 202.0) < 0.01);
}

void Form1WidgetTest::done_label_is_red_and_bold()
{
    QCOMPARE(lblDone()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(lblDone()->font().bold());
    // Shrunk with the whole window where the screen is smaller than the design.
    const double shrink = form_->font().pointSizeF() / QApplication::font().pointSizeF();
    QCOMPARE(lblDone()->font().pointSizeF(), 9.75 * shrink);
    QVERIFY(Label1()->wordWrap());
}

void Form1WidgetTest::start_finishes_or_undoes_an_interrupted_import_data()
{
    QTest::addColumn<int>("dying_step");
    QTest::addColumn<QString>("note");
    QTest::addColumn<bool>("photos_moved");
    // Staging the survey takes steps 1 to 4, the journal 5 to 10, the photos
    // 11 to 14, their folders' syncs 15 and 16, the replace 17; then the
    // folder's sync and the journal's removal.
    QTest::newRow("after the first photo") << 12 << "The interrupted import of field-day.gpx has been undone: "
                                                  "survey.csv and the photos are as they were before it." << false;
    QTest::newRow("after the replace") << 18 << "The interrupted import of field-day.gpx has been completed: "
                                               "survey.csv holds its records and its photos are in photosound." << true;
}

void Form1WidgetTest::start_finishes_or_undoes_an_interrupted_import()
{
    QFETCH(int, dying_step);
    QFETCH(QString, note);
    QFETCH(bool, photos_moved);
    put_sample();
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        testing_support::FailingEffects dying;
        dying.die_at(dying_step);
        std::int16_t count = 0;
        survey::import_waypoints(dying, phone_file("field-day.gpx").toStdString(), phone_.path().toStdString() + "/",
                                 app_.path().toStdString(), count);
        ::_exit(1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    form_ = open_form();
    QTRY_COMPARE(notes_, QStringList{note});
    QVERIFY(errors_.isEmpty());
    QCOMPARE(QFile::exists(app_file("photosound/p1.jpg")), photos_moved);
    QCOMPARE(QFile::exists(phone_file("p1.jpg")), !photos_moved);
    QCOMPARE(QDir(app_.path()).entryList(QDir::Files), photos_moved ? QStringList{"survey.csv"} : QStringList{});
}

void Form1WidgetTest::a_path_that_is_not_utf8_imports()
{
    // As an SD card may name a folder: bytes that are not UTF-8.
    const QByteArray phone_bytes = QFile::encodeName(phone_.path()) + "/card\xff";
    QVERIFY(::mkdir(phone_bytes.constData(), 0755) == 0);
    const QByteArray gpx_bytes = phone_bytes + "/track.gpx";
    const std::string text = "<?xml?>\n\t<trk>\n";
    const int fd = ::open(gpx_bytes.constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()));
    ::close(fd);

    browse_to(QFile::decodeName(gpx_bytes));
    QCOMPARE(form_->form_.gpx_name(), std::string("track.gpx"));
    QCOMPARE(form_->form_.gpx_folder(), (phone_bytes + "/").toStdString());
    click(Command1());
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
    QCOMPARE(lblDone()->text(), QString("Completed, 0 transit observations imported to database."));
    // Qt cannot name these bytes to remove them.
    QVERIFY(::unlink(gpx_bytes.constData()) == 0 && ::rmdir(phone_bytes.constData()) == 0);
}

// The dialog offers GPX files first and opens in the demo phone folder; a
// photo chosen instead keeps its fault's kind and place, and says so.
void Form1WidgetTest::a_photo_chosen_by_mistake_says_which_file_to_choose()
{
    QVERIFY(app_.mkdir("demo phone"));
    const QString photo = put_gpx("photo.jpg", QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01", 17));
    browse_to(photo);
    QCOMPARE(dialog_setups_, QStringList{app_file("demo phone") + " | GPX files and shared tracks (*.gpx *.zip);;All files (*)"});
    click(Command1());
    QCOMPARE(errors_, QStringList{"Index out of range\nphoto.jpg, line 1\n\nThis is not a GPX file from the phone: it "
                                  "looks like a JPEG photo. Choose the track's GPX file, whose name ends in .gpx, in "
                                  "the folder copied from the phone."});
}

QTEST_MAIN(Form1WidgetTest)
#include "form1_widget_test.moc"
