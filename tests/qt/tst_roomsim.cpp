// The simulated room of the trial drive, checked against the panel's own
// session list reader, command lines and launcher.

#include "listing.h"
#include "platform.h"
#include "room.h"
#include "roommonitor.h"
#include "roompaths.h"
#include "sessionlistreader.h"
#include "shutdowncommand.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
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

// A temporary folder that stands for drive D: while the object lives.
struct TrialDrive {
    QTemporaryDir dir;
    TrialDrive() { qputenv("SALLE30_DRIVE_D", QFile::encodeName(dir.path())); }
    ~TrialDrive() { qunsetenv("SALLE30_DRIVE_D"); }
    // Host path of d:\talvero\<name>.
    QString path(const QString &name) const { return dir.path() + u"/talvero/"_s + name; }
};

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
        TimePoint now = MondayMorning;
        bool cut = false, accented = false;
        // Forty rooms over two days, at irregular instants.
        for (int step = 0; step < 40; ++step) {
            now += std::chrono::minutes(7 + step * 3) + std::chrono::seconds(step * 13);
            roomsim::advance(room, now);
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
        }
        QVERIFY(cut && accented);
    }

    void panelRunsTheTrialRoom()
    {
        // The panel's launcher and command lines, through the trial drive's two programs.
        TrialDrive drive;
        QVERIFY(drive.dir.isValid() && QDir(drive.dir.path()).mkpath(u"talvero"_s));
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
