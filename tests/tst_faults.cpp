// Faults of the session list file: it vanishes, turns into something else,
// grows absurd or is rewritten while it is read. After each, what the
// operator sees is checked, and that the panel goes on working.

#include "roommonitor.h"
#include "testsupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define SALLE30_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SALLE30_UNDER_ASAN 1
#endif
#endif

using namespace Qt::StringLiterals;
using room::TileState;

namespace {

// AddressSanitizer keeps freed memory in quarantine and pads every block, so
// resident memory says nothing about the program's own use there.
#ifdef SALLE30_UNDER_ASAN
constexpr bool MemoryIsMeasurable = false;
#else
constexpr bool MemoryIsMeasurable = true;
#endif

// A line of /proc/self/status in KiB: VmRSS (resident now), VmHWM (peak).
qint64 memoryKiB(const QByteArray &field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').front().toLongLong();
    return -1;
}

// Makes VmHWM start again from the resident memory of now.
void resetPeakMemory()
{
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// What the operator sees of the room: each tile's state with the captions
// it shows, and the hidden list of computers.
QString describeRoom(const room::RoomTiles &tiles, const QStringList &computers)
{
    QStringList parts;
    for (int n = 1; n <= room::StationCount; ++n) {
        const room::StationTile &tile = tiles.tile(n);
        switch (tile.state) {
        case TileState::NoSession:
            parts.append(u"-"_s);
            break;
        case TileState::InSession:
            parts.append(tile.userName + u' ' + tile.idleTime);
            break;
        case TileState::InSessionIdle:
            parts.append(tile.userName + u' ' + tile.idleTime + u" idle"_s);
            break;
        }
    }
    return parts.join(u" | "_s) + u" / "_s + computers.join(u',');
}

QString roomSeen(const RoomMonitor &monitor)
{
    return describeRoom(monitor.tiles(), monitor.Listpc().toStringList());
}

// The room that a read of exactly these bytes shows.
QString roomOf(const QByteArray &file)
{
    room::RoomTiles tiles;
    QStringList computers;
    for (const SessionRecord &record : parseSessionList(file.toStdString())) {
        computers.append(record.ComputerName);
        tiles.ApplySessionRecord(record.ComputerName, record.UserName, record.IdleTime);
    }
    return describeRoom(tiles, computers);
}

// Two listings with nothing in common, laid out as the command writes them.
const QByteArray RoomA = "Sessions de la salle 30\r\n" + sessionLine("PC3001", "USER01", "00:00:05") + "\r\n" +
                         sessionLine("PC3002", "USER02", "00:12:41") + "\r\n" +
                         sessionLine("PC3003", "USER03", "02:47:10") + "\r\n" +
                         sessionLine("PC1207", "USER33", "00:00:09") + "\r\n" +
                         sessionLine("PC3005", "USER05", "00:00:01") + "\r\nFin de la liste.\r\n";
const QByteArray RoomB = "Sessions de la salle 30\r\n" + sessionLine("PC3012", "ELEVE12", "00:01:00") + "\r\n" +
                         sessionLine("PC3011", "ELEVE11", "01:00:00") + "\r\n" +
                         sessionLine("PC3010", "", "00:00:00") + "\r\n" +
                         sessionLine("PC3009", "ELEVE09", "00:59:59") + "\r\n" +
                         sessionLine("PC3008", "ELEVE08", "00:10:10") + "\r\nFin de la liste.\r\n";

enum FileFault { Deleted, Directory, Fifo, Device, Emptied };

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sessionListFaults_data();
    void sessionListFaults();
    void unreadableFile();
    void hundredMegabyteLine();
    void millionRecordLines();
    void rewrittenWhileRead_data();
    void rewrittenWhileRead();
};

void TestFaults::sessionListFaults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("error"); // after "erreur ", or empty when the read works
    QTest::newRow("deleted between two refreshes") << int(Deleted) << u"2, No such file or directory"_s;
    QTest::newRow("replaced by a directory") << int(Directory) << u"21, Is a directory"_s;
    // Opening a FIFO waits for a writer; reading a device may never end.
    QTest::newRow("replaced by a FIFO") << int(Fifo) << u"22, Not a regular file"_s;
    QTest::newRow("link to an endless device") << int(Device) << u"22, Not a regular file"_s;
    QTest::newRow("emptied") << int(Emptied) << QString();
}

void TestFaults::sessionListFaults()
{
    QFETCH(int, fault);
    QFETCH(QString, error);

    TrialDrive drive;
    const QString file = drive.path(u"dcon.txt"_s);
    drive.writeSessionList(RoomA);
    RecordingLauncher launcher;
    ManualClock clock;
    RoomMonitor monitor(launcher, clock);
    monitor.Form_Load();
    QCOMPARE(roomSeen(monitor), roomOf(RoomA));

    drive.removeSessionList();
    switch (FileFault(fault)) {
    case Deleted:
        break;
    case Directory:
        QVERIFY(QDir().mkpath(file));
        break;
    case Fifo:
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        break;
    case Device:
        QVERIFY(QFile::link(u"/dev/zero"_s, file));
        break;
    case Emptied:
        drive.writeSessionList(QByteArray());
        break;
    }
    clock.time = clock.time.addSecs(30);
    monitor.Timer1_Timer();

    if (error.isEmpty()) {
        QCOMPARE(roomSeen(monitor), roomOf(QByteArray()));
        QVERIFY2(monitor.statusText().startsWith(u"Liste des sessions lue à 08:30:30"_s),
                 qPrintable(monitor.statusText()));
    } else {
        // The room read before stays, and the operator is told why and since when.
        QCOMPARE(roomSeen(monitor), roomOf(RoomA));
        QCOMPARE(monitor.statusText(), u"Lecture impossible de %1 : erreur %2. La salle affichée est celle lue à "
                                       u"08:30:00."_s.arg(file, error));
    }

    // Still up: once the file is back, the next refresh shows it.
    QDir().rmdir(file);
    QFile::remove(file);
    drive.writeSessionList(RoomB);
    clock.time = clock.time.addSecs(30);
    monitor.refresh_Click();
    QCOMPARE(roomSeen(monitor), roomOf(RoomB));
    QVERIFY2(monitor.statusText().startsWith(u"Liste des sessions lue à 08:31:00"_s),
             qPrintable(monitor.statusText()));
}

// Permissions do not stop root from reading: as root, the same test runs
// again as the user nobody, in a process of its own.
void TestFaults::unreadableFile()
{
    if (::geteuid() == 0) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody)
            QSKIP("running as root, where permissions do not stop a read, and there is no user nobody to run as");
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.setChildProcessModifier([uid, gid] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(77);
        });
        child.start(QCoreApplication::applicationFilePath(), {u"unreadableFile"_s});
        QVERIFY2(child.waitForFinished(60000), qPrintable(child.errorString()));
        const QByteArray output = child.readAll();
        if (child.exitCode() == 77)
            QSKIP("running as root, where permissions do not stop a read, and cannot become the user nobody");
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : TestFaults::unreadableFile()"), output.constData());
        return;
    }

    TrialDrive drive;
    const QString file = drive.path(u"dcon.txt"_s);
    drive.writeSessionList(RoomA);
    RecordingLauncher launcher;
    ManualClock clock;
    RoomMonitor monitor(launcher, clock);
    monitor.Form_Load();

    QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
    clock.time = clock.time.addSecs(30);
    monitor.Timer1_Timer();
    QCOMPARE(roomSeen(monitor), roomOf(RoomA));
    QCOMPARE(monitor.statusText(), u"Lecture impossible de %1 : erreur 13, Permission denied. La salle affichée est "
                                   u"celle lue à 08:30:00."_s.arg(file));

    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    drive.writeSessionList(RoomB);
    monitor.refresh_Click();
    QCOMPARE(roomSeen(monitor), roomOf(RoomB));
}

// One record line of 100 MiB: blanks between the user name and the idle
// time. The read holds a few kilobytes of it, and shows what the line says.
void TestFaults::hundredMegabyteLine()
{
    TrialDrive drive;
    {
        QFile file(drive.path(u"dcon.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\\\\PC3004               USER17");
        const QByteArray blanks(1024 * 1024, ' ');
        for (int i = 0; i < 100; ++i)
            QCOMPARE(file.write(blanks), blanks.size());
        file.write("00:12:41\r\n" + sessionLine("PC3009", "USER05", "02:47:10") + "\r\n");
    }
    RecordingLauncher launcher;
    ManualClock clock;
    RoomMonitor monitor(launcher, clock);

    resetPeakMemory();
    const qint64 before = memoryKiB("VmRSS");
    monitor.Form_Load();
    const qint64 growth = memoryKiB("VmHWM") - before;

    QCOMPARE(monitor.tiles().tile(4), (room::StationTile{TileState::InSession, u"USER17"_s, u"NOM"_s, u"00:12:41"_s}));
    QCOMPARE(monitor.tiles().tile(9),
             (room::StationTile{TileState::InSessionIdle, u"USER05"_s, u"NOM"_s, u"02:47:10"_s}));
    QCOMPARE(monitor.Listpc().toStringList(), (QStringList{u"PC3004"_s, u"PC3009"_s}));
    QVERIFY(!monitor.statusText().contains(u"impossible"_s));
    qInfo("peak memory growth reading a 100 MiB line: %lld KiB", growth);
    if (MemoryIsMeasurable)
        QVERIFY2(growth < 8 * 1024, qPrintable(u"grew by %1 KiB"_s.arg(growth)));
}

// A million record lines: every one is listed, and the tiles show the last
// record of each station, idle where any record said so.
void TestFaults::millionRecordLines()
{
    constexpr int Lines = 1000000;
    // Line i names computer i % 14: the twelve stations, one from another
    // room and one in lower case. Lines whose number is a multiple of 7 are
    // idle: they fall on computers 0 and 7, PC3001 and PC3008.
    const auto computer = [](int i) {
        const int c = i % 14;
        return c < 12 ? room::stationName(c + 1).toLatin1() : c == 12 ? QByteArray("PC1207") : "pc3004";
    };
    const auto user = [](int i) { return "USER" + QByteArray::number(i % 1000); };
    const auto idleTime = [](int i) {
        return i % 7 == 0 ? QByteArray("01:00:00") : "00:00:" + QByteArray::number(10 + i % 50);
    };
    TrialDrive drive;
    {
        // The lines repeat every 7000 (the least common multiple of 14,
        // 1000 and 350): written once, copied.
        constexpr int Period = 7000;
        QByteArray period;
        for (int i = 0; i < Period; ++i)
            period += sessionLine(computer(i), user(i), idleTime(i)) + "\r\n";
        QByteArray bytes = period.repeated(Lines / Period);
        for (int i = Lines / Period * Period; i < Lines; ++i)
            bytes += sessionLine(computer(i), user(i), idleTime(i)) + "\r\n";
        drive.writeSessionList(bytes);
    }
    RecordingLauncher launcher;
    ManualClock clock;
    RoomMonitor monitor(launcher, clock);
    QElapsedTimer timer;
    timer.start();
    monitor.Form_Load();
    qInfo("read of %d record lines: %lld ms", Lines, timer.elapsed());

    QCOMPARE(monitor.Listpc().count(), Lines);
    QCOMPARE(monitor.Listpc().at(0), u"PC3001"_s);
    QCOMPARE(monitor.Listpc().at(Lines - 1), QString::fromLatin1(computer(Lines - 1)));
    for (int n = 1; n <= room::StationCount; ++n) {
        int last = Lines - 1;
        while (last % 14 != n - 1)
            --last;
        const TileState state = (n == 1 || n == 8) ? TileState::InSessionIdle : TileState::InSession;
        QCOMPARE(monitor.tiles().tile(n), (room::StationTile{state, QString::fromLatin1(user(last)), u"NOM"_s,
                                                             QString::fromLatin1(idleTime(last))}));
    }
}

void TestFaults::rewrittenWhileRead_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("wholeFilesOnly");
    QTest::newRow("write then rename") << u"rename"_s << true;
    QTest::newRow("truncate and write") << u"truncate"_s << false;
}

// A writer rewrites the file without pause, alternating two rooms, while the
// panel refreshes hundreds of times. Renaming a whole file into place shows
// exactly one room or the other; truncating and writing may show any prefix
// of either, a cut last line included.
void TestFaults::rewrittenWhileRead()
{
    QFETCH(QString, mode);
    QFETCH(bool, wholeFilesOnly);

    TrialDrive drive;
    const QString roomA = drive.path(u"roomA.txt"_s);
    const QString roomB = drive.path(u"roomB.txt"_s);
    const QString stop = drive.path(u"stop"_s);
    for (const auto &[path, bytes] : {std::pair{roomA, RoomA}, std::pair{roomB, RoomB}}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    drive.writeSessionList(RoomA);

    QSet<QString> possible = {roomOf(RoomA), roomOf(RoomB)};
    if (!wholeFilesOnly) {
        for (const QByteArray &room : {RoomA, RoomB})
            for (qsizetype size = 0; size < room.size(); ++size)
                possible.insert(roomOf(room.first(size)));
    }

    QProcess writer;
    writer.start(QStringLiteral(SALLE30_TEST_SCRIPTS "/rewrite-loop"),
                 {mode, drive.path(u"dcon.txt"_s), stop, roomA, roomB});
    QVERIFY(writer.waitForStarted());
    const auto stopWriter = qScopeGuard([&] {
        QFile(stop).open(QIODevice::WriteOnly);
        if (!writer.waitForFinished(10000))
            writer.kill();
        writer.waitForFinished();
    });

    RecordingLauncher launcher;
    ManualClock clock;
    RoomMonitor monitor(launcher, clock);
    monitor.Form_Load();
    int refreshes = 0;
    int changes = 0;
    int partial = 0;
    QString previous = roomSeen(monitor);
    QDeadlineTimer deadline(60000);
    while ((refreshes < 500 || changes < 50) && !deadline.hasExpired()) {
        monitor.refresh_Click();
        ++refreshes;
        const QString seen = roomSeen(monitor);
        QVERIFY2(possible.contains(seen), qPrintable(u"refresh %1 shows %2"_s.arg(refreshes).arg(seen)));
        QVERIFY2(!monitor.statusText().contains(u"impossible"_s), qPrintable(monitor.statusText()));
        if (seen != previous)
            ++changes;
        if (seen != roomOf(RoomA) && seen != roomOf(RoomB))
            ++partial;
        previous = seen;
    }
    QFile(stop).open(QIODevice::WriteOnly);
    QVERIFY(writer.waitForFinished(10000));
    QCOMPARE(writer.exitCode(), 0);
    qInfo("%d refreshes, %d changes of room, %d partial files, %s rewrites", refreshes, changes, partial,
          writer.readAllStandardOutput().trimmed().constData());
    QVERIFY2(changes >= 50, qPrintable(u"the room changed only %1 times"_s.arg(changes)));
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
