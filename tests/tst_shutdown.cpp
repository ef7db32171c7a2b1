// Shutting down one station and the whole room.

#include "roommonitor.h"
#include "roomshutdown.h"
#include "testsupport.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString commandFor(const QString &station)
{
    return u"d:\\talvero\\shutcmd.exe \\\\"_s + station
        + u" /R /T:120 \"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre session et "
          u"sortir de la salle dans les 5 minutes.\""_s;
}

// A room shutdown wired as the panel wires it, on virtual time in seconds:
// a chain timer enabled at time t falls due at t + 10, and at() delivers the
// ticks that fall due, in order, as the event loop would. Every launch is
// noted as "<time> <station>".
struct Room {
    RecordingLauncher launcher;
    RoomShutdown shutdown{launcher, [](int n) { return room::stationName(n); }, [] { return shutdownArguments(); }};
    int now = 0;
    QMap<int, int> due;
    QStringList launches;

    void sync()
    {
        for (int k = 2; k <= room::StationCount; ++k) {
            if (!shutdown.chainTimer(k)->isActive())
                due.remove(k);
            else if (!due.contains(k))
                due.insert(k, now + 10);
        }
        for (qsizetype i = launches.size(); i < launcher.launched.size(); ++i)
            launches.append(u"%1 %2"_s.arg(now).arg(launcher.launched[i].section(u' ', 1, 1).mid(2)));
    }
    void at(int time)
    {
        sync();
        for (auto next = std::min_element(due.cbegin(), due.cend()); next != due.cend() && *next <= time;
             next = std::min_element(due.cbegin(), due.cend())) {
            now = *next;
            const int k = next.key();
            due.remove(k);
            shutdown.chainTick(k);
            sync();
        }
        now = time;
    }
    bool anyChainTimerActive() const
    {
        for (int k = 2; k <= room::StationCount; ++k)
            if (shutdown.chainTimer(k)->isActive())
                return true;
        return false;
    }
};

} // namespace

class TestShutdown : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandLines_data();
    void commandLines();
    void chain_data();
    void chain();
    void failedLaunchGoesOn();
    void progressInStatus();
};

void TestShutdown::commandLines_data()
{
    QTest::addColumn<int>("station");
    for (int n = 1; n <= room::StationCount; ++n)
        QTest::newRow(qPrintable(room::stationName(n))) << n;
}

void TestShutdown::commandLines()
{
    QFETCH(int, station);
    Room room;
    room.shutdown.stationClick(station);
    QCOMPARE(room.launcher.launched, QStringList{commandFor(room::stationName(station))});
    QCOMPARE(room.launcher.launched.front().size(), 169);
    QVERIFY(!room.anyChainTimerActive());
    if (station > 1) {
        QCOMPARE(room.shutdown.chainTimer(station)->objectName(), u"Timer%1"_s.arg(station));
        QCOMPARE(room.shutdown.chainTimer(station)->interval(), 10000);
    }
}

// Choices of the menu item and clicks on station buttons at given seconds,
// and the launches that follow, in order, each with its second.
void TestShutdown::chain_data()
{
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QList<QPoint>>("clicks"); // (second, station)
    QTest::addColumn<QStringList>("launches");

    const auto chainFrom = [](int start) {
        QList<std::pair<int, int>> launches;
        for (int n = 1; n <= room::StationCount; ++n)
            launches.append({start + (n - 1) * 10, n});
        return launches;
    };
    const auto text = [](QList<std::pair<int, int>> launches) {
        std::stable_sort(launches.begin(), launches.end(), [](auto a, auto b) { return a.first < b.first; });
        QStringList lines;
        for (const auto &[time, n] : launches)
            lines.append(u"%1 %2"_s.arg(time).arg(room::stationName(n)));
        return lines;
    };

    QTest::newRow("one choice: PC3001 at once, then one every ten seconds")
        << QList<int>{0} << QList<QPoint>{} << text(chainFrom(0));
    // Timer2 is enabled again while it waits: still one chain.
    QTest::newRow("second choice within ten seconds: PC3001 twice")
        << QList<int>{0, 5} << QList<QPoint>{} << text(chainFrom(0) + QList<std::pair<int, int>>{{5, 1}});
    QTest::newRow("second choice 25 s later: two interleaved chains")
        << QList<int>{0, 25} << QList<QPoint>{} << text(chainFrom(0) + chainFrom(25));
    QTest::newRow("click during the chain: one more launch")
        << QList<int>{0} << QList<QPoint>{{15, 9}} << text(chainFrom(0) + QList<std::pair<int, int>>{{15, 9}});
}

void TestShutdown::chain()
{
    QFETCH(QList<int>, choices);
    QFETCH(QList<QPoint>, clicks);
    QFETCH(QStringList, launches);

    Room room;
    QList<QPoint> events = clicks;
    for (int time : choices)
        events.append({time, 0});
    std::stable_sort(events.begin(), events.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
    for (const QPoint &event : events) {
        room.at(event.x());
        if (event.y() == 0)
            room.shutdown.Stopall_Click();
        else
            room.shutdown.stationClick(event.y());
        room.sync();
    }
    room.at(1000);
    QCOMPARE(room.launches, launches);
    QVERIFY(!room.anyChainTimerActive());
}

void TestShutdown::failedLaunchGoesOn()
{
    TrialDrive drive;
    Room room;
    room.launcher.failingPrefix = commandFor(u"PC3003"_s);
    room.shutdown.Stopall_Click();
    room.at(1000);
    QCOMPARE(room.launches.size(), 12);
    const QString status = room.shutdown.statusText();
    QCOMPARE(status, u"Arrêt non lancé pour PC3003 : erreur 2, No such file or directory (%1)."_s.arg(
                         drive.path(u"shutcmd.exe"_s)));

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
    room.shutdown.Stopall_Click();
    QCOMPARE(room.shutdown.statusText(), u"Extinction de la salle : PC3002 dans 10 s."_s);
    room.shutdown.chainTick(2);
    QVERIFY(room.shutdown.statusText().startsWith(u"Extinction de la salle : PC3003 dans"_s));
    room.at(1000);
    QCOMPARE(room.shutdown.statusText(), QString());
}

QTEST_GUILESS_MAIN(TestShutdown)
#include "tst_shutdown.moc"
