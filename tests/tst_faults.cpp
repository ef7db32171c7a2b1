// Faults around the panel: the session list file vanishes, turns into
// something else, grows absurd or is rewritten while it is read; the outside
// programs are missing, refuse to start, end at once or never end. After
// each, what the operator sees is checked, and that the panel goes on. And
// the reader's bound on long lines: the fields come out as the whole line's
// cut gives them, while the parser holds a few kilobytes of any line.

#include "platform.h"
#include "roommonitor.h"
#include "roomshutdown.h"
#include "testsupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <clocale>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A title line, one line per record (computer, user, idle time), an end line.
QByteArray listing(std::initializer_list<std::array<QByteArray, 3>> records)
{
    QByteArray bytes = "Sessions de la salle 30\r\n";
    for (const auto &[computer, user, idleTime] : records)
        bytes += sessionLine(computer, user, idleTime) + "\r\n";
    return bytes + "Fin de la liste.\r\n";
}

// Two listings with nothing in common.
const QByteArray RoomA = listing({{"PC3001", "USER01", "00:00:05"}, {"PC3003", "USER03", "02:47:10"},
                                  {"PC1207", "USER33", "00:00:09"}, {"PC3005", "USER05", "00:00:01"}});
const QByteArray RoomB = listing({{"PC3012", "ELEVE12", "00:01:00"}, {"PC3011", "ELEVE11", "01:00:00"},
                                  {"PC3010", "", "00:00:00"}, {"PC3009", "ELEVE09", "00:59:59"}});

// What the operator sees: each tile's state and captions, the hidden list.
QString describeRoom(const room::RoomTiles &tiles, const QStringList &computers)
{
    QStringList parts;
    for (int n = 1; n <= room::StationCount; ++n) {
        const room::StationTile &tile = tiles.tile(n);
        const bool shown = tile.state != room::TileState::NoSession;
        parts.append(shown ? u"%1 %2 %3"_s.arg(int(tile.state)).arg(tile.userName, tile.idleTime) : u"-"_s);
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

// The panel's models on a drive of its own; by default nothing is launched.
template <typename LauncherType = RecordingLauncher>
struct Panel {
    TrialDrive drive;
    LauncherType launcher;
    ManualClock clock;
    RoomMonitor monitor{launcher, clock};
    RoomShutdown shutdown{launcher, [](int n) { return room::stationName(n); }, [] { return shutdownArguments(); }};
    const QString file = drive.path(u"dcon.txt"_s);

    void tick()
    {
        clock.time = clock.time.addSecs(30);
        monitor.Timer1_Timer();
    }
};

// Permissions do not stop root from reading: as root, the test runs again as
// the user nobody (65534), in a process of its own.
void runAsNobody(const QString &test)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(u"setpriv"_s, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                               QCoreApplication::applicationFilePath(), test});
    QVERIFY2(child.waitForFinished(60000), qPrintable(child.errorString()));
    const QByteArray output = child.readAll();
    QVERIFY2(output.contains("Totals: 3 passed, 0 failed, 0 skipped"), output.constData());
}

// Installs a stand-in from tests/scripts as d:\talvero\<name>, or nothing when
// `script` is empty. Each run notes its process id in <name>.runs.
void installStandIn(const TrialDrive &drive, const QString &name, const QString &script, bool executable = true)
{
    const QString path = drive.path(name);
    const auto mode = executable ? QFile::ReadOwner | QFile::ExeOwner : QFile::Permissions(QFile::ReadOwner);
    QVERIFY(script.isEmpty() || (QFile::copy(QStringLiteral(SALLE30_TEST_SCRIPTS "/") + script, path) &&
                                 QFile::setPermissions(path, mode)));
}

qsizetype runsOf(const TrialDrive &drive, const QString &name)
{
    QFile runs(drive.path(name + u".runs"_s));
    return runs.open(QIODevice::ReadOnly) ? runs.readAll().count('\n') : 0;
}

// Makes `codeSet` the code page that the reader decodes with: glibc ships no
// locale for it, so one is made, the POSIX locale over that code set (iconv
// decodes it in full, the map need only list ASCII). Returns why it cannot.
QString useCodePage(const QTemporaryDir &folder, const QByteArray &codeSet)
{
    QByteArray charmap = "<code_set_name> " + codeSet + "\n<mb_cur_min> 1\n<mb_cur_max> 4\nCHARMAP\n";
    for (int c = 0; c < 0x80; ++c)
        charmap += QString::asprintf("<U%04X> /x%02x\n", c, c).toLatin1();
    QFile file(folder.filePath(u"charmap"_s));
    if (!file.open(QIODevice::WriteOnly) || file.write(charmap + "END CHARMAP\n") < 0 || !file.flush())
        return file.errorString();
    // -c: the locale lacks categories that LC_CTYPE does not need.
    QProcess localedef;
    localedef.start(u"localedef"_s, {u"-c"_s, u"-i"_s, u"POSIX"_s, u"-f"_s, file.fileName(),
                                     folder.filePath(u"trial"_s)});
    qputenv("LOCPATH", QFile::encodeName(folder.path()));
    if (!localedef.waitForFinished(60000) || !std::setlocale(LC_CTYPE, "trial"))
        return u"localedef cannot make a locale: "_s + QString::fromLocal8Bit(localedef.readAllStandardError());
    return {};
}

// A random record line of runs of one token each, weighted towards what breaks
// a bounded cut. With `blankAfterRuns`, no stretch without a proven character
// start is longer than the tail kept.
QByteArray randomLine(QRandomGenerator &random, const QList<QByteArray> &tokens, bool blankAfterRuns)
{
    QByteArray line = "\\";
    for (int run = random.bounded(1, 12); run > 0; --run) {
        const QByteArray &token = tokens[random.bounded(int(tokens.size()))];
        line += token.repeated(!blankAfterRuns && random.bounded(8) == 0 ? random.bounded(200, 1500)
                                                                         : random.bounded(1, 60));
        if (blankAfterRuns || random.bounded(3) == 0)
            line += QByteArray(random.bounded(1, 30), ' ');
        if (random.bounded(10) == 0)
            line += QByteArray(random.bounded(200, 1500), ' ');
    }
    return line;
}

enum FileFault { Deleted, Directory, Fifo, Device, Unreadable, Emptied };

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sessionListFaults_data();
    void sessionListFaults();
    void hundredMegabyteLine();
    void millionRecordLines();
    void rewrittenWhileRead_data();
    void rewrittenWhileRead();
    void programFaults_data();
    void programFaults();
    void thousandRefreshesAndLaunches();
    void boundedCutEqualsWholeCut_data();
    void boundedCutEqualsWholeCut();
    void growingFileStillEnds();
};

void TestFaults::sessionListFaults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("error"); // after "erreur ", or empty when the read works
    QTest::newRow("deleted between two refreshes") << int(Deleted) << u"2, No such file or directory"_s;
    QTest::newRow("replaced by a directory") << int(Directory) << u"21, Is a directory"_s;
    QTest::newRow("replaced by a FIFO") << int(Fifo) << u"22, Not a regular file"_s;
    QTest::newRow("link to an endless device") << int(Device) << u"22, Not a regular file"_s;
    QTest::newRow("unreadable") << int(Unreadable) << u"13, Permission denied"_s;
    QTest::newRow("emptied") << int(Emptied) << QString();
}

void TestFaults::sessionListFaults()
{
    QFETCH(int, fault);
    QFETCH(QString, error);
    if (fault == Unreadable && ::geteuid() == 0)
        return runAsNobody(u"sessionListFaults:"_s + QString::fromLatin1(QTest::currentDataTag()));
    Panel panel;
    panel.drive.writeSessionList(RoomA);
    panel.monitor.Form_Load();
    QCOMPARE(roomSeen(panel.monitor), roomOf(RoomA));

    if (fault == Unreadable)
        QVERIFY(QFile::setPermissions(panel.file, QFile::WriteOwner));
    else
        panel.drive.removeSessionList();
    if (fault == Directory)
        QVERIFY(QDir().mkpath(panel.file));
    if (fault == Fifo)
        QCOMPARE(::mkfifo(QFile::encodeName(panel.file).constData(), 0600), 0);
    if (fault == Device)
        QVERIFY(QFile::link(u"/dev/zero"_s, panel.file));
    if (fault == Emptied)
        panel.drive.writeSessionList({});
    // Opening a FIFO waits for a writer, reading a device may never end: a
    // read that hangs ends the test process.
    ::alarm(20);
    panel.tick();
    ::alarm(0);
    // A failed read keeps the room read before, and says why and since when.
    const QString failed = u"Lecture impossible de %1 : erreur %2. La salle affichée est celle lue à 08:30:00."_s;
    QCOMPARE(roomSeen(panel.monitor), roomOf(error.isEmpty() ? QByteArray() : RoomA));
    QVERIFY2(panel.monitor.statusText().startsWith(error.isEmpty() ? u"Liste des sessions lue à 08:30:30"_s
                                                                   : failed.arg(panel.file, error)),
             qPrintable(panel.monitor.statusText()));

    // Still up: once the file is back, the next refresh shows it.
    QDir().rmdir(panel.file);
    QFile::remove(panel.file);
    panel.drive.writeSessionList(RoomB);
    panel.tick();
    QCOMPARE(roomSeen(panel.monitor), roomOf(RoomB));
    QVERIFY(panel.monitor.statusText().startsWith(u"Liste des sessions lue à 08:31:00"_s));
}

// One record line of 100 MiB: blanks between the user name and the idle
// time. The read holds a few kilobytes of it, and shows what the line says.
void TestFaults::hundredMegabyteLine()
{
    Panel panel;
    const QByteArray next = "\r\n" + sessionLine("PC3009", "USER05", "02:47:10") + "\r\n";
    panel.drive.writeSessionList("\\\\PC3004               USER17" + QByteArray(100 * 1024 * 1024, ' ') + "00:12:41" +
                                 next);
    resetPeakMemory();
    const qint64 before = memoryKiB("VmRSS");
    panel.monitor.Form_Load();
    const qint64 growth = memoryKiB("VmHWM") - before;

    QCOMPARE(roomSeen(panel.monitor), roomOf(sessionLine("PC3004", "USER17", "00:12:41") + next));
    if (memoryIsMeasurable())
        QVERIFY2(growth < 8 * 1024, qPrintable(u"grew by %1 KiB"_s.arg(growth)));
}

// A million record lines naming the stations in turn: every one is listed,
// and each tile shows its station's last record. Every second record of
// PC3001 is idle, its last one not: the mark stays.
void TestFaults::millionRecordLines()
{
    const auto user = [](int i) { return "USER" + QByteArray::number(i % 1000); };
    const auto idleTime = [](int i) { return i % 24 ? "00:00:" + QByteArray::number(10 + i % 50) : "01:00:00"; };
    constexpr int Lines = 1000000;
    constexpr int Period = 3000; // the least common multiple of 24, 1000 and 50
    QList<QByteArray> period;
    for (int i = 0; i < Period; ++i)
        period.append(sessionLine(room::stationName(1 + i % 12).toLatin1(), user(i), idleTime(i)) + "\r\n");
    QByteArray bytes;
    for (int i = 0; i < Lines; ++i)
        bytes += period[i % Period];
    Panel panel;
    panel.drive.writeSessionList(bytes);
    panel.monitor.Form_Load();

    QCOMPARE(panel.monitor.Listpc().count(), Lines);
    for (int n = 1; n <= room::StationCount; ++n) {
        const int last = Lines - 1 - (Lines - n) % 12; // the last line naming station n
        const auto state = n == 1 ? room::TileState::InSessionIdle : room::TileState::InSession;
        QCOMPARE(panel.monitor.tiles().tile(n), (room::StationTile{state, QString::fromLatin1(user(last)), u"NOM"_s,
                                                                   QString::fromLatin1(idleTime(last))}));
    }
}

void TestFaults::rewrittenWhileRead_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("write then rename") << u"rename"_s;
    QTest::newRow("truncate and write") << u"truncate"_s;
}

// A writer rewrites the file without pause, alternating two rooms, while the
// panel refreshes hundreds of times. Renaming a whole file into place shows
// exactly one room or the other; truncating and writing may show any prefix
// of either, a cut last line included.
void TestFaults::rewrittenWhileRead()
{
    QFETCH(QString, mode);
    Panel panel;
    QStringList arguments = {mode, panel.file, panel.drive.path(u"stop"_s)};
    QSet<QString> possible;
    for (const QByteArray &room : {RoomA, RoomB}) {
        arguments.append(panel.drive.path(u"room%1.txt"_s.arg(arguments.size())));
        panel.drive.writeSessionList(room);
        QVERIFY(QFile::copy(panel.file, arguments.last()));
        possible.insert(roomOf(room));
        for (qsizetype size = 0; mode == u"truncate" && size < room.size(); ++size)
            possible.insert(roomOf(room.first(size)));
    }
    QProcess writer; // killed, should a check fail
    writer.start(QStringLiteral(SALLE30_TEST_SCRIPTS "/rewrite-loop"), arguments);
    QVERIFY(writer.waitForStarted());

    panel.monitor.Form_Load();
    int refreshes = 0;
    int changes = 0;
    QString previous = roomSeen(panel.monitor);
    const QDeadlineTimer deadline(60000);
    while ((refreshes < 500 || changes < 50) && !deadline.hasExpired()) {
        panel.monitor.refresh_Click();
        ++refreshes;
        const QString seen = roomSeen(panel.monitor);
        QVERIFY2(possible.contains(seen), qPrintable(u"refresh %1 shows %2"_s.arg(refreshes).arg(seen)));
        QVERIFY2(!panel.monitor.statusText().contains(u"impossible"_s), qPrintable(panel.monitor.statusText()));
        changes += seen != previous;
        previous = seen;
    }
    QFile(arguments[2]).open(QIODevice::WriteOnly);
    QVERIFY(writer.waitForFinished(10000));
    QCOMPARE(writer.exitCode(), 0);
    QVERIFY2(changes >= 50, qPrintable(u"the room changed only %1 times"_s.arg(changes)));
}

void TestFaults::programFaults_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("script"); // empty: no program at all
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("launchError");
    for (const QString &program : {u"session.bat"_s, u"shutcmd.exe"_s}) {
        const QByteArray name = program.toLatin1();
        QTest::addRow("%s missing", name.data()) << program << QString() << false << u"2, No such file or directory"_s;
        QTest::addRow("%s not executable", name.data())
            << program << u"ends-at-once"_s << false << u"13, Permission denied"_s;
        QTest::addRow("%s ends at once", name.data()) << program << u"ends-at-once"_s << true << QString();
        QTest::addRow("%s never ends", name.data()) << program << u"never-ends"_s << true << QString();
    }
}

// Whatever the program on trial does, the launches return at once (a hang
// ends the test process), every refresh still reads the file and a room
// shutdown goes through all twelve stations on its timers. A launch that
// fails is named on the status line.
void TestFaults::programFaults()
{
    QFETCH(QString, program);
    QFETCH(QString, script);
    QFETCH(bool, executable);
    QFETCH(QString, launchError);
    const bool command = program == u"session.bat";
    Panel<HostLauncher> panel;
    panel.drive.writeSessionList(RoomA);
    installStandIn(panel.drive, program, script, executable);
    const QString other = command ? u"shutcmd.exe"_s : u"session.bat"_s;
    installStandIn(panel.drive, other, u"ends-at-once"_s);
    ::alarm(20);
    panel.monitor.Form_Load();
    panel.tick();
    panel.shutdown.Stopall_Click();
    for (int k = 2; k <= room::StationCount; ++k) {
        QVERIFY2(panel.shutdown.chainTimer(k)->isActive(), qPrintable(u"Timer%1"_s.arg(k)));
        panel.shutdown.chainTick(k);
        QVERIFY(!panel.shutdown.chainTimer(k)->isActive());
    }
    ::alarm(0);

    const QString path = panel.drive.path(program);
    const QString read = u"Liste des sessions lue à 08:30:30"_s;
    const QString launch = u"Lancement impossible de %1 : erreur %2.  "_s.arg(path, launchError) + read;
    const QString stop = u"Arrêt non lancé pour PC3001, PC3002, PC3003, PC3004, PC3005, PC3006, PC3007, PC3008, "
                         u"PC3009, PC3010, PC3011, PC3012 : erreur %1 (%2)."_s.arg(launchError, path);
    const QString status = launchError.isEmpty() || !command ? read : launch;
    QCOMPARE(roomSeen(panel.monitor), roomOf(RoomA));
    QCOMPARE(panel.monitor.statusText().left(status.size()), status);
    QCOMPARE(panel.shutdown.statusText(), launchError.isEmpty() || command ? QString() : stop);
    QTRY_COMPARE(runsOf(panel.drive, program), executable ? (command ? 2 : 12) : 0);
    QTRY_COMPARE(runsOf(panel.drive, other), command ? 12 : 2); // none left to write into the drive
}

// A thousand refreshes and a thousand shutdown launches through the host:
// no zombie, no descriptor left open, resident memory flat after warm-up.
void TestFaults::thousandRefreshesAndLaunches()
{
    Panel<HostLauncher> panel;
    panel.drive.writeSessionList(RoomA);
    installStandIn(panel.drive, u"session.bat"_s, u"ends-at-once"_s);
    installStandIn(panel.drive, u"shutcmd.exe"_s, u"ends-at-once"_s);
    const auto openFileDescriptors = [] {
        return QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
    };
    qsizetype descriptors = 0;
    qint64 resident = 0;
    int launches = 0;
    for (const int rounds : {50, 1000}) {
        descriptors = openFileDescriptors();
        resident = memoryKiB("VmRSS");
        for (int i = 0; i < rounds; ++i) {
            panel.tick();
            panel.shutdown.stationClick(1 + i % room::StationCount);
        }
        launches += rounds;
        QTRY_COMPARE_WITH_TIMEOUT(runsOf(panel.drive, u"session.bat"_s), launches, 60000);
        QTRY_COMPARE_WITH_TIMEOUT(runsOf(panel.drive, u"shutcmd.exe"_s), launches, 60000);
    }
    const qint64 growth = memoryKiB("VmRSS") - resident;

    QCOMPARE(roomSeen(panel.monitor), roomOf(RoomA));
    QVERIFY2(!panel.monitor.statusText().contains(u"impossible"_s), qPrintable(panel.monitor.statusText()));
    QCOMPARE(panel.shutdown.statusText(), QString());
    QCOMPARE(openFileDescriptors(), descriptors);
    // A child that ended and was never reaped is one to wait for; the
    // launcher reaps each one as it ends, from a thread of its own.
    const auto endedChild = [] {
        siginfo_t zombie{};
        return ::waitid(P_ALL, 0, &zombie, WEXITED | WNOHANG | WNOWAIT) == 0 ? zombie.si_pid : 0;
    };
    QTRY_COMPARE_WITH_TIMEOUT(endedChild(), 0, 10000);
    if (memoryIsMeasurable())
        QVERIFY2(growth < 1024, qPrintable(u"resident memory grew by %1 KiB"_s.arg(growth)));
}

void TestFaults::boundedCutEqualsWholeCut_data()
{
    QTest::addColumn<QByteArray>("codeSet"); // empty: UTF-8, the usual code page
    QTest::addColumn<QList<QByteArray>>("tokens");
    QTest::addColumn<quint32>("seed");
    const QList<QByteArray> ascii = {" ", "A", "@", "0", ":", "\\", "\t", "\n", QByteArray(1, '\0')};
    // é, €, a character outside the BMP (two UTF-16 units), a continuation
    // byte alone, a byte never valid, a lead byte alone, a character cut short.
    const QList<QByteArray> utf8 = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\x80", "\xFF", "\xC3", "\xE2\x82"};
    // Double-byte characters whose second byte is ASCII ('@', 'A'), whose
    // bytes could pair either way (B0 A1 A1 B0), lead bytes alone, and
    // four-byte characters whose second and fourth bytes are digits.
    const QList<QByteArray> gb18030 = {"\x81\x40", "\xB0\xA1", "\xA1\xB0", "\x81" "A", "\x81", "\xFF", "\x80",
                                       "\x81\x30\x81\x30", "\x95\x32\x82\x36", "\x81\x30", "\x81\x30\x81"};
    QTest::newRow("UTF-8") << QByteArray() << ascii + utf8 << 1u;
    QTest::newRow("GB18030") << QByteArray("GB18030") << ascii + gb18030 << 5u;
}

void TestFaults::boundedCutEqualsWholeCut()
{
    QFETCH(QByteArray, codeSet);
    QFETCH(QList<QByteArray>, tokens);
    QFETCH(quint32, seed);
    const QTemporaryDir folder;
    const auto restore = qScopeGuard([] {
        qunsetenv("LOCPATH");
        std::setlocale(LC_CTYPE, "C.UTF-8");
    });
    const QString why = codeSet.isEmpty() ? QString() : useCodePage(folder, codeSet);
    if (!why.isEmpty())
        QSKIP(qPrintable(why));

    // UTF-8 repairs a cut anywhere: runs of any length. A double-byte code
    // page relies on the character starts that the bytes prove.
    QRandomGenerator random(seed);
    QList<SessionRecord> expected;
    QByteArray file;
    int longLines = 0;
    for (int i = 0; i < 1500; ++i) {
        const QByteArray line = randomLine(random, tokens, !codeSet.isEmpty());
        const std::u16string wide = platform::decodeSystemText(line.toStdString());
        expected.append(cutSessionRecord(QStringView(wide)).toRecord());
        longLines += line.size() > 1000;
        file += line + (random.bounded(2) ? "\r\n" : "\r");
    }
    // The bounded path must actually be taken, and its tail trimmed.
    QVERIFY2(longLines > 300, qPrintable(u"only %1 long lines"_s.arg(longLines)));

    // The smallest limits: lines past 592 bytes take the bounded path, their
    // tail is trimmed every 208 bytes, and at most 4 * 208 + 592 bytes are held.
    // Chunks of any size, as reads give.
    QList<SessionRecord> records;
    SessionListParser parser(keepRecords(records), {0, 0});
    std::size_t mostHeld = 0;
    for (qsizetype at = 0, size = 0; at < file.size(); at += size) {
        size = std::min<qsizetype>(file.size() - at, random.bounded(1, 3000));
        parser.feed(std::string_view(file.constData() + at, std::size_t(size)));
        mostHeld = std::max(mostHeld, parser.heldBytes());
    }
    parser.finish();
    QCOMPARE(records, expected);
    QCOMPARE_LE(mostHeld, 4 * 208 + 592u);
}

// A writer that keeps appending while the panel reads must not keep the read
// going: the read stops at the size the file had when it was opened. Here
// each of the first records read appends one more.
void TestFaults::growingFileStillEnds()
{
    TrialDrive drive;
    constexpr int Lines = 5000;
    const QByteArray line = sessionLine("PC3001", "USER01", "00:00:01") + "\r\n";
    drive.writeSessionList(line.repeated(Lines));
    QFile writer(drive.path(u"dcon.txt"_s));
    QVERIFY(writer.open(QIODevice::Append | QIODevice::Unbuffered));
    int records = 0;
    const auto append = [&](const SessionLine &) {
        if (++records <= Lines)
            writer.write(line);
    };
    QCOMPARE(readSessionListFile(writer.fileName().toStdString(), append), std::nullopt);
    QCOMPARE(records, Lines);
    QCOMPARE(writer.size(), qint64(line.size()) * 2 * Lines);
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
