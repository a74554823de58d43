#include "ui/form1_widget.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Form1Widget window;
    window.show();
    return app.exec();
}
