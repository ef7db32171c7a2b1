#pragma once
// The two outside programs of a trial drive, as operations on its folder
// (the folder that stands for d:\talvero\). Files in that folder:
//
//   dcon.txt        the session list file, replaced whole by every list run
//   shutcmd.log     one line per shutdown call
//   roomsim.state   the simulated room between runs
//   roomsim.lock    held (flock) around every load-modify-save of the state
//
// Both operations take the current time as a parameter and read no clock.
// Files are replaced by writing a temporary file in the folder and renaming
// it over the old one, so a reader sees the old file or the new one, never
// half of one.

#include "room.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace roomsim {

inline constexpr char SessionListFileName[] = "dcon.txt";
inline constexpr char ShutdownLogFileName[] = "shutcmd.log";
inline constexpr char StateFileName[] = "roomsim.state";
inline constexpr char LockFileName[] = "roomsim.lock";

// What a run ends with: its exit code (0 done, 1 could not be done,
// 2 malformed command line) and, unless 0, one line for standard error.
struct Outcome {
    int exitCode = 0;
    std::string message;
};

// The session list command: loads the room (a fresh one from `seed` when the
// folder has none yet), advances it to `now`, writes dcon.txt in `codePage`
// and saves the room.
Outcome runList(const std::filesystem::path &dir, std::uint64_t seed, const std::string &codePage,
                TimePoint now);

// The shutdown tool: checks `arguments` (a malformed line changes nothing,
// not even the log), then appends the call to shutcmd.log and orders the
// restart. A computer that is not in the simulated network is logged and
// refused with exit code 1.
Outcome runShutdown(const std::filesystem::path &dir, const std::vector<std::string> &arguments,
                    std::uint64_t seed, TimePoint now);

} // namespace roomsim
