#pragma once
// The shutdown tool shutcmd.exe: its command line as a plain value, and its
// run, with every call to the system behind ShutdownHost so that the run is
// tested on any host. The panel launches, for each station it restarts:
//
//   d:\talvero\shutcmd.exe \\PC3001 /R /T:120 "Attention cet ordinateur ..."
//
// and never reads the result: every order and its outcome go to
// d:\talvero\shutcmd.log, one line each.

#include "platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace shutcmd {

inline constexpr std::u16string_view LogPath = u"d:\\talvero\\shutcmd.log";

// Longest delay taken, in seconds (a day), and longest message, in
// characters, that the system shows to the station's user.
inline constexpr std::uint32_t MaxDelaySeconds = 86400;
inline constexpr std::size_t MaxMessageLength = 512;
// Longest computer name: a DNS name.
inline constexpr std::size_t MaxComputerNameLength = 255;

// The reason given with every restart: planned, "other" (the value of
// SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER).
inline constexpr std::uint32_t PlannedReason = 0x80000000;

// What the command line asks.
struct RestartOrder {
    std::u16string computer; // without its two backslashes
    std::uint32_t delaySeconds = 0;
    std::u16string message;

    friend bool operator==(const RestartOrder &, const RestartOrder &) = default;
};
struct AbortOrder {
    std::u16string computer;

    friend bool operator==(const AbortOrder &, const AbortOrder &) = default;
};
struct UsageRequest {
    friend bool operator==(const UsageRequest &, const UsageRequest &) = default;
};
// Why a command line is refused: one sentence in French.
struct Refusal {
    std::u16string reason;

    friend bool operator==(const Refusal &, const Refusal &) = default;
};
using Order = std::variant<RestartOrder, AbortOrder, UsageRequest, Refusal>;

// Takes the arguments after the program's name, split as the C runtime
// splits them:
//   \\NAME /R /T:SECONDS "MESSAGE"   restart NAME after SECONDS showing MESSAGE
//                                    (/R and /T: in either order)
//   \\NAME /A                        cancel a pending restart of NAME
//   /?                               the usage
// Options in either letter case. NAME is 1 to 255 letters, digits, "-",
// "." and "_"; SECONDS is 0 to MaxDelaySeconds in decimal digits; MESSAGE is
// 1 to MaxMessageLength characters without control characters. Anything
// else, extra arguments included, is refused.
Order parseOrder(const std::vector<std::u16string> &arguments);

// The call made to the system for a restart, with every argument it takes.
struct RestartCall {
    std::u16string machine; // \\NAME
    std::u16string message;
    std::uint32_t delaySeconds = 0;
    bool forceAppsClosed = true;
    bool reboot = true;
    std::uint32_t reason = PlannedReason;

    friend bool operator==(const RestartCall &, const RestartCall &) = default;
};
RestartCall restartCall(const RestartOrder &order);

// A call's outcome: the system's error code (0 for success) and its text.
struct Outcome {
    std::uint32_t code = 0;
    std::u16string text;
};

class ShutdownHost {
public:
    virtual ~ShutdownHost() = default;
    // InitiateSystemShutdownExW, after enabling the shutdown privileges.
    virtual Outcome restart(const RestartCall &call) = 0;
    // AbortSystemShutdownW for \\NAME, likewise.
    virtual Outcome abort(std::u16string_view machine) = 0;
    // The local time, as the log shows it: 2026-12-07T09:30:00+01:00.
    virtual std::u16string timestamp() = 0;
    // Appends one whole line to the log, safely when other instances append
    // at the same time.
    virtual std::optional<platform::Failure> appendToLog(std::u16string_view line) = 0;
    // One line for whoever runs the tool (an error when `error`).
    virtual void say(std::u16string_view line, bool error) = 0;
};

// The log's line for one run, without line end: time, station (or "-"),
// what was asked, the error code and its text, separated by tabs. Tabs and
// line ends inside the fields become blanks.
std::u16string logLine(std::u16string_view time, std::u16string_view computer, std::u16string_view asked,
                       const Outcome &outcome);

// The whole run; its exit code: 0 when the system took the order (or for
// the usage), 1 when it refused it, 2 for a refused command line (nothing
// sent), 3 when the order was taken but the log could not be written.
int run(const std::vector<std::u16string> &arguments, ShutdownHost &host);

} // namespace shutcmd
