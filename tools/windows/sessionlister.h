#pragma once
// The session lister's run: lists the sessions of a server, writes them in
// the panel's columns to a temporary file in d:\talvero\, and puts that file
// in the place of dcon.txt in one step. Every call to the system goes
// through ListerHost, so that the run is tested on any host.

#include "platform.h"
#include "sessionlisting.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lister {

inline constexpr std::u16string_view ListPath = u"d:\\talvero\\dcon.txt";

// How long a replace of dcon.txt held open by a reader is tried again, and
// the pause between two tries.
inline constexpr std::chrono::milliseconds ReplaceWindow{2000};
inline constexpr std::chrono::milliseconds ReplacePause{50};

class ListerHost {
public:
    virtual ~ListerHost() = default;
    // The sessions that clients hold on `server` (\\NAME), or on this
    // computer when it is empty.
    virtual std::variant<std::vector<ClientSession>, platform::Failure> sessions(std::u16string_view server) = 0;
    // The host name of an address, or nothing.
    virtual std::optional<std::u16string> hostName(std::u16string_view address) = 0;
    // The text in the system's 8-bit code page, one byte sequence per
    // character, "?" for a character the code page lacks.
    virtual std::string encode(std::u16string_view text) = 0;
    // Writes a new file at `path` holding `bytes`, failing if it exists.
    virtual std::optional<platform::Failure> writeNewFile(std::u16string_view path, std::string_view bytes) = 0;
    // Puts the file `from` in the place of `to` in one step.
    virtual std::optional<platform::Failure> replace(std::u16string_view from, std::u16string_view to) = 0;
    virtual void remove(std::u16string_view path) = 0;
    // A name for the temporary file, unique to this run.
    virtual std::u16string temporaryPath() = 0;
    virtual std::chrono::steady_clock::time_point now() = 0;
    virtual void pause(std::chrono::milliseconds duration) = 0;
    // One line for whoever runs the lister (an error when `error`).
    virtual void say(std::u16string_view line, bool error) = 0;
};

// Whether a failed replace may succeed once a reader lets go of the file:
// sharing and lock violations, and access denied, which is what replacing a
// file held open gives.
bool mayPassSoon(const platform::Failure &failure);

// Replaces `to` by `from`, tried again every ReplacePause for ReplaceWindow
// while the failure may pass. On failure `to` is as it was and `from` is
// removed. Returns the last failure.
std::optional<platform::Failure> replaceFile(ListerHost &host, std::u16string_view from, std::u16string_view to);

// The command line after the program's name: nothing, \\SERVER, or /?.
struct ListerArguments {
    enum class Action { List, Usage } action = Action::List;
    std::u16string server; // \\NAME, or empty for this computer
};
std::variant<ListerArguments, std::u16string> parseListerArguments(const std::vector<std::u16string> &arguments);

// The whole run; its exit code: 0 once dcon.txt holds the new list (or the
// usage was shown), 1 when the list could not be had or written (dcon.txt
// left as it was), 2 for a command line it does not take.
int runLister(const std::vector<std::u16string> &arguments, ListerHost &host);

} // namespace lister
