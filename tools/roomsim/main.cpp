// salle30-roomsim: the two outside programs of a trial drive D:.
//
//   salle30-roomsim list --dir DIR [--seed N] [--codepage NAME] [--now MS]
//   salle30-roomsim shutdown --dir DIR [--seed N] [--now MS] \\NAME /R /T:<s> "warning"
//
// The only place that reads the clock and the locale.

#include "room.h"
#include "trialdrive.h"

#include <charconv>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <langinfo.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char Usage[] =
    "usage: salle30-roomsim list --dir DIR [--seed N] [--codepage NAME] [--now MS]\n"
    "       salle30-roomsim shutdown --dir DIR [--seed N] [--now MS] \\\\NAME /R /T:<seconds> \"warning\"\n";

struct Options {
    std::string dir;
    std::uint64_t seed = roomsim::DefaultSeed;
    std::optional<std::string> codePage;
    std::optional<roomsim::TimePoint> now;
    std::vector<std::string> toolArguments;
};

int usageError(const std::string &message)
{
    std::fprintf(stderr, "salle30-roomsim: %s\n%s", message.c_str(), Usage);
    return 2;
}

template<typename Int>
bool parseNumber(std::string_view text, Int &value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

// Parses the options that follow the command word. For shutdown, the first
// argument that is none of them starts the tool's own arguments (they begin
// with a backslash or a slash, never with "--"); "--" may also mark it.
std::optional<std::string> parseOptions(int argc, char **argv, bool list, Options &options)
{
    int i = 2;
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!list && arg == "--") {
            ++i;
            break;
        }
        const bool known = arg == "--dir" || arg == "--seed" || arg == "--now" || (list && arg == "--codepage");
        if (!known) {
            if (list)
                return "unknown option " + std::string(arg);
            break;
        }
        if (i + 1 == argc)
            return "missing value after " + std::string(arg);
        const std::string_view value = argv[++i];
        if (arg == "--dir") {
            options.dir = value;
        } else if (arg == "--seed") {
            if (!parseNumber(value, options.seed))
                return "bad seed " + std::string(value);
        } else if (arg == "--now") {
            long long ms = 0;
            if (!parseNumber(value, ms))
                return "bad time " + std::string(value) + " (milliseconds since 1970)";
            options.now = roomsim::TimePoint(std::chrono::milliseconds(ms));
        } else {
            options.codePage = std::string(value);
        }
    }
    for (; i < argc; ++i)
        options.toolArguments.emplace_back(argv[i]);
    if (options.dir.empty())
        return std::string("missing --dir DIR");
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usageError("missing command: list or shutdown");
    const std::string_view command = argv[1];
    const bool list = command == "list";
    if (!list && command != "shutdown")
        return usageError("unknown command " + std::string(command));

    Options options;
    if (auto error = parseOptions(argc, argv, list, options))
        return usageError(*error);

    const roomsim::TimePoint now =
        options.now.value_or(std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now()));

    roomsim::Outcome outcome;
    if (list) {
        std::string codePage;
        if (options.codePage) {
            codePage = *options.codePage;
        } else {
            // The code page the panel decodes with: the locale's character set.
            std::setlocale(LC_CTYPE, "");
            const char *codeset = ::nl_langinfo(CODESET);
            codePage = codeset && *codeset ? codeset : "UTF-8";
        }
        outcome = roomsim::runList(options.dir, options.seed, codePage, now);
    } else {
        outcome = roomsim::runShutdown(options.dir, options.toolArguments, options.seed, now);
    }
    if (outcome.exitCode != 0)
        std::fprintf(stderr, "salle30-roomsim %s: %s\n", list ? "list" : "shutdown", outcome.message.c_str());
    return outcome.exitCode;
}
