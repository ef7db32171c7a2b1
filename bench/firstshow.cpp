// Opens one window and, once it has been painted for the first time, writes
//
//   shown <CLOCK_MONOTONIC nanoseconds> <width>x<height> <peak resident KiB>
//
// on standard output and leaves. The clock is the system-wide monotonic one,
// so the parent that started this process can subtract its own start time.
// The peak resident memory is this process's own (VmHWM): the figure that
// wait4() reports for a child would also count the parent's memory, which
// the child's address space shares until exec.
//
// Built twice from this file:
//   salle30-bench-window  the panel, made as main() makes it: the host
//                         launcher, the system clock and Salle30, whose
//                         load step refreshes once from SALLE30_DRIVE_D;
//   salle30-bench-bare    an empty QMainWindow of the size WIDTHxHEIGHT
//                         given as the one argument, linked against
//                         QtWidgets alone.

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#ifdef SALLE30_BENCH_PANEL
#include "panelwidgets.h"
#include "platform.h"
#include "salle30window.h"
#endif

namespace {

long peakResidentKiB()
{
    long kib = -1;
    if (std::FILE *status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::strncmp(line, "VmHWM:", 6) == 0)
                kib = std::strtol(line + 6, nullptr, 10);
        }
        std::fclose(status);
    }
    return kib;
}

// Reports after the first paint of the window has finished: the paint event
// of the top-level widget comes first in a repaint, its children's after it,
// so the report waits for the event loop to come round again.
class FirstPaint final : public QObject {
public:
    explicit FirstPaint(QWidget *window) : m_window(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, this, [this] { report(); });
        }
        return false;
    }

private:
    void report()
    {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("shown %lld %dx%d %ld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                    m_window->width(), m_window->height(), peakResidentKiB());
        std::fflush(stdout);
        QCoreApplication::quit();
    }

    QWidget *m_window;
    bool m_seen = false;
};

} // namespace

int main(int argc, char *argv[])
{
#ifdef SALLE30_BENCH_PANEL
    QApplication app(argc, argv);
    QApplication::setStyle(new PanelStyle);
    auto *window = new Salle30(platform::systemHost());
#else
    int width = 0;
    int height = 0;
    if (argc != 2 || std::sscanf(argv[1], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "usage: salle30-bench-bare WIDTHxHEIGHT\n");
        return 2;
    }
    QApplication app(argc, argv);
    auto *window = new QMainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(width, height);
#endif
    FirstPaint firstPaint(window);
    window->show();
    return app.exec();
}
