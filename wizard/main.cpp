#include "platform/app.h"

#include <QApplication>

int main(int argc, char** argv)
{
    App::init(argc, argv);
    QApplication app(argc, argv);
    return app.exec();
}
