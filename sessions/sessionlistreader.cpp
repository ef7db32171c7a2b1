#include "sessionlistreader.h"

#include "fieldcut.h"
#include "platform.h"
#include "sessionlistformat.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

// No code page takes more bytes than this for one UTF-16 unit (MB_LEN_MAX
// on glibc; UTF-8 and GB18030 need 4, an undecodable byte gives one unit).
constexpr std::size_t MaxBytesPerUnit = 16;

// Enough bytes for the first 36 characters, the last column that a field
// reads from the front of the line, and for the character after them.
constexpr std::size_t HeadBytes = (sessionlist::UserNameLastColumn + 1) * MaxBytesPerUnit;

// Enough bytes for the 12 characters of the idle time and one before them.
constexpr std::size_t MinTailBytes = (sessionlist::IdleTimeWidth + 1) * MaxBytesPerUnit;

constexpr char BlankByte = static_cast<char>(sessionlist::Blank);

// Whether a character of the line starts at byte `at` (0 < at < size).
// A byte below 0x30 stands for itself in every supported code page: it is
// neither a lead byte nor any later byte of a multi-byte character. A byte
// below 0x80 is a later byte only right after a byte of 0x80 or more (after
// a lead byte, or the third byte of a four-byte GB18030 character).
bool startsCharacter(std::string_view bytes, std::size_t at)
{
    const auto here = static_cast<unsigned char>(bytes[at]);
    const auto before = static_cast<unsigned char>(bytes[at - 1]);
    return here < 0x30 || (here < 0x80 && before < 0x80);
}

bool isAscii(std::string_view bytes)
{
    // Eight bytes at a time: a record line is mostly blanks and ASCII.
    constexpr std::uint64_t HighBits = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        if (word & HighBits)
            return false;
    }
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    return true;
}

// Widens ASCII bytes to UTF-16 at `to` and moves `to` past them; the view
// of what was written.
std::u16string_view widenAscii(std::string_view bytes, char16_t *&to)
{
    char16_t *const at = to;
    // A plain loop: a field is a few characters, too short for the vector
    // copy that std::copy becomes to pay for its set-up.
    for (const char c : bytes)
        *to++ = static_cast<unsigned char>(c);
    return std::u16string_view(at, bytes.size());
}

// The computer name of a line whose first 19 bytes are ASCII, widened to
// `to`; nothing when they are not. Such bytes are the first 19 characters
// (a byte below 0x80 after another one starts a character in every
// supported code page), and the name lies in them. A line of 19 bytes or
// more, the usual, is looked at in steps of fixed size: three words for the
// ASCII test, the 17 bytes of the name's columns widened whole.
std::optional<std::u16string_view> asciiComputerName(std::string_view line, char16_t *to)
{
    using namespace sessionlist;
    constexpr std::size_t NameBytes = ComputerNameLastColumn;
    constexpr std::size_t First = ComputerNameFirstColumn - 1;
    static_assert(NameBytes >= 16 && NameBytes <= 24);
    if (line.size() < NameBytes) {
        if (!isAscii(line))
            return std::nullopt;
        return widenAscii(fieldcut::computerName(line), to);
    }
    std::uint64_t words[3];
    std::memcpy(&words[0], line.data(), 8);
    std::memcpy(&words[1], line.data() + 8, 8);
    std::memcpy(&words[2], line.data() + NameBytes - 8, 8);
    if ((words[0] | words[1] | words[2]) & 0x8080808080808080ULL)
        return std::nullopt;
    for (std::size_t k = 0; k < ComputerNameWidth; ++k)
        to[k] = static_cast<unsigned char>(line[First + k]);
    const std::size_t length = fieldcut::lengthWithoutTrailingBlanks<ComputerNameWidth>(line.data() + First);
    return std::u16string_view(to, length);
}

} // namespace

SessionLineLimits SessionLineLimits::effective() const
{
    return {std::max(wholeLine, HeadBytes), std::max(tail, MinTailBytes)};
}

SessionListParser::SessionListParser(SessionRecordSink sink, SessionLineLimits limits)
    : m_sink(std::move(sink)), m_limits(limits.effective())
{
}

void SessionListParser::feed(std::string_view bytes)
{
    if (m_afterCr) {
        m_afterCr = false;
        if (!bytes.empty() && bytes.front() == '\n')
            bytes.remove_prefix(1);
    }
    bool first = true;
    while (!bytes.empty()) {
        const void *cr = std::memchr(bytes.data(), '\r', bytes.size());
        const std::size_t end = cr ? static_cast<const char *>(cr) - bytes.data() : bytes.size();
        const std::string_view piece = bytes.substr(0, end);

        if (!first || !m_inLine) {
            // A line that starts in this chunk: the common case, kept free of
            // the bookkeeping that a line spread over chunks needs.
            if (cr && !piece.empty() && piece.front() == sessionlist::RecordMark &&
                piece.size() <= m_limits.wholeLine) {
                emitRecordLine(piece);
            } else if (!piece.empty()) {
                m_inLine = true;
                m_skipping = piece.front() != sessionlist::RecordMark;
                if (!m_skipping)
                    hold(piece);
                if (cr)
                    completeLine(m_partial);
            }
        } else {
            // The rest of a line that an earlier chunk started.
            if (!m_skipping)
                hold(piece);
            if (cr)
                completeLine(m_partial);
        }
        first = false;
        if (!cr)
            return;
        bytes.remove_prefix(end + 1);
        if (bytes.empty())
            m_afterCr = true;
        else if (bytes.front() == '\n')
            bytes.remove_prefix(1);
    }
}

void SessionListParser::finish()
{
    if (m_inLine)
        completeLine(m_partial);
    m_afterCr = false;
}

void SessionListParser::hold(std::string_view bytes)
{
    if (m_long) {
        holdTail(bytes);
        return;
    }
    if (m_partial.size() + bytes.size() <= m_limits.wholeLine) {
        m_partial.append(bytes);
        return;
    }
    // Too long to hold whole: from here on only the head and the tail.
    m_long = true;
    m_head.assign(m_partial, 0, std::min(HeadBytes, m_partial.size()));
    m_head.append(bytes.substr(0, HeadBytes - m_head.size()));
    holdTail(m_partial);
    m_partial.clear();
    holdTail(bytes);
}

void SessionListParser::holdTail(std::string_view bytes)
{
    // A slice at a time, so that m_tail never grows past 4 * tail however
    // large the chunk.
    const std::size_t keep = m_limits.tail;
    while (!bytes.empty()) {
        const std::string_view slice = bytes.substr(0, keep);
        bytes.remove_prefix(slice.size());
        const std::size_t last = slice.find_last_not_of(BlankByte);
        if (last == std::string_view::npos) {
            m_pendingBlanks += slice.size();
            continue;
        }
        if (m_pendingBlanks >= keep) {
            // What stood before this run of blanks lies further from the end
            // than the idle time can reach, whatever follows.
            m_tail.clear();
        } else {
            m_tail.append(m_pendingBlanks, BlankByte);
        }
        m_tail.append(slice.substr(0, last + 1));
        m_pendingBlanks = slice.size() - last - 1;
        if (m_tail.size() > 2 * keep)
            trimTail();
    }
}

void SessionListParser::trimTail()
{
    // Keep `tail` bytes and up to as many again before them, from the last
    // character start the bytes prove there, so that decoding the tail gives
    // the line's own last characters.
    const std::size_t keep = m_limits.tail;
    const std::size_t cut = m_tail.size() - keep;
    const std::size_t furthest = m_tail.size() - 2 * keep;
    std::size_t at = cut;
    while (at > furthest && !startsCharacter(m_tail, at))
        --at;
    m_tail.erase(0, startsCharacter(m_tail, at) ? at : cut);
}

void SessionListParser::completeLine(std::string_view line)
{
    if (m_inLine && !m_skipping) {
        if (m_long)
            emitLongRecordLine();
        else
            emitRecordLine(line);
    }
    m_partial.clear();
    m_head.clear();
    m_tail.clear();
    m_pendingBlanks = 0;
    m_long = false;
    m_inLine = false;
    m_skipping = false;
}

void SessionListParser::emitRecordLine(std::string_view line)
{
    // Backslash is the same byte in every ASCII-compatible code page, and no
    // multi-byte sequence starts with it, so the byte test in feed() is the
    // character test.
    ++m_records;
    if (const std::optional<std::u16string_view> name = asciiComputerName(line, m_fields.data()))
        m_sink(SessionLine(*this, line, *name));
    else {
        const SessionRecordView record = cutRecordLine(line);
        m_sink(SessionLine(*this, record));
    }
}

SessionRecordView SessionListParser::cutRecordLine(std::string_view line)
{
    if (isAscii(line)) {
        // A byte is a character: the fields are cut from the bytes and only
        // they are widened.
        const sessionlist::fieldcut::Cut<char> fields = sessionlist::fieldcut::cut(line);
        char16_t *to = m_fields.data();
        SessionRecordView record;
        record.ComputerName = widenAscii(fields.computerName, to);
        record.UserName = widenAscii(fields.userName, to);
        record.IdleTime = widenAscii(fields.idleTime, to);
        return record;
    }
    platform::decodeSystemText(line, m_wide);
    return cutSessionRecord(m_wide);
}

SessionRecordView SessionLine::record() const
{
    return m_cut ? *m_cut : m_parser.cutRecordLine(m_bytes);
}

void SessionListParser::emitLongRecordLine()
{
    platform::decodeSystemText(m_head, m_wide);
    platform::decodeSystemText(m_tail, m_wideTail);
    SessionRecordView record = cutSessionRecord(m_wide);
    record.IdleTime = cutSessionRecord(m_wideTail).IdleTime;
    ++m_records;
    m_sink(SessionLine(*this, record));
}

std::optional<platform::Failure> readSessionList(platform::InputFile &file, const SessionRecordSink &sink)
{
    SessionListParser parser(sink);
    std::array<char, 64 * 1024> buffer;
    for (std::uint64_t remaining = file.size(); remaining > 0;) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), remaining));
        const std::variant<std::size_t, platform::Failure> read = file.read(std::span(buffer.data(), wanted));
        if (const auto *failure = std::get_if<platform::Failure>(&read))
            return *failure;
        const std::size_t got = std::get<std::size_t>(read);
        if (got == 0)
            break; // cut short since the open
        parser.feed(std::string_view(buffer.data(), got));
        remaining -= got;
    }
    parser.finish();
    return std::nullopt;
}

std::vector<SessionRecord> parseSessionList(std::string_view bytes, SessionLineLimits limits)
{
    std::vector<SessionRecord> records;
    SessionListParser parser([&](const SessionLine &line) { records.push_back(line.record().toRecord()); }, limits);
    parser.feed(bytes);
    parser.finish();
    return records;
}
