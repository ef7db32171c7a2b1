// measure_read_memory FILE: reads the file as the panel reads its session
// list, through the room model's load step, and prints the records listed,
// the time, and resident memory before the read and at its peak.

#include "roommonitor.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const QFileInfo file(QFile::decodeName(argv[1]));
    const TrialDrive drive;
    if (!QFile::link(file.absoluteFilePath(), drive.path(QStringLiteral("dcon.txt")))) {
        std::fprintf(stderr, "cannot link %s\n", argv[1]);
        return 1;
    }
    RecordingLauncher launcher;
    SystemClock clock;
    RoomMonitor monitor(launcher, clock);

    resetPeakMemory();
    const qint64 before = memoryKiB("VmRSS");
    QElapsedTimer timer;
    timer.start();
    monitor.Form_Load();
    const qint64 elapsed = timer.elapsed();
    const qint64 peak = memoryKiB("VmHWM");

    std::printf("file %lld bytes, %lld records listed, read in %lld ms\n", file.size(), monitor.Listpc().count(),
                elapsed);
    std::printf("resident before %lld KiB, peak %lld KiB, growth %lld KiB\nstatus: %s\n", before, peak, peak - before,
                qPrintable(monitor.statusText()));
    return 0;
}
