#pragma once

#include "sessionlistformat.h"
#include "sessionrecord.h"

#include "platform.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class SessionListParser;

// One record line of a session list, as the parser hands it out: its
// computer name is cut at once, its user name and idle time only when asked
// for. Decoding a line and cutting those two fields is most of what a line
// costs, and a reader of a long list often needs them for a few computers
// only. Valid only during the sink's call.
class SessionLine {
public:
    std::u16string_view ComputerName() const { return m_computerName; }
    // All three fields, as cutSessionRecord() gives them for the whole
    // line; cut when asked for. The views are valid during the sink's call
    // only, and asking leaves the view of ComputerName() as it was.
    SessionRecordView record() const;

private:
    friend class SessionListParser;
    SessionLine(SessionListParser &parser, std::string_view bytes, std::u16string_view computerName)
        : m_parser(parser), m_bytes(bytes), m_computerName(computerName)
    {
    }
    explicit SessionLine(SessionListParser &parser, const SessionRecordView &record)
        : m_parser(parser), m_computerName(record.ComputerName), m_cut(&record)
    {
    }

    SessionListParser &m_parser;
    std::string_view m_bytes; // the whole line, when not cut already
    std::u16string_view m_computerName;
    const SessionRecordView *m_cut = nullptr; // the fields, when cut already
};

// Receives each record line of a session list, in file order.
using SessionRecordSink = std::function<void(const SessionLine &)>;

// How much of one record line a SessionListParser holds. A record line up to
// `wholeLine` bytes is held whole and cut as it is. A longer one is not: the
// fields need only its first 36 characters and its last 12 before the
// trailing blanks, so the parser keeps a head of fixed size and, of the rest,
// about `tail` bytes before the trailing blanks, which it counts without
// holding. Whatever the line's length the parser then holds at most
// max(wholeLine, 4 * tail + 592) bytes of it, and twice as much again once
// decoded to UTF-16.
//
// The fields come out as the whole line's cut would give them, given that
// the code page is stateless and ASCII-compatible (every code page a Windows
// host uses as its ANSI code page, UTF-8, and every locale character set of
// glibc) and that a byte below 0x30 always stands for itself, also after a
// lead byte that it cannot complete. The tail is dropped at a character start
// that the bytes prove: a byte below 0x30, or an ASCII byte after another.
// Where `tail` bytes in a row prove none, it is dropped `tail` bytes before
// the end all the same. UTF-8 and single-byte code pages decode right again
// from the next character on; a double-byte code page may pair the bytes
// wrongly up to the next proof, so a line that ends with more than `tail`
// bytes of double-byte characters without a blank may show its idle time
// shifted by one byte.
struct SessionLineLimits {
    std::size_t wholeLine = 64 * 1024;
    std::size_t tail = 16 * 1024;

    // The limits that the parser actually uses: the head must fit in
    // wholeLine, and the tail must hold 12 characters of any code page.
    SessionLineLimits effective() const;
};

// Turns the bytes of a session list file into records, a chunk at a time, so
// that a file of any size is read in bounded memory: lines that are not
// record lines are skipped as they stream past, never held, and a record
// line is held only as far as SessionLineLimits says.
//
// The bytes are 8-bit text in the system's code page. A line ends at CR or at
// CR LF; a lone LF stays in the line. The last line needs no line end.
class SessionListParser {
public:
    explicit SessionListParser(SessionRecordSink sink, SessionLineLimits limits = {});

    // Hands every record line completed by these bytes to the sink. A CR at
    // the very end of a chunk is remembered, so CR LF split across two chunks
    // is still one line end.
    void feed(std::string_view bytes);

    // The bytes fed so far end the file: a last line without line end is a
    // line too. The parser may be fed again afterwards, as a new file.
    void finish();

    // Number of record lines handed to the sink so far.
    std::size_t recordCount() const { return m_records; }

    // Bytes of the current line held right now, for tests of the bound.
    std::size_t heldBytes() const { return m_partial.size() + m_tail.size(); }

private:
    friend class SessionLine;
    void hold(std::string_view bytes);
    void holdTail(std::string_view bytes);
    void endLine();
    void emitRecordLine(std::string_view line);
    void emitLongRecordLine();
    SessionRecordView cutRecordLine(std::string_view line);

    SessionRecordSink m_sink;
    SessionLineLimits m_limits;
    std::string m_partial;   // a record line not yet ended; a long one's head only
    std::string m_tail;      // a long line's last bytes up to its last non-blank
    std::size_t m_pendingBlanks = 0; // blanks seen after m_tail
    bool m_inLine = false;   // some bytes of the current line were seen
    bool m_skipping = false; // the current line is not a record line
    bool m_afterCr = false;  // the previous chunk ended with CR
    bool m_long = false;     // the current record line outgrew m_partial
    std::u16string m_wide;     // the line cut last, decoded (a long line's head)
    std::u16string m_wideTail; // a long line's tail, decoded
    // The computer name widened from an ASCII line's bytes, apart from
    // m_wide, so that record() leaves the view ComputerName() gave valid.
    std::array<char16_t, sessionlist::ComputerNameWidth> m_name;
    std::size_t m_records = 0;
};

// Reads `file` from its start through a SessionListParser feeding `sink`,
// no further than the size it had when opened, so that a file that a writer
// keeps extending still ends. Never writes it; the caller closes it.
//
// Returns the failure when a read fails, with the host's number and
// description; the sink may then have seen some records, so callers that
// must not show half a file collect the records first and apply them only
// on success.
std::optional<platform::Failure> readSessionList(platform::InputFile &file, const SessionRecordSink &sink);

// Convenience for tools and tests: every record of a whole file's bytes.
std::vector<SessionRecord> parseSessionList(std::string_view bytes, SessionLineLimits limits = {});
