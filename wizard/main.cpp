#include "platform/app.h"
#include "wizard/root.h"

#include <QApplication>

int main(int argc, char** argv)
{
    App::init(argc, argv);
    QApplication app(argc, argv);
    root window;
    window.create();
    window.centreOnScreen();
    window.show();
    return app.exec();
}
