#pragma once
// The simulated computer room behind a trial drive D:: who is logged on to
// which computer, how long each user has been idle, and which computers were
// told to restart. Pure logic: the current time is always a parameter and
// nothing here reads a clock, a file or the environment.
//
// The room evolves minute by minute. In every minute each computer gets one
// tick at an instant drawn from the seed; at a tick a user may log on, do
// something (which resets the idle time) or log off. Every draw is a hash of
// (seed, minute, computer, purpose), so the same seed gives the same room,
// and advancing in one step or in many steps gives the same result.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace roomsim {

using TimePoint = std::chrono::sys_time<std::chrono::milliseconds>;

inline constexpr std::uint64_t DefaultSeed = 3030;

// A restarted computer accepts no logon for this long: it reboots while the
// room empties.
inline constexpr std::chrono::minutes RestartQuietPeriod{5};

// A room left alone longer than this (the state file is old) only replays its
// last MaxCatchUp; restarts ordered before that still take effect.
inline constexpr std::chrono::hours MaxCatchUp{48};

// How a user behaves, drawn when the session opens. Busy users act every
// minute or so, Reading users now and then, Gone users left the station with
// their session open and stay idle for hours. Server is the administrator's
// console on the server.
enum class Habit { Busy, Reading, Gone, Server };

struct Session {
    std::string user; // UTF-8, no tab or line end
    Habit habit = Habit::Busy;
    TimePoint logon;
    TimePoint lastActivity;

    friend bool operator==(const Session &, const Session &) = default;
};

struct Computer {
    std::string name;
    std::optional<Session> session;
    std::optional<TimePoint> restartAt; // an ordered restart not done yet
    TimePoint quietUntil;               // no logon before this instant

    friend bool operator==(const Computer &, const Computer &) = default;
};

struct Room {
    std::uint64_t seed = DefaultSeed;
    TimePoint time;                  // simulated up to this instant
    std::vector<Computer> computers; // exactly computerNames(), in that order

    friend bool operator==(const Room &, const Room &) = default;
};

// The computers of the simulated network in listing order: PC1207 (a
// computer of another room), the twelve stations PC3001 to PC3012, and
// SRV-TALVERO (the server the panel runs on).
const std::vector<std::string> &computerNames();

// True for PC3001 .. PC3012.
bool isRoomStation(std::string_view name);

// A room as found at `now` when nobody has simulated it before. Whatever the
// seed, it has at least one station whose user has a name longer than 20
// characters, one whose user name has accented letters, one whose user has
// been idle for more than an hour, and a session on the server.
Room freshRoom(std::uint64_t seed, TimePoint now);

// Plays every tick after room.time up to and including `now` (at most the
// last MaxCatchUp of them), and every restart due by `now`. A `now` before
// room.time plays no tick: the clock went back and the room waits for it.
void advance(Room &room, TimePoint now);

enum class RestartOutcome { Ordered, UnknownComputer };

// Orders `computer` (any letter case) to restart `delay` after `now`: its
// session, if one is open then, ends at that instant and no one logs on for
// RestartQuietPeriod. A restart already pending keeps the earlier instant.
// The room should have been advanced to `now` first.
RestartOutcome orderRestart(Room &room, std::string_view computer, std::chrono::seconds delay,
                            TimePoint now);

// The state file: UTF-8 text, one line per computer. loadRoom() accepts
// exactly what saveRoom() writes and refuses anything else with a one-line
// reason that names the offending line.
std::string saveRoom(const Room &room);

struct LoadedRoom {
    std::optional<Room> room;
    std::string error;
};
LoadedRoom loadRoom(std::string_view text);

} // namespace roomsim
