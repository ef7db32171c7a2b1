#include "sessionlistreader.h"

#include "fieldcut.h"

#include <algorithm>
#include <array>
#include <cstring>

using namespace sessionlist;

namespace {

// No code page takes more bytes for one UTF-16 unit (MB_LEN_MAX on glibc).
// The head holds the first 36 characters and the one after; the tail at
// least the 12 of the idle time and the one before.
constexpr std::size_t MaxBytesPerUnit = 16;
constexpr std::size_t HeadBytes = (UserNameLastColumn + 1) * MaxBytesPerUnit;
constexpr std::size_t MinTailBytes = (IdleTimeWidth + 1) * MaxBytesPerUnit;

// Whether a character starts at byte `at` (0 < at < size). A byte below 0x30
// stands for itself in every supported code page; one below 0x80 is part of
// another character only right after one of 0x80 or more.
bool startsCharacter(std::string_view bytes, std::size_t at)
{
    const auto here = static_cast<unsigned char>(bytes[at]);
    const auto before = static_cast<unsigned char>(bytes[at - 1]);
    return here < 0x30 || (here < 0x80 && before < 0x80);
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
    if (m_afterCr && !bytes.empty()) {
        m_afterCr = false;
        if (bytes.front() == '\n')
            bytes.remove_prefix(1);
    }
    while (!bytes.empty()) {
        const auto *cr = static_cast<const char *>(std::memchr(bytes.data(), '\r', bytes.size()));
        const std::string_view piece = bytes.substr(0, cr ? std::size_t(cr - bytes.data()) : bytes.size());
        // A backslash is the same byte in every supported code page and
        // never part of a multi-byte character. The usual line, whole in this
        // chunk, is cut where it lies instead of being copied first.
        if (cr && !m_inLine && !piece.empty() && piece.front() == RecordMark && piece.size() <= m_limits.wholeLine) {
            emitRecordLine(piece);
        } else {
            if (!m_inLine && !piece.empty()) {
                m_inLine = true;
                m_skipping = piece.front() != RecordMark;
            }
            if (m_inLine && !m_skipping)
                hold(piece);
            if (cr)
                endLine();
        }
        if (!cr)
            return;
        bytes.remove_prefix(piece.size() + 1);
        if (bytes.empty())
            m_afterCr = true;
        else if (bytes.front() == '\n')
            bytes.remove_prefix(1);
    }
}

void SessionListParser::finish()
{
    if (m_inLine)
        endLine();
    m_afterCr = false;
}

void SessionListParser::hold(std::string_view bytes)
{
    if (!m_long && m_partial.size() + bytes.size() <= m_limits.wholeLine) {
        m_partial.append(bytes);
        return;
    }
    if (!m_long) {
        // Too long to hold whole: m_partial keeps the head from now on.
        m_long = true;
        holdTail(m_partial);
        m_partial.append(bytes.substr(0, HeadBytes - std::min(HeadBytes, m_partial.size())));
        m_partial.resize(HeadBytes);
    }
    holdTail(bytes);
}

void SessionListParser::holdTail(std::string_view bytes)
{
    // Trailing blanks are counted, not held: a line may end in megabytes.
    const std::size_t last = bytes.find_last_not_of(char(Blank));
    if (last == std::string_view::npos) {
        m_pendingBlanks += bytes.size();
        return;
    }
    // The idle time lies in the last `tail` bytes before the trailing
    // blanks. What stands before `tail` blanks, or before the last
    // 2 * `tail` bytes of this text, lies out of its reach; one byte more
    // than those tells whether they start with a character.
    const std::size_t keep = m_limits.tail;
    const std::string_view text = bytes.substr(0, last + 1);
    if (m_pendingBlanks >= keep || text.size() > 2 * keep)
        m_tail.clear();
    else
        m_tail.append(m_pendingBlanks, char(Blank));
    m_tail.append(text.substr(text.size() - std::min(text.size(), 2 * keep + 1)));
    m_pendingBlanks = bytes.size() - text.size();
    if (m_tail.size() > 2 * keep) {
        // Keep `tail` bytes and up to as many again before them, from the
        // last character start the bytes prove there, so that decoding the
        // tail gives the line's own last characters.
        const std::size_t furthest = m_tail.size() - 2 * keep;
        std::size_t at = m_tail.size() - keep;
        while (at > furthest && !startsCharacter(m_tail, at))
            --at;
        m_tail.erase(0, startsCharacter(m_tail, at) ? at : m_tail.size() - keep);
    }
}

void SessionListParser::endLine()
{
    if (m_inLine && !m_skipping && !m_long) {
        emitRecordLine(m_partial);
    } else if (m_inLine && !m_skipping) {
        SessionRecordView record = cutRecordLine(m_partial);
        platform::decodeSystemText(m_tail, m_wideTail);
        record.IdleTime = cutSessionRecord(m_wideTail).IdleTime;
        ++m_records;
        m_sink(SessionLine(*this, {}, record.ComputerName, &record));
    }
    m_partial.clear();
    m_tail.clear();
    m_pendingBlanks = 0;
    m_long = m_inLine = m_skipping = false;
}

void SessionListParser::emitRecordLine(std::string_view line)
{
    ++m_records;
    // First 19 ASCII bytes are the first 19 characters in every supported
    // code page, and hold the computer name: the line is not decoded for it,
    // and its other fields are cut only when asked for, since decoding and
    // cutting every line costs several times the name alone (salle30-bench
    // measures both). Constant sizes let the compiler unroll the ASCII test,
    // the widening of all 17 columns and the trim, where sizes of the line's
    // own cost more instructions per line.
    if (line.size() >= ComputerNameLastColumn && isAscii(std::string_view(line.data(), ComputerNameLastColumn))) {
        const std::string_view name(line.data() + ComputerNameFirstColumn - 1, ComputerNameWidth);
        std::copy_n(name.data(), ComputerNameWidth, m_name.data());
        m_sink(SessionLine(*this, line, {m_name.data(), withoutTrailingBlanks(name).size()}));
    } else {
        const SessionRecordView record = cutRecordLine(line);
        m_sink(SessionLine(*this, line, record.ComputerName, &record));
    }
}

SessionRecordView SessionListParser::cutRecordLine(std::string_view line)
{
    platform::decodeSystemText(line, m_wide);
    return cutSessionRecord(m_wide);
}

SessionRecordView SessionLine::record() const
{
    return m_cut ? *m_cut : m_parser.cutRecordLine(m_bytes);
}

std::optional<platform::Failure> readSessionList(platform::InputFile &file, const SessionRecordSink &sink)
{
    SessionListParser parser(sink);
    std::array<char, 64 * 1024> buffer;
    for (std::uint64_t remaining = file.size(); remaining > 0;) {
        const auto wanted = std::size_t(std::min<std::uint64_t>(buffer.size(), remaining));
        const auto read = file.read(std::span(buffer.data(), wanted));
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
