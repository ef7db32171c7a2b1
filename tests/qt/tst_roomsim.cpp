// The simulated room of the trial drive, checked against the panel's own
// session list reader, command lines and launcher.

#include "listing.h"
#include "platform.h"
#include "room.h"
#include "roommonitor.h"
#include "roompaths.h"
#include "sessionlistreader.h"
#include "shutdowncommand.h"
#include "shutdowntool.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using roomsim::TimePoint;

namespace {

const TimePoint MondayMorning = std::chrono::sys_days(std::chrono::year{2026} / 12 / 7) + 8h + 30min;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The exit code of one run of the simulator, -1 when it did not end normally.
int runSimulator(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(SALLE30_ROOMSIM_BINARY), args);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool listsSession(const std::vector<roomsim::ListedSession> &sessions, const std::string &computer)
{
    return std::any_of(sessions.begin(), sessions.end(), [&](const auto &s) { return s.computer == computer; });
}

} // namespace

class TestRoomSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelReadsWhatTheRoomMeans_data()
    {
        QTest::addColumn<quint64>("seed");
        for (const quint64 seed : {1ULL, 7ULL, 42ULL, 3030ULL, 987654321ULL})
            QTest::addRow("seed %llu", seed) << seed;
    }

    void panelReadsWhatTheRoomMeans()
    {
        QFETCH(quint64, seed);
        roomsim::Room room = roomsim::freshRoom(seed, MondayMorning);
        roomsim::Room halves = room; // advanced in twice as many steps: the same ticks must play
        TimePoint now = MondayMorning;
        bool cut = false, accented = false;
        // Forty rooms over two days, at irregular instants.
        for (int step = 0; step < 40; ++step) {
            const TimePoint next = now + std::chrono::minutes(7 + step * 3) + std::chrono::seconds(step * 13);
            roomsim::advance(halves, now + (next - now) / 2);
            now = next;
            roomsim::advance(room, now);
            roomsim::advance(halves, now);
            QCOMPARE(halves, room);
            const std::vector<roomsim::ListedSession> meant = roomsim::listedSessions(room, now);
            // The user name starts in column 24 and the panel reads it up to column 36.
            std::vector<SessionRecord> wanted;
            for (const roomsim::ListedSession &s : meant) {
                const QString user = QString::fromUtf8(s.user);
                cut = cut || user.size() > 13;
                accented = accented || qsizetype(s.user.size()) > user.size();
                wanted.push_back({QString::fromUtf8(s.computer).toStdU16String(),
                                  user.left(13).trimmed().toStdU16String(),
                                  QString::fromUtf8(s.idleTime).toStdU16String()});
            }
            const std::string listing = roomsim::listingText(meant);
            QCOMPARE(parseSessionList(roomsim::encodeText(listing, "UTF-8").bytes.value_or("")), wanted);
            // A code page without the accents keeps one character per character.
            QCOMPARE(roomsim::encodeText(listing, "ANSI_X3.4-1968").bytes.value_or("").size(),
                     roomsim::characterCount(listing));
        }
        QVERIFY(cut && accented);
    }

    void restartEndsTheSessionAfterTheDelay_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("delaySeconds");
        QTest::newRow("seed 7, the panel's 120 s") << 7ULL << 120;
        QTest::newRow("seed 3030, 30 s") << 3030ULL << 30;
        QTest::newRow("seed 1, no delay") << 1ULL << 0;
    }

    void restartEndsTheSessionAfterTheDelay()
    {
        QFETCH(quint64, seed);
        QFETCH(int, delaySeconds);
        const TimePoint ordered = MondayMorning + 10min;
        const TimePoint due = ordered + std::chrono::seconds(delaySeconds);
        roomsim::Room room = roomsim::freshRoom(seed, MondayMorning);
        roomsim::advance(room, ordered);
        // The same room without the restarts says what the listing would show.
        roomsim::Room untouched = room;
        std::vector<std::string> stations; // every station in session
        for (const roomsim::Computer &c : untouched.computers) {
            if (roomsim::isRoomStation(c.name) && c.session) {
                stations.push_back(c.name);
                QCOMPARE(roomsim::orderRestart(room, c.name, std::chrono::seconds(delaySeconds), ordered),
                         roomsim::RestartOutcome::Ordered);
            }
        }

        // Up to the last instant before the delay the orders change nothing that the listing shows.
        for (int k = 0; k <= 20; ++k) {
            const TimePoint t = ordered - 1ms + (due - ordered) * k / 20;
            roomsim::advance(room, t);
            roomsim::advance(untouched, t);
            QCOMPARE(roomsim::listedSessions(room, t), roomsim::listedSessions(untouched, t));
        }
        QVERIFY(listsSession(roomsim::listedSessions(room, due - 1ms), stations.at(0)));
        // At the delay the sessions end, and no one logs on while the stations restart.
        for (const TimePoint t : {due, due + roomsim::RestartQuietPeriod - 1ms}) {
            roomsim::advance(room, t);
            for (const std::string &station : stations)
                QVERIFY2(!listsSession(roomsim::listedSessions(room, t), station), station.c_str());
        }
    }

    void malformedCommandIsRefused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("reason");
        const QString pc = u"\\\\PC3007"_s, r = u"/R"_s, t = u"/T:120"_s, w = u"Attention"_s;
        QTest::newRow("no argument at all") << QStringList() << u"missing arguments"_s;
        QTest::newRow("options before the computer") << QStringList{r, t, pc, w} << u"\\\\NAME"_s;
        QTest::newRow("backslashes without a name") << QStringList{u"\\\\"_s, r, t, w} << u"missing computer name"_s;
        QTest::newRow("name over 15 characters") << QStringList{pc + u"PC3007PC30"_s, r, t, w} << u"longer than 15"_s;
        QTest::newRow("name with a path in it") << QStringList{pc + u"\\c$"_s, r, t, w} << u"slash"_s;
        QTest::newRow("unknown option") << QStringList{pc, u"/F"_s, r, t, w} << u"unknown option \"/F\""_s;
        QTest::newRow("restart option missing") << QStringList{pc, t, w} << u"missing option /R"_s;
        QTest::newRow("delay option missing") << QStringList{pc, r, w} << u"missing option /T"_s;
        QTest::newRow("restart option twice") << QStringList{pc, r, r, t, w} << u"/R given twice"_s;
        QTest::newRow("delay without colon") << QStringList{pc, r, u"/T120"_s, w} << u"bad delay"_s;
        QTest::newRow("delay with a unit") << QStringList{pc, r, u"/T:2min"_s, w} << u"bad delay"_s;
        QTest::newRow("delay over a day") << QStringList{pc, r, u"/T:86401"_s, w} << u"bad delay"_s;
        QTest::newRow("delay beyond 64 bits") << QStringList{pc, r, u"/T:99999999999999999999"_s, w} << u"bad delay"_s;
        QTest::newRow("warning missing") << QStringList{pc, r, t} << u"missing warning"_s;
        QTest::newRow("warning empty") << QStringList{pc, r, t, QString()} << u"empty warning"_s;
        QTest::newRow("warning on two lines") << QStringList{pc, r, t, u"a\nb"_s} << u"one line"_s;
        QTest::newRow("warning split at its blanks") << QStringList{pc, r, t, w, u"cet"_s} << u"unexpected argument"_s;
    }

    void malformedCommandIsRefused()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, reason);
        std::vector<std::string> arguments;
        for (const QString &argument : args)
            arguments.push_back(argument.toStdString());
        const roomsim::ParsedShutdownCommand parsed = roomsim::parseShutdownCommand(arguments);
        const QString error = QString::fromStdString(parsed.error);
        QVERIFY(!parsed.command);
        QVERIFY2(error.contains(reason) && !error.contains(u'\n'), qPrintable(error));
    }

    void panelRunsTheTrialRoom()
    {
        // The panel's launcher and command lines, through the trial drive's two programs.
        TrialDrive drive;
        QVERIFY(drive.isValid());
        for (const QString &name : {u"session.bat"_s, u"shutcmd.exe"_s})
            QVERIFY(QFile::copy(QStringLiteral(SALLE30_TRIALROOM_DIR) + u'/' + name, drive.path(name)));
        QFile simulatorPath(drive.path(u"roomsim.path"_s));
        QVERIFY(simulatorPath.open(QIODevice::WriteOnly) && simulatorPath.write(SALLE30_ROOMSIM_BINARY "\n") > 0
                && simulatorPath.flush());
        QVERIFY(!platform::launchDetached(room::SessionListCommand));
        QTRY_VERIFY(readAll(drive.path(u"dcon.txt"_s)).endsWith("The command completed successfully.\r\n"));
        const auto inSession = [&] {
            const std::vector<SessionRecord> records =
                parseSessionList(readAll(drive.path(u"dcon.txt"_s)).toStdString());
            return std::ranges::count_if(records, [](const SessionRecord &r) {
                return roomsim::isRoomStation(platform::toUtf8(r.ComputerName));
            });
        };
        QVERIFY(inSession() > 0);

        // The whole room at once, between refreshes: without the lock, a save would drop another's restart.
        const std::u16string arguments = room::shutdownArguments();
        for (int n = 1; n <= 12; ++n) {
            QVERIFY(!platform::launchDetached(room::shutdownCommandLine(room::stationName(n), arguments)));
            QVERIFY(!platform::launchDetached(room::SessionListCommand));
        }
        const auto restartsOrdered = [&] {
            const auto state = roomsim::loadRoom(readAll(drive.path(u"roomsim.state"_s)).toStdString()).room;
            return state ? std::ranges::count_if(state->computers, [](auto &c) { return bool(c.restartAt); }) : -1;
        };
        QTRY_COMPARE_WITH_TIMEOUT(restartsOrdered(), 12, 20000);
        const QString logged = QString::fromUtf8(readAll(drive.path(u"shutcmd.log"_s)));
        QCOMPARE(logged.count(u'\n'), 12);
        const QString warning = QString::fromStdU16String(arguments).section(u'"', 1, 1);
        QVERIFY2(logged.contains(u"Z\t\\\\PC3012\t/R\t/T:120\t"_s + warning + u'\n'), qPrintable(logged));

        // A malformed line changes nothing; the stations are empty once the delay is over.
        const QStringList dir{u"--dir"_s, drive.path(QString())};
        const QString afterDelay = QString::number(QDateTime::currentMSecsSinceEpoch() + 121000);
        QCOMPARE(runSimulator(QStringList{u"shutdown"_s} + dir + QStringList{u"\\\\PC3007"_s, u"/R"_s}), 2);
        QCOMPARE(QString::fromUtf8(readAll(drive.path(u"shutcmd.log"_s))), logged);
        QCOMPARE(runSimulator(QStringList{u"list"_s, u"--now"_s, afterDelay} + dir), 0);
        QCOMPARE(inSession(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRoomSim)
#include "tst_roomsim.moc"
