#pragma once
// Session list files for the benchmarks, laid out as the room's session list
// command writes them: a heading, one record line per session, a closing
// line, CR LF line ends, text in UTF-8 (the benchmark runs in a UTF-8 locale).
//
//   \\PC3004               lgarnier                 00:12:41
//     computer name from column 3, user name from column 24 (at most 17
//     characters), idle time ending in column 52.

#include <cstdint>
#include <string>

// The trial room's listing: 15 lines, nine sessions, among them a long user
// name, an accented one, a user idle for over an hour, a computer from
// another room and the server.
std::string trialRoomListing();

// A listing of at least `minimumBytes` bytes: the sessions of a whole site,
// computers of many rooms (room 30 among them), user names from a pool in
// which about one in three has accented letters, idle times mostly under an
// hour. The same bytes for the same arguments.
std::string siteListing(std::uint64_t minimumBytes, std::uint64_t seed = 30);
