#pragma once
// The session list file dcon.txt as the trial room's session list command
// writes it: a few lines of heading, one record line per open session, a
// closing line. Columns count characters (not bytes) from 1.
//
//   \\PC3004               USER17               00:12:41
//   ^ two backslashes, then the computer name from column 3
//                          ^ the user name from column 24, at most to 40
//                                     the idle time ends in column 52 ^
//
// Columns 41 to 52 are always blanks and the idle time, so a reader that
// takes the last 12 characters of the line gets the idle time alone. Lines
// end with CR LF. Heading and closing lines never begin with a backslash.

#include "room.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace roomsim {

namespace layout {
inline constexpr int ComputerNameColumn = 3;
inline constexpr int UserNameColumn = 24;
inline constexpr int UserNameLastColumn = 40;
inline constexpr int IdleTimeLastColumn = 52;
inline constexpr int UserNameWidth = UserNameLastColumn - UserNameColumn + 1; // 17
} // namespace layout

// One open session as the listing shows it. All text is UTF-8; `user` is the
// whole name, before any cut the columns impose.
struct ListedSession {
    std::string computer;
    std::string user;
    std::string idleTime; // hh:mm:ss, hours with two digits or more

    friend bool operator==(const ListedSession &, const ListedSession &) = default;
};

// The open sessions of the room at `now`, in listing order. Does not advance
// the room: call advance() first.
std::vector<ListedSession> listedSessions(const Room &room, TimePoint now);

// "hh:mm:ss" for an idle time; negative times (the clock went back) show as
// zero, hours stop at 99999.
std::string idleTimeText(std::chrono::milliseconds idle);

// One record line, without line end. The user name is cut to the 17
// characters of its column.
std::string recordLine(const ListedSession &session);

// The whole listing as UTF-8 text with CR LF line ends.
std::string listingText(const std::vector<ListedSession> &sessions);

// Number of characters in UTF-8 text, and its first `count` characters.
std::size_t characterCount(std::string_view utf8);
std::string firstCharacters(std::string_view utf8, std::size_t count);

// UTF-8 text converted to the code page `codePage` (an iconv name such as
// "UTF-8", "CP1252", "ANSI_X3.4-1968"). A character the code page cannot hold
// becomes one "?", so each character stays one character and the columns
// hold. Fails only when the code page is unknown.
struct EncodedText {
    std::optional<std::string> bytes;
    std::string error;
};
EncodedText encodeText(std::string_view utf8, const std::string &codePage);

} // namespace roomsim
