#include "listing.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iconv.h>

namespace roomsim {

namespace {

constexpr std::string_view LineEnd = "\r\n";

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Pads with blanks to `width` characters; text that is already wider stays.
std::string padRight(std::string text, std::size_t width)
{
    const std::size_t count = characterCount(text);
    if (count < width)
        text.append(width - count, ' ');
    return text;
}

std::string padLeft(const std::string &text, std::size_t width)
{
    const std::size_t count = characterCount(text);
    return count < width ? std::string(width - count, ' ') + text : text;
}

} // namespace

std::size_t characterCount(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(),
                                                  [](char c) { return !isContinuationByte(c); }));
}

std::string firstCharacters(std::string_view utf8, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t seen = 0; end < utf8.size(); ++end) {
        if (!isContinuationByte(utf8[end]) && seen++ == count)
            break;
    }
    return std::string(utf8.substr(0, end));
}

std::vector<ListedSession> listedSessions(const Room &room, TimePoint now)
{
    std::vector<ListedSession> sessions;
    for (const Computer &c : room.computers) {
        if (c.session)
            sessions.push_back({c.name, c.session->user, idleTimeText(now - c.session->lastActivity)});
    }
    return sessions;
}

std::string idleTimeText(std::chrono::milliseconds idle)
{
    const long long total = std::max<long long>(0, std::chrono::floor<std::chrono::seconds>(idle).count());
    const long long hours = std::min<long long>(total / 3600, 99999);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", hours, total / 60 % 60, total % 60);
    return text;
}

std::string recordLine(const ListedSession &session)
{
    using namespace layout;
    std::string line = "\\\\" + session.computer;
    line = padRight(std::move(line), UserNameColumn - 1);
    line += padRight(firstCharacters(session.user, UserNameWidth), UserNameWidth);
    line += padLeft(session.idleTime, IdleTimeLastColumn - UserNameLastColumn);
    return line;
}

std::string listingText(const std::vector<ListedSession> &sessions)
{
    using namespace layout;
    std::string text;
    auto line = [&](const std::string &l) {
        text += l;
        text += LineEnd;
    };
    line("Sessions open on \\\\SRV-TALVERO");
    line("");
    line(padRight(padRight("Computer", UserNameColumn - 1) + "User name", UserNameLastColumn) +
         padLeft("Idle time", IdleTimeLastColumn - UserNameLastColumn));
    line(std::string(79, '-'));
    for (const ListedSession &s : sessions)
        line(recordLine(s));
    line("");
    line("The command completed successfully.");
    return text;
}

EncodedText encodeText(std::string_view utf8, const std::string &codePage)
{
    const iconv_t converter = ::iconv_open(codePage.c_str(), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return {std::nullopt, "unknown code page " + codePage + ": " + std::strerror(errno)};

    std::string out;
    char *in = const_cast<char *>(utf8.data());
    std::size_t inLeft = utf8.size();
    char buffer[4096];
    // The last round (in == nullptr) flushes a stateful code page's shift
    // sequence; the single-byte code pages of Windows have none.
    for (bool flushed = false; !flushed;) {
        char *outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t result;
        if (inLeft > 0) {
            result = ::iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        } else {
            result = ::iconv(converter, nullptr, nullptr, &outPtr, &outLeft);
            flushed = result != static_cast<std::size_t>(-1) || errno != E2BIG;
        }
        const int error = errno;
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result == static_cast<std::size_t>(-1) && inLeft > 0 && error != E2BIG) {
            // A character this code page lacks: one "?" in its place, so
            // that the columns after it do not move.
            out.push_back('?');
            do {
                ++in;
                --inLeft;
            } while (inLeft > 0 && isContinuationByte(*in));
        }
    }
    ::iconv_close(converter);
    return {std::move(out), {}};
}

} // namespace roomsim
