#pragma once
// The command line of the shutdown tool shutcmd.exe, as the panel sends it:
//
//   \\PC3007 /R /T:120 "Attention cet ordinateur se relance dans 2 minutes. ..."
//
// arriving here already split into arguments: the computer as two
// backslashes and its name, the restart option /R, the delay /T:<seconds>,
// then the warning as one argument.

#include "room.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace roomsim {

// Longest delay accepted, and longest warning (in characters).
inline constexpr std::chrono::seconds MaxRestartDelay{86400};
inline constexpr std::size_t MaxWarningLength = 512;
// Computer names are NetBIOS names: at most 15 characters.
inline constexpr std::size_t MaxComputerNameLength = 15;

struct RestartCommand {
    std::string computer; // without the backslashes
    std::chrono::seconds delay{0};
    std::string warning;

    friend bool operator==(const RestartCommand &, const RestartCommand &) = default;
};

struct ParsedShutdownCommand {
    std::optional<RestartCommand> command;
    std::string error; // one line, set when `command` is empty
};

// Accepts \\NAME first, then /R and /T:<seconds> once each in either order
// (option letters in either case), then the warning, then nothing. The name
// is 1 to 15 characters without blank, backslash or slash; the delay is
// decimal digits, 0 to MaxRestartDelay seconds; the warning is one line of
// 1 to MaxWarningLength characters. Anything else is refused with a reason.
ParsedShutdownCommand parseShutdownCommand(const std::vector<std::string> &arguments);

// "2026-12-07T08:30:00.123Z": UTC with milliseconds.
std::string isoTimestamp(TimePoint when);

// The line the tool appends to shutcmd.log for one call: the timestamp and
// the arguments, each after a tab, then a line feed. The arguments are
// written as given; parseShutdownCommand() guarantees they hold no tab or
// line end.
std::string shutdownLogLine(TimePoint when, const std::vector<std::string> &arguments);

} // namespace roomsim
