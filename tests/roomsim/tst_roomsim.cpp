// The simulated room of the trial drive, checked against the panel's own
// session list reader and launcher.

#include "launcher.h"
#include "listing.h"
#include "room.h"
#include "roommonitor.h"
#include "roompaths.h"
#include "sessionlistformat.h"
#include "sessionlistreader.h"
#include "shutdowncommand.h"
#include "shutdowntool.h"
#include "testsupport.h"
#include "trialdrive.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using roomsim::TimePoint;

char *toString(const SessionRecord &record)
{
    return QTest::toString(u"SessionRecord(%1 | %2 | %3)"_s.arg(record.ComputerName, record.UserName, record.IdleTime));
}

namespace {

const TimePoint MondayMorning = std::chrono::sys_days(std::chrono::year{2026} / 12 / 7) + 8h + 30min;

const QString Warning = u"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre session "
                        u"et sortir de la salle dans les 5 minutes."_s;

qint64 epochMs(TimePoint t)
{
    return t.time_since_epoch().count();
}

// What the panel should read from the line the simulator writes for `s`: the
// user name starts in the simulator's column and the reader stops at its own
// last user-name column.
SessionRecord panelView(const roomsim::ListedSession &s)
{
    const int visible = sessionlist::UserNameLastColumn - roomsim::layout::UserNameColumn + 1;
    QString user = QString::fromUtf8(s.user).left(visible);
    while (user.endsWith(u' '))
        user.chop(1);
    return {QString::fromUtf8(s.computer), user, QString::fromUtf8(s.idleTime)};
}

QList<SessionRecord> readBack(const std::vector<roomsim::ListedSession> &sessions)
{
    const roomsim::EncodedText text = roomsim::encodeText(roomsim::listingText(sessions), "UTF-8");
    return text.bytes ? parseSessionList(*text.bytes) : QList<SessionRecord>{};
}

const roomsim::Computer &computer(const roomsim::Room &room, std::string_view name)
{
    for (const roomsim::Computer &c : room.computers) {
        if (c.name == name)
            return c;
    }
    qFatal("no computer %s", std::string(name).c_str());
}

std::vector<std::string> arguments(const QStringList &list)
{
    std::vector<std::string> out;
    for (const QString &s : list)
        out.push_back(s.toStdString());
    return out;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Run {
    int exitCode = -1;
    QByteArray standardError;
};

Run runSimulator(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(SALLE30_ROOMSIM_BINARY), args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardError()};
}

// Empty when the program was started, else the host's description.
QString launchFailure(Launcher &launcher, const QString &commandLine)
{
    const std::optional<LaunchFailure> failure = launcher.launch(commandLine);
    return failure ? u"%1 %2"_s.arg(failure->number).arg(failure->description) : QString();
}

} // namespace

class TestRoomSim : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordLineKeepsTheColumns_data();
    void recordLineKeepsTheColumns();
    void panelReadsWhatTheRoomMeans_data();
    void panelReadsWhatTheRoomMeans();
    void freshRoomShowsEveryKindOfSession_data();
    void freshRoomShowsEveryKindOfSession();
    void advancingInStepsMatchesOneStep_data();
    void advancingInStepsMatchesOneStep();
    void restartEndsTheSessionAfterTheDelay_data();
    void restartEndsTheSessionAfterTheDelay();
    void stateSurvivesSaveAndLoad();
    void damagedStateIsRefused_data();
    void damagedStateIsRefused();
    void encodeText_data();
    void encodeText();
    void panelCommandIsAccepted();
    void malformedCommandIsRefused_data();
    void malformedCommandIsRefused();
    void programListsAndLogsShutdowns();
    void malformedCommandChangesNothing();
    void concurrentRunsLoseNoShutdown();
    void panelLaunchesReachTheTrialRoom_data();
    void panelLaunchesReachTheTrialRoom();
};

void TestRoomSim::recordLineKeepsTheColumns_data()
{
    QTest::addColumn<QString>("computer");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("idle");
    QTest::addColumn<QString>("line");

    QTest::newRow("short user name as in the format's own example")
        << u"PC3004"_s << u"USER17"_s << u"00:12:41"_s << u"\\\\PC3004               USER17               00:12:41"_s;
    QTest::newRow("accented name padded by characters, not bytes")
        << u"PC3001"_s << u"Hélène"_s << u"01:02:03"_s << u"\\\\PC3001               Hélène               01:02:03"_s;
    QTest::newRow("long name cut at column 40, idle time kept whole")
        << u"PC3002"_s << u"Marie-Noëlle Delacroix-Beauregard"_s << u"00:05:00"_s
        << u"\\\\PC3002               Marie-Noëlle Dela    00:05:00"_s;
    QTest::newRow("longest computer name of the network")
        << u"SRV-TALVERO"_s << u"Administrateur"_s << u"00:00:09"_s
        << u"\\\\SRV-TALVERO          Administrateur       00:00:09"_s;
    QTest::newRow("idle time of three-digit hours still ends in column 52")
        << u"PC3009"_s << u"Zoé"_s << u"123:04:05"_s << u"\\\\PC3009               Zoé                 123:04:05"_s;
}

void TestRoomSim::recordLineKeepsTheColumns()
{
    QFETCH(QString, computer);
    QFETCH(QString, user);
    QFETCH(QString, idle);
    QFETCH(QString, line);

    const std::string written = roomsim::recordLine({computer.toStdString(), user.toStdString(), idle.toStdString()});
    QCOMPARE(QString::fromUtf8(written), line);
    QCOMPARE(QString::fromUtf8(written).size(), roomsim::layout::IdleTimeLastColumn);
}

void TestRoomSim::panelReadsWhatTheRoomMeans_data()
{
    QTest::addColumn<quint64>("seed");
    for (const quint64 seed : {1ULL, 7ULL, 42ULL, 3030ULL, 987654321ULL})
        QTest::addRow("seed %llu", seed) << seed;
}

void TestRoomSim::panelReadsWhatTheRoomMeans()
{
    QFETCH(quint64, seed);

    roomsim::Room room = roomsim::freshRoom(seed, MondayMorning);
    TimePoint now = MondayMorning;
    // Forty rooms over two days, at irregular instants.
    for (int step = 0; step < 40; ++step) {
        now += std::chrono::minutes(7 + step * 3) + std::chrono::seconds(step * 13);
        roomsim::advance(room, now);
        const std::vector<roomsim::ListedSession> meant = roomsim::listedSessions(room, now);
        QList<SessionRecord> expected;
        for (const roomsim::ListedSession &s : meant)
            expected.append(panelView(s));

        const QList<SessionRecord> read = readBack(meant);
        QCOMPARE(read.size(), expected.size());
        for (qsizetype i = 0; i < read.size(); ++i)
            QCOMPARE(read.at(i), expected.at(i));
    }
}

void TestRoomSim::freshRoomShowsEveryKindOfSession_data()
{
    panelReadsWhatTheRoomMeans_data();
}

void TestRoomSim::freshRoomShowsEveryKindOfSession()
{
    QFETCH(quint64, seed);

    const roomsim::Room room = roomsim::freshRoom(seed, MondayMorning);
    const std::vector<roomsim::ListedSession> meant = roomsim::listedSessions(room, MondayMorning);
    const QList<SessionRecord> read = readBack(meant);

    const QStringList stations = [] {
        QStringList names;
        for (int n = 1; n <= 12; ++n)
            names.append(u"PC30%1"_s.arg(n, 2, 10, QChar(u'0')));
        return names;
    }();
    bool longName = false;
    bool accented = false;
    bool idleOverAnHour = false;
    bool outsideComputer = false;
    QStringList seen;
    for (qsizetype i = 0; i < read.size(); ++i) {
        const SessionRecord &r = read.at(i);
        QVERIFY2(!seen.contains(r.ComputerName), qPrintable(r.ComputerName));
        seen.append(r.ComputerName);
        const bool inRoom = stations.contains(r.ComputerName);
        outsideComputer |= !inRoom;
        longName |= inRoom && QString::fromUtf8(meant[i].user).size() > 20;
        accented |= inRoom && std::any_of(r.UserName.begin(), r.UserName.end(), [](QChar c) { return c.unicode() > 0x7F; });
        idleOverAnHour |= inRoom && !r.IdleTime.startsWith(u"00"_s);
    }
    QVERIFY(longName);
    QVERIFY(accented);
    QVERIFY(idleOverAnHour);
    QVERIFY(outsideComputer);
}

void TestRoomSim::advancingInStepsMatchesOneStep_data()
{
    panelReadsWhatTheRoomMeans_data();
}

void TestRoomSim::advancingInStepsMatchesOneStep()
{
    QFETCH(quint64, seed);

    // Six hours with a restart ordered after two, once in small irregular
    // steps, once in three jumps: a tick played twice or skipped at a step
    // boundary shows as a difference.
    const TimePoint restartOrdered = MondayMorning + 2h;
    const TimePoint end = MondayMorning + 6h;

    roomsim::Room stepped = roomsim::freshRoom(seed, MondayMorning);
    for (TimePoint t = MondayMorning; t < end;) {
        const TimePoint next = std::min({t + std::chrono::milliseconds(1 + (epochMs(t) * 7919) % 421000),
                                         t < restartOrdered ? restartOrdered : end, end});
        roomsim::advance(stepped, next);
        if (next == restartOrdered)
            roomsim::orderRestart(stepped, "PC3005", 120s, next);
        t = next;
    }

    roomsim::Room jumped = roomsim::freshRoom(seed, MondayMorning);
    roomsim::advance(jumped, restartOrdered);
    roomsim::orderRestart(jumped, "PC3005", 120s, restartOrdered);
    roomsim::advance(jumped, end);

    QCOMPARE(stepped, jumped);
    QVERIFY(stepped != roomsim::freshRoom(seed, MondayMorning));
}

void TestRoomSim::restartEndsTheSessionAfterTheDelay_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<int>("delaySeconds");
    QTest::newRow("seed 7, the panel's 120 s") << 7ULL << 120;
    QTest::newRow("seed 42, the panel's 120 s") << 42ULL << 120;
    QTest::newRow("seed 3030, 30 s") << 3030ULL << 30;
    QTest::newRow("seed 1, no delay") << 1ULL << 0;
}

void TestRoomSim::restartEndsTheSessionAfterTheDelay()
{
    QFETCH(quint64, seed);
    QFETCH(int, delaySeconds);
    const std::chrono::seconds delay(delaySeconds);
    const TimePoint ordered = MondayMorning + 10min;
    const TimePoint due = ordered + delay;

    // The same room without the restart says what would have happened.
    roomsim::Room untouched = roomsim::freshRoom(seed, MondayMorning);
    roomsim::advance(untouched, ordered);
    roomsim::Room room = untouched;

    // A station whose user would still be there when the restart falls due.
    std::string station;
    {
        roomsim::Room later = untouched;
        roomsim::advance(later, due);
        for (const roomsim::Computer &c : untouched.computers) {
            const auto &after = computer(later, c.name).session;
            if (roomsim::isRoomStation(c.name) && c.session && after && after->user == c.session->user) {
                station = c.name;
                break;
            }
        }
    }
    QVERIFY2(!station.empty(), "no station keeps its user through the delay in this room");

    QCOMPARE(roomsim::orderRestart(room, station, delay, ordered), roomsim::RestartOutcome::Ordered);
    const auto shows = [&](const roomsim::Room &r, TimePoint at) {
        for (const roomsim::ListedSession &s : roomsim::listedSessions(r, at)) {
            if (s.computer == station)
                return true;
        }
        return false;
    };

    // Before the delay the order changes nothing that the listing shows.
    for (TimePoint t = ordered; t < due; t += 7s) {
        roomsim::advance(room, t);
        roomsim::advance(untouched, t);
        QCOMPARE(roomsim::listedSessions(room, t), roomsim::listedSessions(untouched, t));
    }
    roomsim::advance(room, due - 1ms);
    QVERIFY(shows(room, due - 1ms));

    roomsim::advance(room, due);
    QVERIFY(!shows(room, due));
    roomsim::advance(untouched, due);
    QVERIFY(shows(untouched, due));

    // The station reboots while the room empties: no one logs on at once.
    roomsim::advance(room, due + roomsim::RestartQuietPeriod - 1ms);
    QVERIFY(!shows(room, due + roomsim::RestartQuietPeriod - 1ms));
}

void TestRoomSim::stateSurvivesSaveAndLoad()
{
    roomsim::Room room = roomsim::freshRoom(42, MondayMorning);
    roomsim::advance(room, MondayMorning + 3h);
    roomsim::orderRestart(room, "pc3011", 120s, MondayMorning + 3h);

    const roomsim::LoadedRoom loaded = roomsim::loadRoom(roomsim::saveRoom(room));
    QCOMPARE(QString::fromStdString(loaded.error), QString());
    QVERIFY(loaded.room.has_value());
    QCOMPARE(*loaded.room, room);
    QVERIFY(computer(*loaded.room, "PC3011").restartAt.has_value());
}

void TestRoomSim::damagedStateIsRefused_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("reason");

    QTest::newRow("empty file") << QString() << QString() << u"expected 17 lines"_s;
    QTest::newRow("another file's header") << u"salle30-roomsim-state 1"_s << u"dcon.txt"_s << u"line 1"_s;
    QTest::newRow("computers out of order") << u"PC3001\t"_s << u"PC3002\t"_s << u"expected computer PC3001"_s;
    QTest::newRow("time not a number") << u"time\t"_s << u"time\tx"_s << u"line 3"_s;
    QTest::newRow("unknown habit") << u"\tbusy\t"_s << u"\tlazy\t"_s << u"unknown habit lazy"_s;
}

void TestRoomSim::damagedStateIsRefused()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, reason);

    roomsim::Room room = roomsim::freshRoom(7, MondayMorning);
    room.computers[5].session = roomsim::Session{"jdupont", roomsim::Habit::Busy, MondayMorning, MondayMorning};
    QString text = QString::fromStdString(roomsim::saveRoom(room));
    text = from.isEmpty() ? QString() : text.replace(text.indexOf(from), from.size(), to);

    const roomsim::LoadedRoom loaded = roomsim::loadRoom(text.toStdString());
    QVERIFY(!loaded.room.has_value());
    QVERIFY2(QString::fromStdString(loaded.error).contains(reason), loaded.error.c_str());
}

void TestRoomSim::encodeText_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("UTF-8 keeps accents as two bytes") << u"UTF-8"_s << u"Hélène"_s << QByteArray("H\xc3\xa9l\xc3\xa8ne");
    QTest::newRow("CP1252 writes one byte per accent") << u"CP1252"_s << u"François"_s << QByteArray("Fran\xe7ois");
    QTest::newRow("ASCII puts one ? per missing letter") << u"ANSI_X3.4-1968"_s << u"Bérénice"_s << QByteArray("B?r?nice");
    QTest::newRow("CP1252 lacks the Polish L") << u"CP1252"_s << u"Łukasz"_s << QByteArray("?ukasz");
    QTest::newRow("CP850 of the console") << u"CP850"_s << u"Zoé"_s << QByteArray("Zo\x82");
}

void TestRoomSim::encodeText()
{
    QFETCH(QString, codePage);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    const roomsim::EncodedText encoded = roomsim::encodeText(text.toStdString(), codePage.toStdString());
    QVERIFY2(encoded.bytes.has_value(), encoded.error.c_str());
    QCOMPARE(QByteArray::fromStdString(*encoded.bytes), bytes);
}

void TestRoomSim::panelCommandIsAccepted()
{
    const roomsim::ParsedShutdownCommand parsed =
        roomsim::parseShutdownCommand(arguments({u"\\\\PC3007"_s, u"/R"_s, u"/T:120"_s, Warning}));
    QCOMPARE(QString::fromStdString(parsed.error), QString());
    QVERIFY(parsed.command.has_value());
    QCOMPARE(*parsed.command, (roomsim::RestartCommand{"PC3007", 120s, Warning.toStdString()}));
}

void TestRoomSim::malformedCommandIsRefused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reason");

    const QString w = u"Attention"_s;
    QTest::newRow("no argument at all") << QStringList() << u"missing arguments"_s;
    QTest::newRow("options before the computer") << QStringList{u"/R"_s, u"/T:120"_s, w} << u"\\\\NAME"_s;
    QTest::newRow("computer without its backslashes") << QStringList{u"PC3007"_s, u"/R"_s, u"/T:120"_s, w} << u"\\\\NAME"_s;
    QTest::newRow("computer with one backslash") << QStringList{u"\\PC3007"_s, u"/R"_s, u"/T:120"_s, w} << u"\\\\NAME"_s;
    QTest::newRow("backslashes without a name") << QStringList{u"\\\\"_s, u"/R"_s, u"/T:120"_s, w} << u"missing computer name"_s;
    QTest::newRow("name over 15 characters") << QStringList{u"\\\\PC3007PC3007PC30"_s, u"/R"_s, u"/T:120"_s, w} << u"longer than 15"_s;
    QTest::newRow("name with a path in it") << QStringList{u"\\\\PC3007\\c$"_s, u"/R"_s, u"/T:120"_s, w} << u"slash"_s;
    QTest::newRow("unknown option") << QStringList{u"\\\\PC3007"_s, u"/F"_s, u"/R"_s, u"/T:120"_s, w} << u"unknown option \"/F\""_s;
    QTest::newRow("restart option missing") << QStringList{u"\\\\PC3007"_s, u"/T:120"_s, w} << u"missing option /R"_s;
    QTest::newRow("delay option missing") << QStringList{u"\\\\PC3007"_s, u"/R"_s, w} << u"missing option /T"_s;
    QTest::newRow("restart option twice") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/R"_s, u"/T:120"_s, w} << u"/R given twice"_s;
    QTest::newRow("delay without colon") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T120"_s, w} << u"bad delay"_s;
    QTest::newRow("delay without value") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:"_s, w} << u"bad delay"_s;
    QTest::newRow("delay not a number") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:abc"_s, w} << u"bad delay"_s;
    QTest::newRow("delay with a unit") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:120s"_s, w} << u"bad delay"_s;
    QTest::newRow("negative delay") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:-5"_s, w} << u"bad delay"_s;
    QTest::newRow("delay over a day") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:86401"_s, w} << u"bad delay"_s;
    QTest::newRow("delay beyond 64 bits") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:99999999999999999999"_s, w} << u"bad delay"_s;
    QTest::newRow("warning missing") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:120"_s} << u"missing warning"_s;
    QTest::newRow("warning empty") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:120"_s, QString()} << u"empty warning"_s;
    QTest::newRow("warning on two lines") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:120"_s, u"a\nb"_s} << u"one line"_s;
    QTest::newRow("warning split at its blanks")
        << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:120"_s, u"Attention"_s, u"cet"_s, u"ordinateur"_s} << u"unexpected argument \"cet\""_s;
    QTest::newRow("option after the warning") << QStringList{u"\\\\PC3007"_s, u"/R"_s, u"/T:120"_s, w, u"/F"_s} << u"unexpected argument"_s;
}

void TestRoomSim::malformedCommandIsRefused()
{
    QFETCH(QStringList, args);
    QFETCH(QString, reason);

    const roomsim::ParsedShutdownCommand parsed = roomsim::parseShutdownCommand(arguments(args));
    QVERIFY(!parsed.command.has_value());
    const QString error = QString::fromStdString(parsed.error);
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY2(!error.contains(u'\n'), qPrintable(error));
}

void TestRoomSim::programListsAndLogsShutdowns()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString now = QString::number(epochMs(MondayMorning));

    Run run = runSimulator({u"list"_s, u"--dir"_s, dir.path(), u"--seed"_s, u"7"_s, u"--now"_s, now});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.standardError, QByteArray());
    const QList<SessionRecord> before = parseSessionList(readAll(dir.filePath(u"dcon.txt"_s)).toStdString());
    QVERIFY(!before.isEmpty());
    QVERIFY(readAll(dir.filePath(u"dcon.txt"_s)).endsWith("The command completed successfully.\r\n"));
    const auto station = std::find_if(before.begin(), before.end(), [](const SessionRecord &r) {
        return roomsim::isRoomStation(r.ComputerName.toStdString());
    });
    QVERIFY(station != before.end());

    const TimePoint shutAt = MondayMorning + 10s;
    run = runSimulator({u"shutdown"_s, u"--dir"_s, dir.path(), u"--now"_s, QString::number(epochMs(shutAt)),
                        u"\\\\"_s + station->ComputerName, u"/R"_s, u"/T:120"_s, Warning});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.standardError, QByteArray());
    QCOMPARE(QString::fromUtf8(readAll(dir.filePath(u"shutcmd.log"_s))),
             u"2026-12-07T08:30:10.000Z\t\\\\%1\t/R\t/T:120\t%2\n"_s.arg(station->ComputerName, Warning));

    run = runSimulator({u"list"_s, u"--dir"_s, dir.path(), u"--now"_s, QString::number(epochMs(shutAt + 120s))});
    QCOMPARE(run.exitCode, 0);
    const QList<SessionRecord> after = parseSessionList(readAll(dir.filePath(u"dcon.txt"_s)).toStdString());
    QVERIFY(std::none_of(after.begin(), after.end(),
                         [&](const SessionRecord &r) { return r.ComputerName == station->ComputerName; }));
}

void TestRoomSim::malformedCommandChangesNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(runSimulator({u"list"_s, u"--dir"_s, dir.path()}).exitCode, 0);
    const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    const QByteArray state = readAll(dir.filePath(u"roomsim.state"_s));

    const Run run = runSimulator({u"shutdown"_s, u"--dir"_s, dir.path(), u"\\\\PC3007"_s, u"/R"_s, u"/T:2min"_s, Warning});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.standardError.startsWith("salle30-roomsim shutdown: bad delay"), run.standardError.constData());
    QCOMPARE(run.standardError.count('\n'), 1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), files);
    QCOMPARE(readAll(dir.filePath(u"roomsim.state"_s)), state);
}

void TestRoomSim::concurrentRunsLoseNoShutdown()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TimePoint at = MondayMorning + 1min;
    const QString atText = QString::number(epochMs(at));
    QCOMPARE(runSimulator({u"list"_s, u"--dir"_s, dir.path(), u"--now"_s, QString::number(epochMs(MondayMorning))}).exitCode, 0);

    // Six shutdowns and six lists at once, as a room shutdown and refreshes
    // may overlap: without the lock, a save would drop another's restart.
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int n = 1; n <= 6; ++n) {
        for (const QStringList &args :
             {QStringList{u"shutdown"_s, u"--dir"_s, dir.path(), u"--now"_s, atText, u"\\\\PC300%1"_s.arg(n), u"/R"_s,
                          u"/T:120"_s, Warning},
              QStringList{u"list"_s, u"--dir"_s, dir.path(), u"--now"_s, atText}}) {
            processes.push_back(std::make_unique<QProcess>());
            processes.back()->start(QStringLiteral(SALLE30_ROOMSIM_BINARY), args);
        }
    }
    for (const auto &process : processes) {
        QVERIFY(process->waitForFinished(30000));
        QCOMPARE(process->exitCode(), 0);
    }

    QCOMPARE(readAll(dir.filePath(u"shutcmd.log"_s)).count('\n'), 6);
    const roomsim::LoadedRoom loaded = roomsim::loadRoom(readAll(dir.filePath(u"roomsim.state"_s)).toStdString());
    QVERIFY2(loaded.room.has_value(), loaded.error.c_str());
    for (int n = 1; n <= 6; ++n) {
        const roomsim::Computer &c = computer(*loaded.room, "PC300" + std::to_string(n));
        QVERIFY2(c.restartAt == at + 120s, c.name.c_str());
    }
    QVERIFY(!computer(*loaded.room, "PC3007").restartAt.has_value());
    QVERIFY(readAll(dir.filePath(u"dcon.txt"_s)).endsWith("The command completed successfully.\r\n"));
}

void TestRoomSim::panelLaunchesReachTheTrialRoom_data()
{
    QTest::addColumn<bool>("fromEnvironment");
    QTest::newRow("simulator named by SALLE30_ROOMSIM") << true;
    QTest::newRow("simulator named by roomsim.path") << false;
}

void TestRoomSim::panelLaunchesReachTheTrialRoom()
{
    QFETCH(bool, fromEnvironment);

    TrialDrive drive;
    QVERIFY(drive.isValid());
    for (const QString &name : {u"session.bat"_s, u"shutcmd.exe"_s})
        QVERIFY(QFile::copy(QStringLiteral(SALLE30_TRIALROOM_DIR) + u'/' + name, drive.path(name)));
    const QByteArray previous = qgetenv("SALLE30_ROOMSIM");
    const bool hadPrevious = qEnvironmentVariableIsSet("SALLE30_ROOMSIM");
    const auto restore = qScopeGuard([&] {
        if (hadPrevious)
            qputenv("SALLE30_ROOMSIM", previous);
        else
            qunsetenv("SALLE30_ROOMSIM");
    });
    if (fromEnvironment) {
        qputenv("SALLE30_ROOMSIM", SALLE30_ROOMSIM_BINARY);
    } else {
        qunsetenv("SALLE30_ROOMSIM");
        QFile path(drive.path(u"roomsim.path"_s));
        QVERIFY(path.open(QIODevice::WriteOnly));
        path.write(SALLE30_ROOMSIM_BINARY "\n");
    }

    // The panel's own launcher and command lines, as a refresh and a click
    // send them.
    HostLauncher launcher;
    QCOMPARE(launchFailure(launcher, QString::fromUtf16(room::SessionListCommand)), QString());
    QTRY_VERIFY(readAll(drive.path(u"dcon.txt"_s)).endsWith("The command completed successfully.\r\n"));
    QVERIFY(!parseSessionList(readAll(drive.path(u"dcon.txt"_s)).toStdString()).isEmpty());

    QCOMPARE(launchFailure(launcher, shutdownCommandLine(u"PC3007", shutdownArguments())), QString());
    QTRY_VERIFY(!readAll(drive.path(u"shutcmd.log"_s)).isEmpty());
    const QString logged = QString::fromUtf8(readAll(drive.path(u"shutcmd.log"_s)));
    static const QRegularExpression line(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z\t(.*)\n$"_s);
    const QRegularExpressionMatch match = line.match(logged);
    QVERIFY2(match.hasMatch(), qPrintable(logged));
    QCOMPARE(match.captured(1), u"\\\\PC3007\t/R\t/T:120\t"_s + Warning);
}

QTEST_GUILESS_MAIN(TestRoomSim)
#include "tst_roomsim.moc"
