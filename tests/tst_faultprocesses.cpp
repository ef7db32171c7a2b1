// Outside programs that are missing, refuse to start, end at once or never
// end: the session list command and the shutdown tool, launched for real.
// The panel never waits for them; a launch that fails is named on the
// status line and everything else goes on.

#include "roommonitor.h"
#include "roomshutdown.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <fcntl.h>
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

namespace {

// AddressSanitizer keeps freed memory in quarantine and pads every block, so
// resident memory says nothing about the program's own use there.
#ifdef SALLE30_UNDER_ASAN
constexpr bool MemoryIsMeasurable = false;
#else
constexpr bool MemoryIsMeasurable = true;
#endif

// Copies a stand-in from tests/scripts to d:\talvero\<name> of the drive.
void installStandIn(const TrialDrive &drive, const QString &standIn, const QString &name, bool executable = true)
{
    const QString target = drive.path(name);
    QFile::remove(target);
    QVERIFY(QFile::copy(QStringLiteral(SALLE30_TEST_SCRIPTS "/") + standIn, target));
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    QVERIFY(QFile::setPermissions(target, permissions));
}

QList<qint64> numbersIn(const QString &path)
{
    QList<qint64> numbers;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray &line : file.readAll().split('\n'))
            if (!line.isEmpty())
                numbers.append(line.toLongLong());
    return numbers;
}

int openFileDescriptors()
{
    return int(QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// Children of this process that have ended and were never reaped.
int zombieChildren()
{
    int zombies = 0;
    const QString me = QString::number(::getpid());
    for (const QString &pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        QFile stat(u"/proc/"_s + pid + u"/stat"_s);
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid ...: the command name may hold blanks.
        const QString line = QString::fromLatin1(stat.readAll());
        const QStringList fields = line.mid(line.lastIndexOf(u')') + 2).split(u' ');
        if (fields.size() > 1 && fields[0] == u"Z" && fields[1] == me)
            ++zombies;
    }
    return zombies;
}

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

const QByteArray Room = "Sessions de la salle 30\r\n" + sessionLine("PC3001", "USER01", "00:00:05") + "\r\n" +
                       sessionLine("PC3003", "USER03", "02:47:10") + "\r\n" +
                       sessionLine("PC1207", "USER33", "00:00:09") + "\r\nFin de la liste.\r\n";

// Whether the monitor shows exactly what a read of Room gives.
bool showsRoom(const RoomMonitor &monitor)
{
    room::RoomTiles tiles;
    for (const SessionRecord &record : parseSessionList(Room.toStdString()))
        tiles.ApplySessionRecord(record.ComputerName, record.UserName, record.IdleTime);
    return monitor.tiles() == tiles &&
           monitor.Listpc().toStringList() == QStringList{u"PC3001"_s, u"PC3003"_s, u"PC1207"_s};
}

// The programs started from the hold-until-released stand-in installed at
// `path`: each waits for a line on the FIFO <path>.release, which only this
// object writes, so none can end before release(). Whatever still runs when
// this object ends is killed.
class HeldPrograms {
public:
    explicit HeldPrograms(const QString &path) : m_path(path)
    {
        const QByteArray fifo = QFile::encodeName(path + u".release"_s);
        // Held open for reading and writing: a program that opens the FIFO
        // late still finds its line, and a closed end never blocks anyone.
        if (::mkfifo(fifo.constData(), 0600) == 0)
            m_fifo = ::open(fifo.constData(), O_RDWR | O_CLOEXEC);
    }
    ~HeldPrograms()
    {
        const QList<qint64> ended = numbersIn(m_path + u".ended"_s);
        for (qint64 pid : numbersIn(m_path + u".pids"_s))
            if (!ended.contains(pid))
                ::kill(pid_t(pid), SIGKILL);
        if (m_fifo >= 0)
            ::close(m_fifo);
    }
    HeldPrograms(const HeldPrograms &) = delete;
    HeldPrograms &operator=(const HeldPrograms &) = delete;

    bool isValid() const { return m_fifo >= 0; }
    qsizetype started() const { return numbersIn(m_path + u".pids"_s).size(); }
    qsizetype ended() const { return numbersIn(m_path + u".ended"_s).size(); }
    // Lets `count` programs go.
    bool release(qsizetype count)
    {
        const QByteArray lines(count, '\n');
        return ::write(m_fifo, lines.constData(), std::size_t(lines.size())) == lines.size();
    }

private:
    QString m_path;
    int m_fifo = -1;
};

} // namespace

class TestFaultProcesses : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sessionCommandFaults_data();
    void sessionCommandFaults();
    void shutdownToolFaults_data();
    void shutdownToolFaults();
    void thousandRefreshesAndLaunches();
};

void TestFaultProcesses::sessionCommandFaults_data()
{
    QTest::addColumn<QString>("standIn"); // empty: no program at all
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("launchError");
    QTest::newRow("missing") << QString() << false << u"2, No such file or directory"_s;
    QTest::newRow("not executable") << u"count-runs"_s << false << u"13, Permission denied"_s;
    QTest::newRow("ends at once") << u"count-runs"_s << true << QString();
    QTest::newRow("never ends") << u"hold-until-released"_s << true << QString();
}

// Whatever the session list command does, every refresh still reads the file
// and returns at once; a launch that fails is named on the status line.
void TestFaultProcesses::sessionCommandFaults()
{
    QFETCH(QString, standIn);
    QFETCH(bool, executable);
    QFETCH(QString, launchError);

    TrialDrive drive;
    drive.writeSessionList(Room);
    const QString command = drive.path(u"session.bat"_s);
    if (!standIn.isEmpty())
        installStandIn(drive, standIn, u"session.bat"_s, executable);
    HeldPrograms held(command);
    QVERIFY(held.isValid());

    HostLauncher launcher;
    ManualClock clock;
    RoomMonitor monitor(launcher, clock);
    monitor.Form_Load();
    clock.time = clock.time.addSecs(30);
    monitor.Timer1_Timer();
    monitor.refresh_Click();

    QVERIFY(showsRoom(monitor));
    const QString status = monitor.statusText();
    QVERIFY2(status.contains(u"Liste des sessions lue à 08:30:30"_s), qPrintable(status));
    if (launchError.isEmpty()) {
        QVERIFY2(!status.contains(u"Lancement"_s), qPrintable(status));
    } else {
        QVERIFY2(status.startsWith(u"Lancement impossible de %1 : erreur %2.  "_s.arg(command, launchError)),
                 qPrintable(status));
    }

    if (standIn == u"count-runs" && executable)
        QTRY_COMPARE(numbersIn(command + u".runs"_s).size(), 3);
    if (standIn == u"hold-until-released") {
        // All three refreshes returned while their runs were still waiting
        // for a release that only comes now.
        QTRY_COMPARE(held.started(), 3);
        QCOMPARE(held.ended(), 0);
        QVERIFY(held.release(3));
        QTRY_COMPARE(held.ended(), 3);
    }
}

void TestFaultProcesses::shutdownToolFaults_data()
{
    QTest::addColumn<QString>("standIn");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("launchError");
    QTest::newRow("missing") << QString() << false << u"2, No such file or directory"_s;
    QTest::newRow("not executable") << u"count-runs"_s << false << u"13, Permission denied"_s;
    QTest::newRow("never ends") << u"hold-until-released"_s << true << QString();
}

// Whatever the shutdown tool does, a click returns at once and a room
// shutdown goes through all twelve stations on its timers.
void TestFaultProcesses::shutdownToolFaults()
{
    QFETCH(QString, standIn);
    QFETCH(bool, executable);
    QFETCH(QString, launchError);

    TrialDrive drive;
    const QString tool = drive.path(u"shutcmd.exe"_s);
    if (!standIn.isEmpty())
        installStandIn(drive, standIn, u"shutcmd.exe"_s, executable);
    HeldPrograms held(tool);
    QVERIFY(held.isValid());

    HostLauncher launcher;
    RoomShutdown shutdown(launcher, [](int n) { return room::stationName(n); }, [] { return shutdownArguments(); });
    shutdown.stationClick(4);
    shutdown.Stopall_Click();
    for (int k = 2; k <= room::StationCount; ++k) {
        QVERIFY2(shutdown.chainTimer(k)->isActive(), qPrintable(u"Timer%1"_s.arg(k)));
        shutdown.chainTick(k);
        QVERIFY(!shutdown.chainTimer(k)->isActive());
    }
    for (int k = 2; k <= room::StationCount; ++k)
        QVERIFY(!shutdown.chainTimer(k)->isActive());

    if (launchError.isEmpty()) {
        QCOMPARE(shutdown.statusText(), QString());
    } else {
        QStringList stations;
        for (int n = 1; n <= room::StationCount; ++n)
            stations.append(room::stationName(n));
        QCOMPARE(shutdown.statusText(),
                 u"Arrêt non lancé pour %1 : erreur %2 (%3)."_s.arg(stations.join(u", "_s), launchError, tool));
    }
    if (standIn == u"hold-until-released") {
        // Thirteen launches returned while every tool they started waits.
        QTRY_COMPARE(held.started(), 13);
        QCOMPARE(held.ended(), 0);
        QVERIFY(held.release(13));
        QTRY_COMPARE(held.ended(), 13);
    }
}

// A thousand refreshes and a thousand shutdown launches through the host:
// no zombie, no descriptor left open, resident memory flat after warm-up.
void TestFaultProcesses::thousandRefreshesAndLaunches()
{
    TrialDrive drive;
    drive.writeSessionList(Room);
    installStandIn(drive, u"count-runs"_s, u"session.bat"_s);
    installStandIn(drive, u"count-runs"_s, u"shutcmd.exe"_s);
    const auto runs = [&](const QString &name) { return numbersIn(drive.path(name + u".runs"_s)).size(); };

    HostLauncher launcher;
    ManualClock clock;
    RoomMonitor monitor(launcher, clock);
    RoomShutdown shutdown(launcher, [](int n) { return room::stationName(n); }, [] { return shutdownArguments(); });
    monitor.Form_Load();
    constexpr int WarmUp = 50;
    for (int i = 1; i < WarmUp; ++i) {
        monitor.refresh_Click();
        shutdown.stationClick(1 + i % room::StationCount);
    }
    shutdown.stationClick(1);
    QTRY_COMPARE_WITH_TIMEOUT(runs(u"session.bat"_s), WarmUp, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(runs(u"shutcmd.exe"_s), WarmUp, 20000);

    const int descriptorsBefore = openFileDescriptors();
    const int zombiesBefore = zombieChildren();
    const qint64 residentBefore = memoryKiB("VmRSS");
    constexpr int Rounds = 1000;
    for (int i = 0; i < Rounds; ++i) {
        clock.time = clock.time.addSecs(30);
        monitor.Timer1_Timer();
        shutdown.stationClick(1 + i % room::StationCount);
    }
    QTRY_COMPARE_WITH_TIMEOUT(runs(u"session.bat"_s), WarmUp + Rounds, 60000);
    QTRY_COMPARE_WITH_TIMEOUT(runs(u"shutcmd.exe"_s), WarmUp + Rounds, 60000);
    const int descriptorsAfter = openFileDescriptors();
    const int zombiesAfter = zombieChildren();
    const qint64 residentAfter = memoryKiB("VmRSS");
    qInfo("descriptors %d -> %d, zombies %d -> %d, resident %lld -> %lld KiB (%+lld KiB)", descriptorsBefore,
          descriptorsAfter, zombiesBefore, zombiesAfter, residentBefore, residentAfter, residentAfter - residentBefore);

    QVERIFY(showsRoom(monitor));
    QCOMPARE(monitor.statusText().contains(u"impossible"_s), false);
    QCOMPARE(shutdown.statusText(), QString());
    QCOMPARE(descriptorsAfter, descriptorsBefore);
    QCOMPARE(zombiesAfter, 0);
    if (MemoryIsMeasurable)
        QVERIFY2(residentAfter - residentBefore < 1024,
                 qPrintable(u"resident memory grew by %1 KiB"_s.arg(residentAfter - residentBefore)));
}

QTEST_GUILESS_MAIN(TestFaultProcesses)
#include "tst_faultprocesses.moc"
