#include "platform.h"
#include "panelwidgets.h"
#include "salle30window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // QApplication sets the locale from the environment (setlocale(LC_ALL,
    // "")), which the session list's code page follows.
    QApplication app(argc, argv);
    QApplication::setStyle(new PanelStyle);
    // The window deletes itself when it is closed; the host lives as long
    // as the program.
    auto *window = new Salle30(platform::systemHost());
    window->show();
    return app.exec();
}
