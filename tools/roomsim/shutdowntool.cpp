#include "shutdowntool.h"

#include "listing.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace roomsim {

namespace {

ParsedShutdownCommand refuse(std::string reason)
{
    return {std::nullopt, std::move(reason)};
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return upper(x) == upper(y); });
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Shows an argument in a message without letting it break the line.
std::string quoted(std::string_view argument)
{
    std::string out = "\"";
    for (char c : argument)
        out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return out + '"';
}

} // namespace

ParsedShutdownCommand parseShutdownCommand(const std::vector<std::string> &arguments)
{
    if (arguments.empty())
        return refuse("missing arguments: expected \\\\NAME /R /T:<seconds> \"warning\"");

    const std::string &target = arguments.front();
    if (target.rfind("\\\\", 0) != 0)
        return refuse("the first argument must be the computer as \\\\NAME, not " + quoted(target));
    RestartCommand command;
    command.computer = target.substr(2);
    if (command.computer.empty())
        return refuse("missing computer name after \\\\");
    if (command.computer.size() > MaxComputerNameLength)
        return refuse("computer name longer than 15 characters: " + quoted(command.computer));
    if (command.computer.find_first_of(" \\/\t\r\n") != std::string::npos)
        return refuse("computer name with a blank or a slash: " + quoted(command.computer));

    bool restart = false;
    bool delay = false;
    std::size_t i = 1;
    for (; i < arguments.size() && arguments[i].rfind('/', 0) == 0; ++i) {
        const std::string &option = arguments[i];
        if (equalsIgnoringCase(option, "/R")) {
            if (restart)
                return refuse("option /R given twice");
            restart = true;
        } else if (startsWithIgnoringCase(option, "/T")) {
            if (delay)
                return refuse("option /T given twice");
            if (option.size() < 3 || option[2] != ':')
                return refuse("bad delay " + quoted(option) + ": expected /T:<seconds>");
            const std::string_view digits = std::string_view(option).substr(3);
            long long seconds = -1;
            const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), seconds);
            const bool allDigits = !digits.empty() &&
                                   std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (!allDigits || ec != std::errc() || end != digits.data() + digits.size() ||
                seconds > MaxRestartDelay.count())
                return refuse("bad delay " + quoted(option) + ": expected /T: and 0 to " +
                              std::to_string(MaxRestartDelay.count()) + " seconds");
            command.delay = std::chrono::seconds(seconds);
            delay = true;
        } else {
            return refuse("unknown option " + quoted(option) + ": expected /R and /T:<seconds>");
        }
    }
    if (!restart)
        return refuse("missing option /R: this tool only restarts computers");
    if (!delay)
        return refuse("missing option /T:<seconds>");
    if (i == arguments.size())
        return refuse("missing warning: the last argument is the message shown to the user");

    command.warning = arguments[i];
    if (command.warning.empty())
        return refuse("empty warning");
    if (command.warning.find_first_of("\t\r\n") != std::string::npos)
        return refuse("the warning must be one line of text without tabs");
    if (characterCount(command.warning) > MaxWarningLength)
        return refuse("warning longer than " + std::to_string(MaxWarningLength) + " characters");
    if (i + 1 != arguments.size())
        return refuse("unexpected argument " + quoted(arguments[i + 1]) +
                      " after the warning (a warning with blanks must be quoted)");
    return {std::move(command), {}};
}

std::string isoTimestamp(TimePoint when)
{
    using namespace std::chrono;
    const auto day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss<milliseconds> time{when - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lld.%03lldZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long long>(time.hours().count()), static_cast<long long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()), static_cast<long long>(time.subseconds().count()));
    return text;
}

std::string shutdownLogLine(TimePoint when, const std::vector<std::string> &arguments)
{
    std::string line = isoTimestamp(when);
    for (const std::string &argument : arguments)
        line += '\t' + argument;
    return line + '\n';
}

} // namespace roomsim
