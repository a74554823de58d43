#include "ui/desktop_services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

DesktopServices real_desktop()
{
    DesktopServices services;
    services.program_folder = [] { return QCoreApplication::applicationDirPath(); };
    services.choose_file = [](QWidget* parent, const QString& folder, const QString& filters) {
        return QFileDialog::getOpenFileName(parent, {}, folder, filters);
    };
    services.show_error = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::critical(parent, title, text);
    };
    services.show_information = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::information(parent, title, text);
    };
    services.beep = [] { QApplication::beep(); };
    return services;
}
