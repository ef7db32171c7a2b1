// The session list reader: column cuts, line ends, chunks, long lines and
// a file that grows while it is read, in whatever code page the host has.

#include "readerchecks.h"
#include "sessionlistreader.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <random>

using namespace readerchecks;

namespace {

std::vector<std::u16string> computersOf(std::string_view file)
{
    std::vector<std::u16string> computers;
    for (const SessionRecord &record : parseSessionList(file))
        computers.push_back(record.ComputerName);
    return computers;
}

} // namespace

TEST_CASE("fields are cut from their columns")
{
    struct Row {
        const char *name;
        std::u16string_view line;
        SessionRecord expected;
    };
    const Row rows[] = {
        {"usual line", u"\\\\PC3004               USER17               00:12:41", {u"PC3004", u"USER17", u"00:12:41"}},
        // Columns 17 to 19 belong to both the computer name and the user name.
        {"user name from column 17", u"\\\\PC3002        USER21                      00:05:00",
         {u"PC3002        USE", u"USER21", u"00:05:00"}},
        {"user name from column 20", u"\\\\PC3002           USER21                   00:05:00",
         {u"PC3002", u"USER21", u"00:05:00"}},
        {"user name cut at column 36", u"\\\\PC3001               ABCDEFGHIJKLMNOPQRSTUVWXYZ 01:00:00",
         {u"PC3001", u"ABCDEFGHIJKLM", u"XYZ 01:00:00"}},
        {"blank user columns", u"\\\\PC3003                                    00:00:01",
         {u"PC3003", u"", u"00:00:01"}},
        {"name alone", u"\\\\PC3005", {u"PC3005", u"", u"\\\\PC3005"}},
        {"single backslash", u"\\", {u"", u"", u"\\"}},
        {"leading blanks of the name kept", u"\\\\ PC3001                USER1                00:00:02",
         {u" PC3001", u"USER1", u"00:00:02"}},
        {"trailing blanks do not count for the idle time",
         u"\\\\PC3006               USER2                00:01:00      ", {u"PC3006", u"USER2", u"00:01:00"}},
        {"idle time ends the user name on a short line", u"\\\\PC3007               LONGUSERNAME1",
         {u"PC3007", u"LONGUSERNAME1", u"ONGUSERNAME1"}},
        {"tabs are not blanks", u"\\\\PC3008\t              \tUSER\t              \t00:00:03",
         {u"PC3008\t", u"\tUSER\t", u"\t00:00:03"}},
        {"lower-case name kept as it is", u"\\\\pc3004               USER                 00:00:04",
         {u"pc3004", u"USER", u"00:00:04"}},
        {"accent in the user name", u"\\\\PC3003               Hélène               00:00:05",
         {u"PC3003", u"Hélène", u"00:00:05"}},
        {"accent in the computer name", u"\\\\SALLE-É              USER                 00:00:06",
         {u"SALLE-É", u"USER", u"00:00:06"}},
        {"accent in column 19", u"\\\\PC3002          é    USER                 00:00:07",
         {u"PC3002          é", u"é    USER", u"00:00:07"}},
        {"accent in column 20", u"\\\\PC3002           é   USER                 00:00:08",
         {u"PC3002", u"é   USER", u"00:00:08"}},
        {"character outside the BMP in column 19", u"\\\\PC3002          😀   USER                00:00:09",
         {u"PC3002          \xD83D", u"😀   USER", u"00:00:09"}},
    };
    for (const Row &row : rows) {
        SUBCASE(row.name)
        {
            CHECK(cutSessionRecord(row.line).toRecord() == row.expected);

            // The reader cuts the name from the bytes where it can, the rest
            // only when asked: both as the host's decoding of the whole line
            // cut at once gives them (UTF-8 bytes, in whatever the host's
            // code page makes of them).
            const std::string bytes = platform::toUtf8(row.line);
            std::vector<SessionRecord> records;
            SessionListParser parser(keepRecords(records));
            parser.feed(bytes);
            parser.finish();
            CHECK(records == std::vector{cutSessionRecord(platform::decodeSystemText(bytes)).toRecord()});
        }
    }
}

// The computer name is widened from the bytes only where the first 19 are
// ASCII: a byte above 0x7F in any of them, or in a line shorter than that,
// has the line decoded as the host's code page says.
TEST_CASE("a byte above 0x7F among the first 19 has the line decoded")
{
    const std::string usual = sessionLine("PC3004", "USER17", "00:12:41");
    for (std::size_t at = 2; at < 19; ++at) {
        for (const std::size_t size : {at + 1, usual.size()}) {
            CAPTURE(at);
            CAPTURE(size);
            std::string line = usual.substr(0, size);
            line[at] = '\xE9';
            std::vector<SessionRecord> records;
            SessionListParser parser(keepRecords(records));
            parser.feed(line);
            parser.finish();
            CHECK(records == std::vector{cutSessionRecord(platform::decodeSystemText(line)).toRecord()});
        }
    }
}

TEST_CASE("record lines and line ends")
{
    const std::string a = sessionLine("PC3001", "A", "00:00:01");
    const std::string b = sessionLine("PC3002", "B", "00:00:02");
    struct Row {
        const char *name;
        std::string file;
        std::vector<std::u16string> computers;
    };
    const Row rows[] = {
        {"empty file", "", {}},
        {"CR LF", a + "\r\n" + b + "\r\n", {u"PC3001", u"PC3002"}},
        {"CR alone", a + "\r" + b + "\r", {u"PC3001", u"PC3002"}},
        {"last line without line end", a + "\r\n" + b, {u"PC3001", u"PC3002"}},
        // A lone LF does not end a line: the whole file is one line.
        {"LF alone", a + "\n" + b + "\n", {u"PC3001"}},
        {"header and closing lines", "SESSIONNAME   USERNAME\r\n" + a + "\r\nThe command completed.\r\n", {u"PC3001"}},
        {"space before the backslashes", " " + a + "\r\n", {}},
        {"same station twice", a + "\r\n" + a + "\r\n", {u"PC3001", u"PC3001"}},
        {"CR CR gives an empty line", a + "\r\r" + b, {u"PC3001", u"PC3002"}},
        {"LF CR", a + "\n\r" + b, {u"PC3001", u"PC3002"}},
        {"NUL bytes stay in the line", "\\\\PC30" + std::string(1, '\0') + "1\r\n",
         {std::u16string(u"PC30\0" u"1", 6)}},
    };
    for (const Row &row : rows) {
        SUBCASE(row.name) { CHECK(computersOf(row.file) == row.computers); }
    }
}

TEST_CASE("a file split anywhere gives the records of the whole")
{
    const std::string file = "Header\r\n" + sessionLine("PC3001", "A", "00:00:01") + "\r\n\r\n" +
                             sessionLine("PC3009", "B", "02:00:00") + "\n\r\n" + sessionLine("PC3002", "C", "00:10:00");
    const std::vector<SessionRecord> whole = parseSessionList(file);
    REQUIRE(whole.size() == 3);
    for (std::size_t cut = 0; cut <= file.size(); ++cut) {
        CAPTURE(cut);
        std::vector<SessionRecord> records;
        SessionListParser parser(keepRecords(records));
        parser.feed(std::string_view(file).substr(0, cut));
        parser.feed("");
        parser.feed(std::string_view(file).substr(cut));
        parser.finish();
        CHECK(records == whole);
        CHECK(parser.recordCount() == whole.size());
    }
}

// A record line of 20 MB, mostly blanks before its idle time, fed in the
// reader's 64 KiB chunks: the parser holds a few kilobytes of it, and the
// fields are those of the short line it stands for.
TEST_CASE("a long record line is held bounded")
{
    const std::string blanks(20 * 1024 * 1024, ' ');
    struct Row {
        const char *name;
        std::string line;
        SessionRecord expected;
    };
    const Row rows[] = {
        {"blanks before the idle time", "\\\\PC3004               USER17" + blanks + "00:12:41",
         {u"PC3004", u"USER17", u"00:12:41"}},
        {"blanks after the idle time", sessionLine("PC3004", "USER17", "00:12:41") + blanks,
         {u"PC3004", u"USER17", u"00:12:41"}},
        {"letters to the end", "\\\\PC3004               USER17 " + std::string(blanks.size(), 'x') + "00:12:41",
         {u"PC3004", u"USER17 xxxxxx", u"xxxx00:12:41"}},
    };
    const SessionLineLimits limits = SessionLineLimits().effective();
    for (const Row &row : rows) {
        SUBCASE(row.name)
        {
            const std::string file = row.line + "\r\n" + sessionLine("PC3009", "USER05", "02:47:10");
            std::vector<SessionRecord> records;
            SessionListParser parser(keepRecords(records));
            std::size_t mostHeld = 0;
            for (std::size_t at = 0; at < file.size(); at += 64 * 1024) {
                parser.feed(std::string_view(file).substr(at, 64 * 1024));
                mostHeld = std::max(mostHeld, parser.heldBytes());
            }
            parser.finish();
            CHECK(records == std::vector<SessionRecord>{row.expected, {u"PC3009", u"USER05", u"02:47:10"}});
            CHECK(mostHeld <= std::max(limits.wholeLine, 2 * limits.tail + 592));
        }
    }
}

TEST_CASE("long lines in pieces of any size give the whole lines' cut")
{
    // In the host's code page as the test starts: single bytes in the C
    // locale and in Windows' ANSI code pages. NUL, LF and tab stay in lines.
    checkBoundedCut({" ", "A", "@", "0", ":", "\\", "\t", "\n", std::string(1, '\0'), "\xE9", "\xC3\xA9", "\xFF"},
                    1, false);
}

namespace {

// A file that a writer extends while it is read: every read sees the bytes
// written so far, as a real file's would.
class GrowingFile final : public platform::InputFile {
public:
    explicit GrowingFile(std::string bytes) : bytes(std::move(bytes)), m_sizeAtOpen(this->bytes.size()) {}
    std::uint64_t size() const override { return m_sizeAtOpen; }
    std::chrono::system_clock::time_point lastWritten() const override { return {}; }
    std::variant<std::size_t, platform::Failure> read(std::span<char> buffer) override
    {
        const std::size_t got = bytes.copy(buffer.data(), buffer.size(), m_at);
        m_at += got;
        return got;
    }

    std::string bytes;

private:
    std::size_t m_sizeAtOpen;
    std::size_t m_at = 0;
};

} // namespace

// A writer that keeps appending must not keep the read going: the read
// stops at the size the file had when it was opened. Here each of the first
// records read appends one more.
TEST_CASE("a file that grows while it is read still ends")
{
    constexpr std::size_t Lines = 5000;
    const std::string line = sessionLine("PC3001", "USER01", "00:00:01") + "\r\n";
    std::string bytes;
    for (std::size_t i = 0; i < Lines; ++i)
        bytes += line;
    GrowingFile file(bytes);
    std::size_t records = 0;
    const auto append = [&](const SessionLine &) {
        if (++records <= Lines)
            file.bytes += line;
    };
    CHECK(readSessionList(file, append) == std::nullopt);
    CHECK(records == Lines);
    CHECK(file.bytes.size() == 2 * Lines * line.size());
}
