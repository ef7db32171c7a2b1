#pragma once

#include "platform.h"
#include "sessionlistformat.h"
#include "sessionrecord.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class SessionListParser;

// One record line of a session list, as the parser hands it to its sink:
// its computer name cut at once, its user name and idle time only when
// asked for, since a reader of a long list needs them for a few computers
// only. Valid only during the sink's call.
class SessionLine {
public:
    std::u16string_view ComputerName() const { return m_computerName; }
    // All three fields, as cutSessionRecord() gives them for the whole line.
    // Valid during the sink's call; asking leaves ComputerName()'s view valid.
    SessionRecordView record() const;

private:
    friend class SessionListParser;
    SessionLine(SessionListParser &parser, std::string_view bytes, std::u16string_view computerName,
                const SessionRecordView *cut = nullptr)
        : m_parser(parser), m_bytes(bytes), m_computerName(computerName), m_cut(cut)
    {
    }

    SessionListParser &m_parser;
    std::string_view m_bytes; // the whole line, when not cut already
    std::u16string_view m_computerName;
    const SessionRecordView *m_cut = nullptr; // the fields, when cut already
};

// Receives each record line of a session list, in file order.
using SessionRecordSink = std::function<void(const SessionLine &)>;

// How much of one record line a SessionListParser holds: a line up to
// `wholeLine` bytes whole; of a longer one, whose fields need only the first
// 36 characters and the last 12 before the trailing blanks, 592 bytes of head
// and up to 2 * `tail` bytes before the trailing blanks, which are counted.
// At most max(wholeLine, 2 * tail + 592) bytes, twice that once decoded.
//
// The fields are the whole line's cut in any stateless ASCII-compatible code
// page (Windows' ANSI code pages, UTF-8, glibc's locale character sets) where
// a byte below 0x30 stands for itself. The tail starts where the bytes prove
// a character starts (a byte below 0x30, an ASCII byte after another), or,
// with no proof in `tail` bytes, `tail` bytes before the end: then a line
// ending in over `tail` bytes of double-byte characters without a blank may
// show its idle time shifted by one byte.
struct SessionLineLimits {
    std::size_t wholeLine = 64 * 1024;
    std::size_t tail = 16 * 1024;

    // The limits in use: the head fits in wholeLine, the tail holds 12
    // characters of any code page.
    SessionLineLimits effective() const;
};

// Turns the bytes of a session list file, 8-bit text in the system's code
// page, into records a chunk at a time: other lines are skipped unheld,
// record lines held only as far as SessionLineLimits says. A line ends at CR
// or CR LF; a lone LF stays in the line; the last line needs no end.
class SessionListParser {
public:
    explicit SessionListParser(SessionRecordSink sink, SessionLineLimits limits = {});

    // Hands every record line completed by these bytes to the sink. CR LF
    // split across two chunks is still one line end.
    void feed(std::string_view bytes);
    // The bytes fed so far end the file: a last line without line end is a
    // line too. The parser may be fed again afterwards, as a new file.
    void finish();

    // Record lines handed to the sink so far.
    std::size_t recordCount() const { return m_records; }
    // Bytes of the current line held right now, for tests of the bound.
    std::size_t heldBytes() const { return m_partial.size() + m_tail.size(); }

private:
    friend class SessionLine;
    void hold(std::string_view bytes);
    void holdTail(std::string_view bytes);
    void endLine();
    void emitRecordLine(std::string_view line);
    SessionRecordView cutRecordLine(std::string_view line);

    SessionRecordSink m_sink;
    SessionLineLimits m_limits;
    std::string m_partial;           // a record line not yet ended; a long one's head only
    std::string m_tail;              // a long line's last bytes up to its last non-blank
    std::size_t m_pendingBlanks = 0; // blanks seen after m_tail
    bool m_inLine = false;           // some bytes of the current line were seen
    bool m_skipping = false;         // the current line is not a record line
    bool m_afterCr = false;          // the previous chunk ended with CR
    bool m_long = false;             // the current record line outgrew m_partial
    std::u16string m_wide;           // the line cut last, decoded (a long line's head)
    std::u16string m_wideTail;       // a long line's tail, decoded
    std::array<char16_t, sessionlist::ComputerNameWidth> m_name; // apart from m_wide, which record() reuses
    std::size_t m_records = 0;
};

// Reads `file` from its start through a SessionListParser feeding `sink`, no
// further than the size it had when opened, so that a file that a writer
// keeps extending still ends. Never writes it; the caller closes it.
// Returns the failure of a read, as the host reported it; the sink may then
// have seen some records, so callers that must not show half a file apply
// the records only on success.
std::optional<platform::Failure> readSessionList(platform::InputFile &file, const SessionRecordSink &sink);

// For tools and tests: every record of a whole file's bytes.
std::vector<SessionRecord> parseSessionList(std::string_view bytes, SessionLineLimits limits = {});
