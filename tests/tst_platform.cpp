// The host layer: command-line split, drive D:, real launches.

#include "platform.h"
#include "roommonitor.h"
#include "roomshutdown.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>


using namespace Qt::StringLiterals;

namespace {

QStringList split(const QString &line)
{
    QStringList words;
    for (const std::u16string &word : platform::splitCommandLine(line.toStdU16String()))
        words.append(QString::fromStdU16String(word));
    return words;
}

// Copies the recording stand-in to d:\talvero\<name> of the drive.
void installRecorder(const TrialDrive &drive, const QString &name)
{
    const QString target = drive.path(name);
    QFile::remove(target);
    QVERIFY(QFile::copy(QStringLiteral(SALLE30_TEST_SCRIPTS "/record-args"), target));
    QVERIFY(QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner));
}

QByteArray readWhenWritten(const QString &path)
{
    QFile file(path);
    // The stand-in renames its file into place, so existence means complete.
    if (!QTest::qWaitFor([&] { return file.exists(); }, 10000))
        return "<never written>";
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splitsLikeWindows_data();
    void splitsLikeWindows();
    void mapsDriveD_data();
    void mapsDriveD();
    void refusesNulInCommandLine();
    void decodesUtf8_data();
    void decodesUtf8();
    void shutdownToolReceivesArguments();
    void openFileOutlivesRenameOverIt();
};

void TestPlatform::splitsLikeWindows_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("program alone") << u"d:\\talvero\\session.bat"_s << QStringList{u"d:\\talvero\\session.bat"_s};
    QTest::newRow("shutdown command")
        << u"d:\\talvero\\shutcmd.exe \\\\PC3001 /R /T:120 \"Attention : l'école ferme à midi. Vraiment.\""_s
        << QStringList{u"d:\\talvero\\shutcmd.exe"_s, u"\\\\PC3001"_s, u"/R"_s, u"/T:120"_s,
                       u"Attention : l'école ferme à midi. Vraiment."_s};
    QTest::newRow("quotes inside a word") << u"a\"b c\"d e"_s << QStringList{u"ab cd"_s, u"e"_s};
    QTest::newRow("escaped quote") << u"a\\\"b"_s << QStringList{u"a\"b"_s};
    QTest::newRow("even backslashes before a quote") << u"\"a\\\\\" b"_s << QStringList{u"a\\"_s, u"b"_s};
    QTest::newRow("backslashes not before a quote") << u"\\\\srv\\x"_s << QStringList{u"\\\\srv\\x"_s};
    QTest::newRow("doubled quote inside quotes") << u"\"a\"\"b\""_s << QStringList{u"a\"b"_s};
    QTest::newRow("empty quoted argument") << u"a \"\" b"_s << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("unclosed quote runs to the end") << u"a \"b c"_s << QStringList{u"a"_s, u"b c"_s};
    QTest::newRow("empty") << QString() << QStringList();
}

void TestPlatform::splitsLikeWindows()
{
    QFETCH(QString, line);
    QFETCH(QStringList, words);
    QCOMPARE(split(line), words);
}

void TestPlatform::mapsDriveD_data()
{
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QString>("windowsPath");
    QTest::addColumn<QString>("hostPath");
    QTest::newRow("default drive") << QString() << u"d:\\talvero\\dcon.txt"_s << u"/mnt/d/talvero/dcon.txt"_s;
    QTest::newRow("drive from the environment") << u"/srv/d"_s << u"d:\\talvero\\dcon.txt"_s
                                                << u"/srv/d/talvero/dcon.txt"_s;
    QTest::newRow("trailing slash on the drive") << u"/srv/d/"_s << u"D:\\talvero\\x"_s << u"/srv/d/talvero/x"_s;
    QTest::newRow("drive root without slash") << u"/srv/d"_s << u"d:talvero"_s << u"/srv/d/talvero"_s;
    QTest::newRow("other drive left alone") << u"/srv/d"_s << u"c:\\x"_s << u"c:/x"_s;
}

void TestPlatform::mapsDriveD()
{
    QFETCH(QString, drive);
    QFETCH(QString, windowsPath);
    QFETCH(QString, hostPath);
    const QByteArray saved = qgetenv("SALLE30_DRIVE_D");
    if (drive.isEmpty())
        qunsetenv("SALLE30_DRIVE_D");
    else
        qputenv("SALLE30_DRIVE_D", drive.toUtf8());
    const QString mapped = QString::fromStdU16String(platform::hostPath(windowsPath.toStdU16String()).u16string());
    qputenv("SALLE30_DRIVE_D", saved);
    QCOMPARE(mapped, hostPath);
}

// The host would cut the line at the NUL and start what comes before it.
void TestPlatform::refusesNulInCommandLine()
{
    TrialDrive drive;
    installRecorder(drive, u"plain.exe"_s);
    const auto failure = platform::launchDetached(u"d:\\talvero\\plain.exe\0 arg"_s.toStdU16String());
    QVERIFY(failure.has_value());
    QCOMPARE(failure->number, EINVAL);
    QVERIFY(!QFile::exists(drive.path(u"plain.exe.args"_s)));
}

// The tests' locale is UTF-8: each byte that cannot begin a valid,
// shortest-form character becomes one replacement character.
void TestPlatform::decodesUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ASCII and NUL") << QByteArray("a\0b", 3) << u"a\0b"_s.left(3);
    QTest::newRow("two, three and four bytes") << QByteArray("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80")
                                               << u"é€\U0001F600"_s;
    QTest::newRow("lone continuation byte") << QByteArray("a\x80" "b") << u"a\uFFFD" "b"_s;
    QTest::newRow("cut-off sequence at the end") << QByteArray("\xE2\x82") << u"\uFFFD\uFFFD"_s;
    QTest::newRow("overlong form") << QByteArray("\xC0\x80\xE0\x80\x80") << QString(5, QChar(0xFFFD));
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << QString(3, QChar(0xFFFD));
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << QString(4, QChar(0xFFFD));
    QTest::newRow("Latin-1 byte") << QByteArray("Fran\xE7" "ois") << u"Fran\uFFFD" "ois"_s;
}

void TestPlatform::decodesUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdU16String(platform::decodeSystemText(bytes.toStdString())), text);
}

// End to end: the panel's own shutdown of PC3001, through the host launcher,
// to a stand-in that writes down what it received.
void TestPlatform::shutdownToolReceivesArguments()
{
    TrialDrive drive;
    installRecorder(drive, u"shutcmd.exe"_s);
    HostLauncher launcher;
    RoomShutdown shutdown(launcher, [](int n) { return room::stationName(n); }, [] { return shutdownArguments(); });
    shutdown.stationClick(1);
    QCOMPARE(shutdown.statusText(), QString());

    const QByteArray expected = QByteArray("\\\\PC3001") + '\0' + "/R" + '\0' + "/T:120" + '\0' +
                                "Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre "
                                "session et sortir de la salle dans les 5 minutes." + '\0';
    QCOMPARE(readWhenWritten(drive.path(u"shutcmd.exe.args"_s)), expected);
}

// The session list command renames a new list over the one the panel may be
// reading: the open file still gives the old list's bytes, size and time.
void TestPlatform::openFileOutlivesRenameOverIt()
{
    TrialDrive drive;
    const QByteArray before = sessionLine("PC3001", "BEFORE", "00:00:01") + "\r\n";
    drive.writeSessionList(before);
    const QDateTime writtenAt(QDate(2026, 12, 1), QTime(7, 0, 0, 250));
    {
        QFile list(drive.path(u"dcon.txt"_s));
        QVERIFY(list.open(QIODevice::ReadWrite) && list.setFileTime(writtenAt, QFileDevice::FileModificationTime));
    }
    auto opened = platform::ReadOnlyFile::open(drive.path(u"dcon.txt"_s).toStdString());
    auto *file = std::get_if<platform::ReadOnlyFile>(&opened);
    QVERIFY(file);

    {
        QFile next(drive.path(u"dcon.new"_s));
        QVERIFY(next.open(QIODevice::WriteOnly) && next.write(before.repeated(3)) == 3 * before.size());
    }
    std::error_code error;
    std::filesystem::rename(drive.path(u"dcon.new"_s).toStdString(), drive.path(u"dcon.txt"_s).toStdString(), error);
    QVERIFY2(!error, error.message().c_str());

    QCOMPARE(file->size(), std::uint64_t(before.size()));
    QCOMPARE(std::chrono::floor<std::chrono::milliseconds>(file->lastWritten().time_since_epoch()).count(),
             writtenAt.toMSecsSinceEpoch());
    QByteArray read;
    char buffer[16];
    while (true) {
        const auto got = file->read(buffer);
        QVERIFY(std::holds_alternative<std::size_t>(got));
        if (std::get<std::size_t>(got) == 0)
            break;
        read.append(buffer, qsizetype(std::get<std::size_t>(got)));
    }
    QCOMPARE(read, before);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
