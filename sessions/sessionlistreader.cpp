#include "sessionlistreader.h"

#include "platform.h"
#include "sessionlistformat.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

SessionListParser::SessionListParser(SessionRecordSink sink) : m_sink(std::move(sink)) {}

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
                m_partial.append(piece);
            return;
        }
        if (m_partial.empty()) {
            completeLine(piece);
        } else {
            m_partial.append(piece);
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

void SessionListParser::completeLine(std::string_view line)
{
    if (m_inLine && !m_skipping)
        emitRecordLine(line);
    m_partial.clear();
    m_inLine = false;
    m_skipping = false;
}

void SessionListParser::emitRecordLine(std::string_view line)
{
    // Backslash is the same byte in every ASCII-compatible code page, and no
    // multi-byte sequence starts with it, so the byte test above is the
    // character test.
    const bool ascii = std::all_of(line.begin(), line.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        m_wide.resize(line.size());
        std::transform(line.begin(), line.end(), m_wide.begin(),
                       [](char c) { return static_cast<char16_t>(c); });
    } else {
        m_wide = platform::decodeSystemText(line);
    }
    ++m_records;
    m_sink(cutSessionRecord(QStringView(m_wide)));
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

} // namespace

std::optional<ReadFailure> readSessionListFile(const std::filesystem::path &path,
                                               const SessionRecordSink &sink)
{
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.string().c_str(), "rb"));
    if (!file)
        return failureFromErrno(errno ? errno : ENOENT);

    SessionListParser parser(sink);
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (got > 0)
            parser.feed(std::string_view(buffer.data(), got));
        if (got < buffer.size()) {
            if (std::ferror(file.get()))
                return failureFromErrno(errno ? errno : EIO);
            break;
        }
    }
    parser.finish();
    return std::nullopt;
}

QList<SessionRecord> parseSessionList(std::string_view bytes)
{
    QList<SessionRecord> records;
    SessionListParser parser([&](const SessionRecordView &record) { records.append(record.toRecord()); });
    parser.feed(bytes);
    parser.finish();
    return records;
}
