// The twelve tiles and the refresh cycle that feeds them.

#include "roommonitor.h"
#include "roompaths.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using room::TileState;

Q_DECLARE_METATYPE(room::StationTile)

class TestRoom : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stationNames_data();
    void stationNames();
    void applyRecords_data();
    void applyRecords();
    void loadAndRefresh();
    void listpcFollowsEveryRead();
    void statusShowsReadTimeAndFileAge();

private:
    static room::RoomTiles apply(const QList<SessionRecord> &records)
    {
        room::RoomTiles tiles;
        tiles.ResetStations();
        for (const SessionRecord &r : records)
            tiles.ApplySessionRecord(r.ComputerName, r.UserName, r.IdleTime);
        return tiles;
    }
};

void TestRoom::stationNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::newRow("first") << u"PC3001"_s << 1;
    QTest::newRow("fifth") << u"PC3005"_s << 5;
    QTest::newRow("last") << u"PC3012"_s << 12;
    QTest::newRow("thirteenth") << u"PC3013"_s << 0;
    QTest::newRow("zeroth") << u"PC3000"_s << 0;
    QTest::newRow("lower case") << u"pc3004"_s << 0;
    QTest::newRow("button spelling of the fifth") << u"Pc3005"_s << 0;
    QTest::newRow("leading blank") << u" PC3004"_s << 0;
    QTest::newRow("domain suffix") << u"PC3004.talvero"_s << 0;
    QTest::newRow("prefix only") << u"PC300"_s << 0;
    QTest::newRow("another room") << u"PC1207"_s << 0;
    QTest::newRow("another room's twelfth") << u"PC3112"_s << 0;
    QTest::newRow("twenty-first") << u"PC3021"_s << 0;
    QTest::newRow("blank for a digit") << u"PC30 1"_s << 0;
    QTest::newRow("colon, after the nine") << u"PC300:"_s << 0;
    QTest::newRow("slash, before the zero") << u"PC30/9"_s << 0;
    QTest::newRow("letters for digits") << u"PC30AB"_s << 0;
    QTest::newRow("empty") << QString() << 0;
}

void TestRoom::stationNames()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QCOMPARE(room::stationIndex(name), index);
    if (index)
        QCOMPARE(room::stationName(index), name);
}

void TestRoom::applyRecords_data()
{
    QTest::addColumn<QList<SessionRecord>>("records");
    QTest::addColumn<int>("station");
    QTest::addColumn<room::StationTile>("expected");

    const auto tile = [](TileState state, const QString &user, const QString &idle) {
        return room::StationTile{state, user, u"NOM"_s, idle};
    };
    QTest::newRow("no record") << QList<SessionRecord>{} << 7 << room::StationTile{};
    QTest::newRow("working user") << QList<SessionRecord>{{u"PC3007"_s, u"USER17"_s, u"00:12:40"_s}} << 7
                                  << tile(TileState::InSession, u"USER17"_s, u"00:12:40"_s);
    QTest::newRow("idle an hour") << QList<SessionRecord>{{u"PC3007"_s, u"USER17"_s, u"01:12:40"_s}} << 7
                                  << tile(TileState::InSessionIdle, u"USER17"_s, u"01:12:40"_s);
    QTest::newRow("single zero hour") << QList<SessionRecord>{{u"PC3007"_s, u"U"_s, u"0:12:40"_s}} << 7
                                      << tile(TileState::InSessionIdle, u"U"_s, u"0:12:40"_s);
    QTest::newRow("one character") << QList<SessionRecord>{{u"PC3007"_s, u"U"_s, u"0"_s}} << 7
                                   << tile(TileState::InSessionIdle, u"U"_s, u"0"_s);
    QTest::newRow("empty idle time") << QList<SessionRecord>{{u"PC3007"_s, u"U"_s, QString()}} << 7
                                     << tile(TileState::InSessionIdle, u"U"_s, QString());
    QTest::newRow("exactly 00") << QList<SessionRecord>{{u"PC3007"_s, u"U"_s, u"00"_s}} << 7
                                << tile(TileState::InSession, u"U"_s, u"00"_s);
    QTest::newRow("idle then active keeps the mark")
        << QList<SessionRecord>{{u"PC3002"_s, u"A"_s, u"02:00:00"_s}, {u"PC3002"_s, u"B"_s, u"00:01:00"_s}} << 2
        << tile(TileState::InSessionIdle, u"B"_s, u"00:01:00"_s);
    QTest::newRow("active then idle")
        << QList<SessionRecord>{{u"PC3002"_s, u"A"_s, u"00:01:00"_s}, {u"PC3002"_s, u"B"_s, u"02:00:00"_s}} << 2
        << tile(TileState::InSessionIdle, u"B"_s, u"02:00:00"_s);
    QTest::newRow("later record without user changes nothing")
        << QList<SessionRecord>{{u"PC3002"_s, u"A"_s, u"00:01:00"_s}, {u"PC3002"_s, QString(), u"03:00:00"_s}} << 2
        << tile(TileState::InSession, u"A"_s, u"00:01:00"_s);
    QTest::newRow("longer, shorter, then longer user name")
        << QList<SessionRecord>{{u"PC3002"_s, u"MARIE-NOELLE"_s, u"00:00:01"_s},
                                {u"PC3002"_s, u"YS"_s, u"00:00:02"_s},
                                {u"PC3002"_s, u"FRANCOIS"_s, u"00:00:03"_s}}
        << 2 << tile(TileState::InSession, u"FRANCOIS"_s, u"00:00:03"_s);
    QTest::newRow("lower-case name") << QList<SessionRecord>{{u"pc3004"_s, u"A"_s, u"00:00:01"_s}} << 4
                                     << room::StationTile{};
    QTest::newRow("record for another station") << QList<SessionRecord>{{u"PC3008"_s, u"A"_s, u"00:00:01"_s}}
                                                << 7 << room::StationTile{};
    QTest::newRow("thirteenth station") << QList<SessionRecord>{{u"PC3013"_s, u"A"_s, u"09:00:00"_s}} << 12
                                        << room::StationTile{};
}

void TestRoom::applyRecords()
{
    QFETCH(QList<SessionRecord>, records);
    QFETCH(int, station);
    QFETCH(room::StationTile, expected);

    const room::RoomTiles tiles = apply(records);
    QCOMPARE(tiles.tile(station), expected);
    // No record ever touches another station's tile.
    for (int other = 1; other <= room::StationCount; ++other) {
        if (other == station)
            continue;
        const bool named = std::any_of(records.begin(), records.end(), [&](const SessionRecord &r) {
            return room::stationIndex(r.ComputerName) == other;
        });
        if (!named)
            QCOMPARE(tiles.tile(other), room::StationTile{});
    }
}

void TestRoom::loadAndRefresh()
{
    TrialDrive drive;
    drive.writeSessionList(sessionLine("PC3004", "USER17", "00:12:41") + "\r\n" + sessionLine("PC1207", "USER33", "00:00:09")
                           + "\r\n" + sessionLine("PC3004", "", "00:00:01") + "\r\n");
    RecordingLauncher launcher;
    ManualClock clock;
    RoomMonitor monitor(launcher, clock);
    QCOMPARE(monitor.Timer1()->objectName(), u"Timer1"_s);
    QCOMPARE(monitor.Timer1()->interval(), 30000);
    QVERIFY(monitor.Timer1()->isActive());
    QVERIFY(!monitor.Timer1()->isSingleShot());
    // Every read comes after its own launch of the session list command.
    QList<qsizetype> launchesAtRead;
    connect(&monitor, &RoomMonitor::busyChanged, this, [&](bool busy) {
        if (busy)
            launchesAtRead.append(launcher.launched.size());
    });

    monitor.Form_Load();
    const int remaining = monitor.Timer1()->remainingTime();
    monitor.refresh_Click();
    QVERIFY(QMetaObject::invokeMethod(monitor.Timer1(), "timeout", Qt::DirectConnection));
    QCOMPARE(launchesAtRead, (QList<qsizetype>{1, 2, 3}));
    QCOMPARE(launcher.launched, QStringList(3, u"d:\\talvero\\session.bat"_s));
    // The menu does not restart the count.
    QVERIFY(monitor.Timer1()->remainingTime() <= remaining);

    QStringList all;
    for (int n = 1; n <= 12; ++n)
        all.append(u"PC30%1"_s.arg(n, 2, 10, QChar(u'0')));
    QCOMPARE(monitor.Listcomplete(), all);
    QCOMPARE(monitor.Listpc().toStringList(), (QStringList{u"PC3004"_s, u"PC1207"_s, u"PC3004"_s}));
    QCOMPARE(monitor.tiles().tile(4), (room::StationTile{TileState::InSession, u"USER17"_s, u"NOM"_s, u"00:12:41"_s}));

    // The session has ended: the next read shows the station free, the old
    // captions kept behind the stop sign.
    drive.writeSessionList("Aucune session\r\n");
    monitor.Timer1_Timer();
    QCOMPARE(monitor.tiles().tile(4), (room::StationTile{TileState::NoSession, u"USER17"_s, u"NOM"_s, u"00:12:41"_s}));
    QVERIFY(monitor.Listpc().isEmpty());
}

// Listpc holds every computer name of the latest read, in order, whatever
// their lengths, through reads that grow the list, shrink it, empty it and
// keep it the same size, staged in the storage of the list before.
void TestRoom::listpcFollowsEveryRead()
{
    TrialDrive drive;
    RecordingLauncher launcher;
    ManualClock clock;
    RoomMonitor monitor(launcher, clock);
    for (const int count : {3000, 2, 0, 4000, 4000, 4000, 1}) {
        QByteArray file = "Sessions\r\n";
        QStringList names;
        for (int i = 0; i < count; ++i) {
            names.append((QString::number(i) + u"-abcdéfghijklmnopq"_s).left(1 + i % 17));
            file += sessionLine(names.back().toUtf8(), "U", "00:00:01") + "\r\n";
        }
        drive.writeSessionList(file);
        monitor.refresh_Click();
        QCOMPARE(monitor.Listpc().toStringList(), names);
        // Each name costs its characters and a length byte, plus a start
        // for every 64 names: nothing of the reads before.
        QCOMPARE_LE(monitor.Listpc().usedBytes(), std::size_t(count) * (2 * 17 + 1) + (count / 64 + 1) * 8);
    }
}

void TestRoom::statusShowsReadTimeAndFileAge()
{
    TrialDrive drive;
    drive.writeSessionList(QByteArray());
    QFile file(drive.path(u"dcon.txt"_s));
    QVERIFY(file.open(QIODevice::ReadWrite));
    ManualClock clock;
    QVERIFY(file.setFileTime(clock.time.addSecs(-75), QFileDevice::FileModificationTime));
    file.close();

    RecordingLauncher launcher;
    RoomMonitor monitor(launcher, clock);
    monitor.Form_Load();
    QCOMPARE(monitor.statusText(), u"Liste des sessions lue à 08:30:00, écrite à 08:28:45 (il y a 75 s)."_s);
}

QTEST_GUILESS_MAIN(TestRoom)
#include "tst_room.moc"
