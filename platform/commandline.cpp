#include "platform.h"

namespace platform {

// The Microsoft C runtime's rules: blanks and tabs separate arguments outside
// double quotes; 2n backslashes before a quote give n backslashes and the
// quote toggles quoting; 2n+1 give n backslashes and a literal quote;
// backslashes elsewhere are literal; "" inside quotes gives a literal quote.
std::vector<std::u16string> splitCommandLine(std::u16string_view line)
{
    std::vector<std::u16string> arguments;
    std::size_t i = 0;
    const auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    for (;;) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        std::u16string argument;
        bool quoted = false;
        while (i < line.size() && (quoted || !isBlank(line[i]))) {
            if (line[i] == u'\\') {
                std::size_t backslashes = 0;
                while (i < line.size() && line[i] == u'\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < line.size() && line[i] == u'"') {
                    argument.append(backslashes / 2, u'\\');
                    if (backslashes % 2 == 1) {
                        argument.push_back(u'"');
                        ++i;
                    }
                } else {
                    argument.append(backslashes, u'\\');
                }
            } else if (line[i] == u'"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                    argument.push_back(u'"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument.push_back(line[i]);
                ++i;
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

} // namespace platform
