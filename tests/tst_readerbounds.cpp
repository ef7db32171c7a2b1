// The reader's bound on long record lines: the fields come out as the whole
// line's cut gives them, while the parser holds a few kilobytes of any line.

#include "platform.h"
#include "sessionlistreader.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QTest>

#include <clocale>

using namespace Qt::StringLiterals;

namespace {

// The smallest limits the parser accepts: every line longer than 592 bytes
// takes the bounded path, and its tail is trimmed every 208 bytes.
constexpr SessionLineLimits Tight{0, 0};

// The cut of the whole line, decoded whole: what the panel showed before
// lines were bounded, and what they must still show.
SessionRecord wholeCut(std::string_view line)
{
    const std::u16string wide = platform::decodeSystemText(line);
    return cutSessionRecord(QStringView(wide)).toRecord();
}

// Switches LC_CTYPE, the code page the reader decodes with, for one scope.
// A code set that glibc ships no locale for (a double-byte code page) gets
// one made for the purpose: the POSIX locale over that code set, whose
// decoding iconv does in full; its character map need only list ASCII.
class CodePage {
public:
    CodePage(const QByteArray &locale, const QByteArray &codeSet = {}, int maxBytes = 1)
        : m_saved(std::setlocale(LC_CTYPE, nullptr)), m_savedPath(qgetenv("LOCPATH"))
    {
        if (!codeSet.isEmpty() && !compile(locale, codeSet, maxBytes))
            return;
        if (!std::setlocale(LC_CTYPE, locale.constData()))
            m_why = u"locale %1 is not available"_s.arg(QString::fromLatin1(locale));
    }
    ~CodePage()
    {
        std::setlocale(LC_CTYPE, m_saved.constData());
        if (m_savedPath.isNull())
            qunsetenv("LOCPATH");
        else
            qputenv("LOCPATH", m_savedPath);
    }
    // Why the code page is not in use, or empty when it is.
    QString why() const { return m_why; }

private:
    bool compile(const QByteArray &locale, const QByteArray &codeSet, int maxBytes)
    {
        QFile charmap(m_folder.filePath(u"charmap"_s));
        if (!charmap.open(QIODevice::WriteOnly)) {
            m_why = charmap.errorString();
            return false;
        }
        charmap.write("<code_set_name> " + codeSet + "\n<mb_cur_min> 1\n<mb_cur_max> " +
                      QByteArray::number(maxBytes) + "\nCHARMAP\n");
        for (int c = 0; c < 0x80; ++c)
            charmap.write(QStringLiteral("<U%1> /x%2\n").arg(c, 4, 16, QChar(u'0')).arg(c, 2, 16, QChar(u'0')).toLatin1());
        charmap.write("END CHARMAP\n");
        charmap.close();

        // -c: the locale lacks categories that LC_CTYPE does not need.
        QProcess localedef;
        localedef.start(u"localedef"_s, {u"-c"_s, u"-i"_s, u"POSIX"_s, u"-f"_s, charmap.fileName(),
                                         m_folder.filePath(QString::fromLatin1(locale))});
        if (!localedef.waitForFinished(60000) || !QFile::exists(m_folder.filePath(QString::fromLatin1(locale)))) {
            m_why = u"localedef cannot make a %1 locale: %2 %3"_s.arg(
                QString::fromLatin1(codeSet), localedef.errorString(),
                QString::fromLocal8Bit(localedef.readAllStandardError()));
            return false;
        }
        qputenv("LOCPATH", QFile::encodeName(m_folder.path()));
        return true;
    }

    QByteArray m_saved;
    QByteArray m_savedPath;
    QTemporaryDir m_folder;
    QString m_why;
};

// A random record line made of runs of one token each, weighted towards what
// breaks a bounded cut: long runs of blanks, multi-byte characters meeting
// the cut points, bytes that the code page does not decode. With
// `blankAfterRuns`, every run ends with a blank, so that no stretch without a
// proven character start is longer than the tail kept.
QByteArray randomLine(QRandomGenerator &random, const QList<QByteArray> &tokens, bool blankAfterRuns)
{
    QByteArray line = "\\";
    const int runs = random.bounded(1, 12);
    for (int run = 0; run < runs; ++run) {
        const QByteArray &token = tokens[random.bounded(int(tokens.size()))];
        // Mostly short runs, now and then one longer than the tail kept.
        const int count = !blankAfterRuns && random.bounded(8) == 0 ? random.bounded(200, 1500)
                                                                    : random.bounded(1, 60);
        line += token.repeated(count);
        if (blankAfterRuns || random.bounded(3) == 0)
            line += QByteArray(random.bounded(1, 30), ' ');
        if (random.bounded(10) == 0)
            line += QByteArray(random.bounded(200, 1500), ' ');
    }
    return line;
}

// Feeds `bytes` to the parser in random chunks, as reads of any size would.
void feedInChunks(SessionListParser &parser, const QByteArray &bytes, QRandomGenerator &random)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype size = std::min<qsizetype>(bytes.size() - at, random.bounded(1, 3000));
        parser.feed(std::string_view(bytes.constData() + at, std::size_t(size)));
        at += size;
    }
    parser.finish();
}

} // namespace

class TestReaderBounds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boundedCutEqualsWholeCut_data();
    void boundedCutEqualsWholeCut();
    void heldBytesStayBounded_data();
    void heldBytesStayBounded();
    void growingFileStillEnds();
};

void TestReaderBounds::boundedCutEqualsWholeCut_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QByteArray>("codeSet");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QList<QByteArray>>("tokens");
    QTest::addColumn<bool>("blankAfterRuns");
    QTest::addColumn<quint32>("seed");

    const QList<QByteArray> ascii = {" ", "A", "@", "0", ":", "\\", "\t", "\n", QByteArray(1, '\0')};
    const QList<QByteArray> utf8 = ascii + QList<QByteArray>{
        "\xC3\xA9",         // é
        "\xE2\x82\xAC",     // €
        "\xF0\x9F\x98\x80", // outside the BMP: two UTF-16 units
        "\x80",             // a continuation byte alone
        "\xFF",             // never valid in UTF-8
        "\xC3",             // a lead byte without its continuation
        "\xE2\x82",         // a character cut short
    };
    // Double-byte characters whose second byte is ASCII ('@', 'A'), whose
    // bytes could pair either way (B0 A1 A1 B0), and lead bytes alone.
    const QList<QByteArray> gbk = ascii + QList<QByteArray>{"\x81\x40", "\xB0\xA1", "\xA1\xB0", "\x81" "A",
                                                          "\x81", "\xFF", "\x80"};
    // Four-byte characters whose second and fourth bytes are digits.
    const QList<QByteArray> gb18030 = gbk + QList<QByteArray>{"\x81\x30\x81\x30", "\x95\x32\x82\x36",
                                                            "\x81\x30", "\x81\x30\x81"};

    // UTF-8 and the C locale (every byte above 0x7F a U+FFFD of its own)
    // repair a cut anywhere: runs of any length.
    QTest::newRow("UTF-8, seed 1") << QByteArray("C.UTF-8") << QByteArray() << 1 << utf8 << false << 1u;
    QTest::newRow("UTF-8, seed 2") << QByteArray("C.UTF-8") << QByteArray() << 1 << utf8 << false << 2u;
    QTest::newRow("C locale") << QByteArray("C") << QByteArray() << 1 << utf8 << false << 3u;
    // Double-byte code pages rely on the character starts the bytes prove.
    QTest::newRow("GBK") << QByteArray("trial.GBK") << QByteArray("GBK") << 2 << gbk << true << 4u;
    QTest::newRow("GB18030") << QByteArray("trial.GB18030") << QByteArray("GB18030") << 4 << gb18030 << true << 5u;
}

void TestReaderBounds::boundedCutEqualsWholeCut()
{
    QFETCH(QByteArray, locale);
    QFETCH(QByteArray, codeSet);
    QFETCH(int, maxBytes);
    QFETCH(QList<QByteArray>, tokens);
    QFETCH(bool, blankAfterRuns);
    QFETCH(quint32, seed);
    const CodePage codePage(locale, codeSet, maxBytes);
    if (!codePage.why().isEmpty())
        QSKIP(qPrintable(codePage.why()));

    QRandomGenerator random(seed);
    QList<QByteArray> lines;
    QList<SessionRecord> expected;
    QByteArray file;
    int longLines = 0;
    for (int i = 0; i < 1500; ++i) {
        const QByteArray line = randomLine(random, tokens, blankAfterRuns);
        lines.append(line);
        expected.append(wholeCut(line.toStdString()));
        if (line.size() > 1000)
            ++longLines;
        file += line + (random.bounded(2) ? "\r\n" : "\r");
    }
    // The bounded path must actually be taken, and its tail trimmed.
    QVERIFY2(longLines > 300, qPrintable(u"only %1 long lines"_s.arg(longLines)));

    QList<SessionRecord> records;
    SessionListParser parser([&](const SessionRecordView &record) { records.append(record.toRecord()); }, Tight);
    feedInChunks(parser, file, random);
    QCOMPARE(records.size(), expected.size());
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records[i] != expected[i]) {
            qWarning() << "line" << i << "of" << lines[i].size() << "bytes:" << lines[i].toHex();
            QCOMPARE(records[i], expected[i]);
        }
    }
}

void TestReaderBounds::heldBytesStayBounded_data()
{
    QTest::addColumn<QByteArray>("filler");
    QTest::addColumn<QString>("idleTime");
    QTest::newRow("blanks") << QByteArray(" ") << u"00:12:41"_s;
    QTest::newRow("letters") << QByteArray("X") << u"XXXX00:12:41"_s;
    QTest::newRow("words") << QByteArray("mot ") << u"mot 00:12:41"_s;
    // No ASCII at all: the tail is cut without a proven character start.
    QTest::newRow("accented letters") << QByteArray("\xC3\xA9") << u"éééé00:12:41"_s;
    // Character starts proven only every 20 KB, further apart than the tail.
    QTest::newRow("long accented words") << QByteArray("\xC3\xA9").repeated(10000) + ' ' << u"ééé 00:12:41"_s;
}

void TestReaderBounds::heldBytesStayBounded()
{
    QFETCH(QByteArray, filler);
    QFETCH(QString, idleTime);
    const CodePage codePage("C.UTF-8");
    QVERIFY2(codePage.why().isEmpty(), qPrintable(codePage.why()));

    const SessionLineLimits limits = SessionLineLimits{}.effective();
    const std::size_t bound = std::max(limits.wholeLine, 4 * limits.tail + 592);
    QList<SessionRecord> records;
    SessionListParser parser([&](const SessionRecordView &record) { records.append(record.toRecord()); });

    // 32 MB of filler between the user name and the idle time, in the
    // reader's 64 KiB chunks.
    parser.feed(sessionLine("PC3004", "USER17", "").toStdString());
    const QByteArray chunk = filler.repeated(64 * 1024 / filler.size());
    std::size_t mostHeld = 0;
    for (int i = 0; i < 512; ++i) {
        parser.feed(chunk.toStdString());
        mostHeld = std::max(mostHeld, parser.heldBytes());
    }
    parser.feed("00:12:41   ");
    mostHeld = std::max(mostHeld, parser.heldBytes());
    parser.finish();

    QVERIFY2(mostHeld <= bound, qPrintable(u"held %1 bytes, bound %2"_s.arg(mostHeld).arg(bound)));
    QCOMPARE(records.size(), 1);
    QCOMPARE(records.front().ComputerName, u"PC3004"_s);
    QCOMPARE(records.front().UserName, u"USER17"_s);
    QCOMPARE(records.front().IdleTime, idleTime);
    QCOMPARE(parser.heldBytes(), std::size_t(0));
}

// A writer that keeps appending while the panel reads must not keep the read
// going: the read stops at the size the file had when it was opened. Here
// every record read appends one more, as fast as the reader reads.
void TestReaderBounds::growingFileStillEnds()
{
    TrialDrive drive;
    constexpr int Lines = 5000;
    const QByteArray line = sessionLine("PC3001", "USER01", "00:00:01") + "\r\n";
    drive.writeSessionList(line.repeated(Lines));

    QFile writer(drive.path(u"dcon.txt"_s));
    QVERIFY(writer.open(QIODevice::Append | QIODevice::Unbuffered));
    int records = 0;
    const std::optional<ReadFailure> failure =
        readSessionListFile(drive.path(u"dcon.txt"_s).toStdString(), [&](const SessionRecordView &) {
            ++records;
            writer.write(line);
        });
    QCOMPARE(failure, std::nullopt);
    QCOMPARE(records, Lines);
    QCOMPARE(writer.size(), qint64(line.size()) * 2 * Lines);
}

QTEST_GUILESS_MAIN(TestReaderBounds)
#include "tst_readerbounds.moc"
