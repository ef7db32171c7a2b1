#include "clock.h"
#include "launcher.h"
#include "salle30window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Made before the application, so they outlive the window however late
    // Qt deletes it.
    HostLauncher launcher;
    SystemClock clock;

    QApplication app(argc, argv);
    // The window deletes itself when it is closed.
    auto *window = new Salle30(launcher, clock);
    window->show();
    return app.exec();
}
