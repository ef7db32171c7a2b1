// Shutting down one station and the whole room.

#include "roommonitor.h"
#include "roomshutdown.h"
#include "shutdowncommand.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Warning = u"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre session et "
                        u"sortir de la salle dans les 5 minutes."_s;

QString commandFor(const QString &station)
{
    return u"d:\\talvero\\shutcmd.exe \\\\"_s + station + u" /R /T:120 \""_s + Warning + u'"';
}

// A room shutdown wired as the panel wires it, each button's Tag being its
// station's name.
struct Room {
    RecordingLauncher launcher;
    RoomShutdown shutdown{launcher, [](int n) { return room::stationName(n); }, [] { return shutdownArguments(); }};

    QList<int> activeChainTimers() const
    {
        QList<int> active;
        for (int k = 2; k <= room::StationCount; ++k)
            if (shutdown.chainTimer(k)->isActive())
                active.append(k);
        return active;
    }
    QStringList stationsLaunched() const
    {
        QStringList stations;
        for (const QString &line : launcher.launched)
            stations.append(line.section(u' ', 1, 1).mid(2));
        return stations;
    }
    // Virtual time in seconds. A chain timer enabled at time t is due at
    // t + 10; at() delivers the ticks that fall due, in order, as the event
    // loop would, and notes when each launch happened.
    int now = 0;
    QMap<int, int> due;
    QList<int> launchTimes;

    void sync()
    {
        for (int k = 2; k <= room::StationCount; ++k) {
            if (!shutdown.chainTimer(k)->isActive())
                due.remove(k);
            else if (!due.contains(k))
                due.insert(k, now + 10);
        }
        while (launchTimes.size() < launcher.launched.size())
            launchTimes.append(now);
    }
    void at(int time)
    {
        sync();
        for (;;) {
            auto next = std::min_element(due.cbegin(), due.cend());
            if (next == due.cend() || *next > time)
                break;
            now = *next;
            const int k = next.key();
            due.remove(k);
            shutdown.chainTick(k);
            sync();
        }
        now = time;
    }
    void choose(int time)
    {
        at(time);
        shutdown.Stopall_Click();
        sync();
    }
    bool tickNext()
    {
        sync();
        if (due.isEmpty())
            return false;
        at(*std::min_element(due.cbegin(), due.cend()));
        return true;
    }
};

QStringList allStations()
{
    QStringList names;
    for (int n = 1; n <= room::StationCount; ++n)
        names.append(room::stationName(n));
    return names;
}

} // namespace

class TestShutdown : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandLines_data();
    void commandLines();
    void chainTimersAtStart();
    void roomInStationOrder();
    void secondChoiceWithinTenSeconds();
    void secondChoiceLater();
    void clickDuringChain();
    void failedLaunchGoesOn();
    void progressInStatus();
};

void TestShutdown::commandLines_data()
{
    QTest::addColumn<int>("station");
    QTest::addColumn<QString>("expected");
    for (int n = 1; n <= room::StationCount; ++n) {
        const QString name = room::stationName(n);
        QTest::newRow(qPrintable(name)) << n << commandFor(name);
    }
}

void TestShutdown::commandLines()
{
    QFETCH(int, station);
    QFETCH(QString, expected);
    Room room;
    room.shutdown.stationClick(station);
    QCOMPARE(room.launcher.launched, QStringList{expected});
    QCOMPARE(room.launcher.launched.front().size(), 169);
    QCOMPARE(shutdownArguments().size(), 137);
    QCOMPARE(Warning.size(), 125);
}

void TestShutdown::chainTimersAtStart()
{
    Room room;
    for (int k = 2; k <= room::StationCount; ++k) {
        QTimer *timer = room.shutdown.chainTimer(k);
        QCOMPARE(timer->objectName(), u"Timer%1"_s.arg(k));
        QCOMPARE(timer->interval(), 10000);
        QVERIFY(!timer->isActive());
    }
}

void TestShutdown::roomInStationOrder()
{
    Room room;
    room.shutdown.Stopall_Click();
    QCOMPARE(room.stationsLaunched(), QStringList{u"PC3001"_s});
    QCOMPARE(room.activeChainTimers(), QList<int>{2});

    for (int k = 2; k <= room::StationCount; ++k) {
        QCOMPARE(room.activeChainTimers(), QList<int>{k});
        room.shutdown.chainTick(k);
        QCOMPARE(room.stationsLaunched().size(), k);
    }
    QCOMPARE(room.stationsLaunched(), allStations());
    QVERIFY(room.activeChainTimers().isEmpty());
    QVERIFY(!room.tickNext());
}

void TestShutdown::secondChoiceWithinTenSeconds()
{
    Room room;
    room.choose(0);
    room.choose(5);
    QCOMPARE(room.activeChainTimers(), QList<int>{2});
    room.at(1000);
    QStringList expected = allStations();
    expected.prepend(u"PC3001"_s);
    QCOMPARE(room.stationsLaunched(), expected);
    QCOMPARE(room.launchTimes.mid(0, 3), (QList<int>{0, 5, 10}));
}

void TestShutdown::secondChoiceLater()
{
    Room room;
    room.choose(0);
    room.choose(25);
    QCOMPARE(room.activeChainTimers(), (QList<int>{2, 4}));
    room.at(1000);
    QVERIFY(room.activeChainTimers().isEmpty());

    // Two interleaved chains: every station twice, the second launch 25
    // seconds after the first, the first (n - 1) * 10 seconds after the start.
    const QStringList launched = room.stationsLaunched();
    for (int n = 1; n <= room::StationCount; ++n) {
        const QString station = room::stationName(n);
        const qsizetype first = launched.indexOf(station);
        const qsizetype second = launched.indexOf(station, first + 1);
        QVERIFY2(second > first, qPrintable(station));
        QCOMPARE(launched.count(station), 2);
        QCOMPARE(room.launchTimes[first], (n - 1) * 10);
        QCOMPARE(room.launchTimes[second], (n - 1) * 10 + 25);
    }
}

void TestShutdown::clickDuringChain()
{
    Room room;
    room.shutdown.Stopall_Click();
    room.shutdown.chainTick(2);
    room.shutdown.stationClick(9);
    QCOMPARE(room.activeChainTimers(), QList<int>{3});
    while (room.tickNext()) {
    }
    QStringList expected = allStations();
    expected.insert(2, u"PC3009"_s);
    QCOMPARE(room.stationsLaunched(), expected);
}

void TestShutdown::failedLaunchGoesOn()
{
    TrialDrive drive;
    Room room;
    room.launcher.failingPrefix = commandFor(u"PC3003"_s);
    room.shutdown.Stopall_Click();
    while (room.tickNext()) {
    }
    QCOMPARE(room.stationsLaunched(), allStations());
    const QString status = room.shutdown.statusText();
    QVERIFY2(status.contains(u"PC3003 : erreur 2, No such file or directory"_s), qPrintable(status));
    QVERIFY2(status.contains(drive.path(u"shutcmd.exe"_s)), qPrintable(status));
    QVERIFY2(!status.contains(u"PC3004"_s), qPrintable(status));

    // The same error for several stations makes one sentence; a later
    // successful launch for a station takes it off.
    room.launcher.failingPrefix = u"d:\\talvero\\shutcmd.exe"_s;
    room.shutdown.stationClick(4);
    QVERIFY2(room.shutdown.statusText().contains(u"PC3003, PC3004 : erreur 2"_s), qPrintable(room.shutdown.statusText()));
    room.launcher.failingPrefix.clear();
    room.shutdown.stationClick(3);
    room.shutdown.stationClick(4);
    QCOMPARE(room.shutdown.statusText(), QString());
}

void TestShutdown::progressInStatus()
{
    Room room;
    QCOMPARE(room.shutdown.statusText(), QString());
    QSignalSpy changes(&room.shutdown, &RoomShutdown::statusChanged);
    room.shutdown.Stopall_Click();
    QVERIFY(changes.size() >= 1);
    QVERIFY2(room.shutdown.statusText().contains(QRegularExpression(u"^Extinction de la salle : PC3002 dans (9|10) s\\.$"_s)),
             qPrintable(room.shutdown.statusText()));
    room.shutdown.chainTick(2);
    QVERIFY(room.shutdown.statusText().startsWith(u"Extinction de la salle : PC3003 dans"_s));
    while (room.tickNext()) {
    }
    QCOMPARE(room.shutdown.statusText(), QString());
}

QTEST_GUILESS_MAIN(TestShutdown)
#include "tst_shutdown.moc"
