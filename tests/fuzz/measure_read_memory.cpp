// Reads one session list file the way the panel does, through the room
// model's load step (with a launcher that starts nothing), and prints what
// the read cost: the records listed, the time, and resident memory before the
// read and at its peak.
//
//   measure_read_memory FILE

#include "roommonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

class NoLauncher final : public Launcher {
public:
    std::optional<LaunchFailure> launch(const QString &) override { return std::nullopt; }
};

// A line of /proc/self/status in KiB: VmRSS (resident now), VmHWM (peak).
qint64 memoryKiB(const char *field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').front().toLongLong();
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const QString file = QFileInfo(QFile::decodeName(argv[1])).absoluteFilePath();

    // A drive D: of its own whose session list file is the file measured.
    QTemporaryDir drive;
    QDir(drive.path()).mkpath(u"talvero"_s);
    if (!QFile::link(file, drive.filePath(u"talvero/dcon.txt"_s))) {
        std::fprintf(stderr, "cannot link %s\n", qPrintable(file));
        return 1;
    }
    qputenv("SALLE30_DRIVE_D", QFile::encodeName(drive.path()));

    NoLauncher launcher;
    SystemClock clock;
    RoomMonitor monitor(launcher, clock);

    // Start the peak from here (Linux 4.0 and later), so that it is the read's.
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const qint64 before = memoryKiB("VmRSS");
    QElapsedTimer timer;
    timer.start();
    monitor.Form_Load();
    const qint64 elapsed = timer.elapsed();
    const qint64 peak = memoryKiB("VmHWM");

    std::printf("file %lld bytes, %lld records listed, read in %lld ms\n", QFileInfo(file).size(),
                monitor.Listpc().count(), elapsed);
    std::printf("resident before %lld KiB, peak %lld KiB, growth %lld KiB\n", before, peak, peak - before);
    std::printf("status: %s\n", qPrintable(monitor.statusText()));
    return 0;
}
