#include "salle30window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Salle30 window;
    window.show();
    return app.exec();
}
