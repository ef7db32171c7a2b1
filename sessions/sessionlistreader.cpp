#include "sessionlistreader.h"

#include "platform.h"
#include "sessionlistformat.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

using namespace Qt::StringLiterals;

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

void decodeInto(std::string_view bytes, std::u16string &out)
{
    // Bytes below 0x80 are ASCII in every supported code page.
    if (isAscii(bytes)) {
        out.resize(bytes.size());
        std::transform(bytes.begin(), bytes.end(), out.begin(),
                       [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
    } else {
        out = platform::decodeSystemText(bytes);
    }
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
    while (!bytes.empty()) {
        const void *cr = std::memchr(bytes.data(), '\r', bytes.size());
        const std::size_t end = cr ? static_cast<const char *>(cr) - bytes.data() : bytes.size();
        const std::string_view piece = bytes.substr(0, end);

        if (!m_inLine && !piece.empty()) {
            m_inLine = true;
            m_skipping = piece.front() != sessionlist::RecordMark;
        }
        if (!cr) {
            if (!m_skipping)
                hold(piece);
            return;
        }
        // A line that lies whole in this chunk is cut where it lies.
        if (m_skipping || (!m_long && m_partial.empty() && piece.size() <= m_limits.wholeLine)) {
            completeLine(piece);
        } else {
            hold(piece);
            completeLine(m_partial);
        }
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
    decodeInto(line, m_wide);
    ++m_records;
    m_sink(cutSessionRecord(QStringView(m_wide)));
}

void SessionListParser::emitLongRecordLine()
{
    decodeInto(m_head, m_wide);
    decodeInto(m_tail, m_wideTail);
    SessionRecordView record = cutSessionRecord(QStringView(m_wide));
    record.IdleTime = cutSessionRecord(QStringView(m_wideTail)).IdleTime;
    ++m_records;
    m_sink(record);
}

QDebug operator<<(QDebug debug, const ReadFailure &failure)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ReadFailure(" << failure.number << ", " << failure.description << ')';
    return debug;
}

namespace {

ReadFailure failureFromErrno(int number)
{
    return {number, QString::fromStdString(std::generic_category().message(number))};
}

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

// Refuses what must not be opened: a FIFO would block the open, a device
// could stream for ever. A directory is named as such on every host.
std::optional<ReadFailure> refuseSpecialFile(const std::filesystem::path &path)
{
    std::error_code error;
    switch (std::filesystem::status(path, error).type()) {
    case std::filesystem::file_type::directory:
        return failureFromErrno(EISDIR);
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::character:
    case std::filesystem::file_type::fifo:
    case std::filesystem::file_type::socket:
    case std::filesystem::file_type::unknown:
        return ReadFailure{EINVAL, u"Not a regular file"_s};
    default:
        // Missing, regular, or not knowable here: fopen() says what it is.
        return std::nullopt;
    }
}

} // namespace

std::optional<ReadFailure> readSessionListFile(const std::filesystem::path &path,
                                               const SessionRecordSink &sink)
{
    if (std::optional<ReadFailure> refused = refuseSpecialFile(path))
        return refused;

    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.string().c_str(), "rb"));
    if (!file)
        return failureFromErrno(errno ? errno : ENOENT);

    // The size of the file as opened bounds the read; where the host cannot
    // tell it, the read goes on to the end.
    std::uintmax_t remaining = UINTMAX_MAX;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        if (size >= 0)
            remaining = static_cast<std::uintmax_t>(size);
        errno = 0;
        if (std::fseek(file.get(), 0, SEEK_SET) != 0)
            return failureFromErrno(errno ? errno : EIO);
    }

    SessionListParser parser(sink);
    std::array<char, 64 * 1024> buffer;
    while (remaining > 0) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uintmax_t>(buffer.size(), remaining));
        errno = 0;
        const std::size_t got = std::fread(buffer.data(), 1, wanted, file.get());
        if (got > 0)
            parser.feed(std::string_view(buffer.data(), got));
        remaining -= got;
        if (got < wanted) {
            if (std::ferror(file.get()))
                return failureFromErrno(errno ? errno : EIO);
            break;
        }
    }
    parser.finish();
    return std::nullopt;
}

QList<SessionRecord> parseSessionList(std::string_view bytes, SessionLineLimits limits)
{
    QList<SessionRecord> records;
    SessionListParser parser([&](const SessionRecordView &record) { records.append(record.toRecord()); },
                             limits);
    parser.feed(bytes);
    parser.finish();
    return records;
}
