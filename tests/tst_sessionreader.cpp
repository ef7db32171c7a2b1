// The session list reader: line ends, column cuts and trims, streaming.

#include "sessionlistreader.h"
#include "testsupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSessionReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cutsFields_data();
    void cutsFields();
    void recordLines_data();
    void recordLines();
    void chunkBoundaries();
    void decodesSystemCodePage();
};

void TestSessionReader::cutsFields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<SessionRecord>("expected");

    // The usual listing: name from column 3, user from 24, idle time last.
    QTest::newRow("usual line") << QString::fromLatin1(sessionLine("PC3004", "USER17", "00:12:41"))
                                << SessionRecord{u"PC3004"_s, u"USER17"_s, u"00:12:41"_s};
    // A user name starting in column 17 also falls into the computer-name
    // window (columns 3 to 19).
    QTest::newRow("user name from column 17") << u"\\\\PC3002        USER21                      00:05:00"_s
                                              << SessionRecord{u"PC3002        USE"_s, u"USER21"_s, u"00:05:00"_s};
    QTest::newRow("user name from column 20") << u"\\\\PC3002           USER21                   00:05:00"_s
                                              << SessionRecord{u"PC3002"_s, u"USER21"_s, u"00:05:00"_s};
    QTest::newRow("user name cut at column 36")
        << u"\\\\PC3001               ABCDEFGHIJKLMNOPQRSTUVWXYZ 01:00:00"_s
        << SessionRecord{u"PC3001"_s, u"ABCDEFGHIJKLM"_s, u"XYZ 01:00:00"_s};
    QTest::newRow("blank user columns") << QString::fromLatin1(sessionLine("PC3003", "", "00:00:01"))
                                        << SessionRecord{u"PC3003"_s, QString(), u"00:00:01"_s};
    QTest::newRow("name alone") << u"\\\\PC3005"_s << SessionRecord{u"PC3005"_s, QString(), u"\\\\PC3005"_s};
    QTest::newRow("single backslash") << u"\\"_s << SessionRecord{QString(), QString(), u"\\"_s};
    QTest::newRow("leading blanks of the name kept")
        << u"\\\\ PC3001                USER1                00:00:02"_s
        << SessionRecord{u" PC3001"_s, u"USER1"_s, u"00:00:02"_s};
    QTest::newRow("trailing blanks do not count for the idle time")
        << QString::fromLatin1(sessionLine("PC3006", "USER2", "00:01:00") + "      ")
        << SessionRecord{u"PC3006"_s, u"USER2"_s, u"00:01:00"_s};
    QTest::newRow("idle time ends the user name on a short line")
        << u"\\\\PC3007               LONGUSERNAME1"_s
        << SessionRecord{u"PC3007"_s, u"LONGUSERNAME1"_s, u"ONGUSERNAME1"_s};
    QTest::newRow("tabs are not blanks") << u"\\\\PC3008\t              \tUSER\t              \t00:00:03"_s
                                         << SessionRecord{u"PC3008\t"_s, u"\tUSER\t"_s, u"\t00:00:03"_s};
    QTest::newRow("lower-case name kept as it is")
        << QString::fromLatin1(sessionLine("pc3004", "USER", "00:00:04"))
        << SessionRecord{u"pc3004"_s, u"USER"_s, u"00:00:04"_s};
    // The reader cuts a line's computer name from its bytes where the first
    // 19 are ASCII, and decodes the line only for the rest.
    QTest::newRow("accent in the user name") << u"\\\\PC3003               Hélène               00:00:05"_s
                                             << SessionRecord{u"PC3003"_s, u"Hélène"_s, u"00:00:05"_s};
    QTest::newRow("accent in the computer name") << u"\\\\SALLE-É              USER                 00:00:06"_s
                                                 << SessionRecord{u"SALLE-É"_s, u"USER"_s, u"00:00:06"_s};
    QTest::newRow("accent in column 19") << u"\\\\PC3002          é    USER                 00:00:07"_s
                                         << SessionRecord{u"PC3002          é"_s, u"é    USER"_s, u"00:00:07"_s};
    QTest::newRow("accent in column 20") << u"\\\\PC3002           é   USER                 00:00:08"_s
                                         << SessionRecord{u"PC3002"_s, u"é   USER"_s, u"00:00:08"_s};
}

void TestSessionReader::cutsFields()
{
    QFETCH(QString, line);
    QFETCH(SessionRecord, expected);
    QCOMPARE(cutSessionRecord(line).toRecord(), expected);

    // The reader's own cut of the line's bytes (UTF-8, the tests' locale).
    QList<SessionRecord> records;
    SessionListParser parser(keepRecords(records));
    parser.feed(line.toStdString());
    parser.finish();
    QCOMPARE(records, QList<SessionRecord>{expected});
}

void TestSessionReader::recordLines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("computers");

    const QByteArray a = sessionLine("PC3001", "A", "00:00:01");
    const QByteArray b = sessionLine("PC3002", "B", "00:00:02");
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("CR LF") << a + "\r\n" + b + "\r\n" << QStringList{u"PC3001"_s, u"PC3002"_s};
    QTest::newRow("CR alone") << a + "\r" + b + "\r" << QStringList{u"PC3001"_s, u"PC3002"_s};
    QTest::newRow("last line without line end") << a + "\r\n" + b << QStringList{u"PC3001"_s, u"PC3002"_s};
    // A lone LF does not end a line: the whole file is one line, cut as one.
    QTest::newRow("LF alone") << a + "\n" + b + "\n" << QStringList{u"PC3001"_s};
    QTest::newRow("header and closing lines")
        << "SESSIONNAME   USERNAME\r\n" + a + "\r\nThe command completed successfully.\r\n"
        << QStringList{u"PC3001"_s};
    QTest::newRow("space before the backslashes") << " " + a + "\r\n" << QStringList();
    QTest::newRow("same station twice") << a + "\r\n" + a + "\r\n" << QStringList{u"PC3001"_s, u"PC3001"_s};
    QTest::newRow("CR CR gives an empty line") << a + "\r\r" + b << QStringList{u"PC3001"_s, u"PC3002"_s};
    QTest::newRow("LF CR") << a + "\n\r" + b << QStringList{u"PC3001"_s, u"PC3002"_s};
}

void TestSessionReader::recordLines()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, computers);

    QStringList seen;
    for (const SessionRecord &record : parseSessionList(file.toStdString()))
        seen.append(record.ComputerName);
    QCOMPARE(seen, computers);
}

// Every split of a file into two chunks gives the records of the whole.
void TestSessionReader::chunkBoundaries()
{
    const QByteArray file = "Header\r\n" + sessionLine("PC3001", "A", "00:00:01") + "\r\n\r\n" +
                            sessionLine("PC3009", "B", "02:00:00") + "\n\r\n" + sessionLine("PC3002", "C", "00:10:00");
    const QList<SessionRecord> whole = parseSessionList(file.toStdString());
    QCOMPARE(whole.size(), 3);
    for (qsizetype cut = 0; cut <= file.size(); ++cut) {
        QList<SessionRecord> records;
        SessionListParser parser(keepRecords(records));
        parser.feed(std::string_view(file.constData(), std::size_t(cut)));
        parser.feed(std::string_view(file.constData() + cut, std::size_t(file.size() - cut)));
        parser.finish();
        QVERIFY2(records == whole, qPrintable(u"split at byte %1"_s.arg(cut)));
    }
}

// Columns count characters, not bytes: an accented user name in UTF-8 (the
// tests' locale) stays in its columns.
void TestSessionReader::decodesSystemCodePage()
{
    const QByteArray line = sessionLine("PC3003", "Hélène", "00:00:05");
    const QList<SessionRecord> records = parseSessionList(line.toStdString());
    QCOMPARE(records.size(), 1);
    QCOMPARE(records.front(), (SessionRecord{u"PC3003"_s, u"Hélène"_s, u"00:00:05"_s}));

    const QList<SessionRecord> invalid = parseSessionList("\\\\PC3003\xff");
    QCOMPARE(invalid.size(), 1);
    QCOMPARE(invalid.front().ComputerName, u"PC3003\uFFFD"_s);
}

QTEST_GUILESS_MAIN(TestSessionReader)
#include "tst_sessionreader.moc"
