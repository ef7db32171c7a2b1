#pragma once
// A record line of the session list in its fixed columns, for every test
// that writes one: two backslashes, the computer name from column 3, the
// user name from column 24, the idle time after column 44. Bytes as given
// (the caller picks the code page); no line end.

#include <algorithm>
#include <string>
#include <string_view>

inline std::string sessionLine(std::string_view computer, std::string_view user, std::string_view idleTime)
{
    std::string line = "\\\\" + std::string(computer);
    line.resize(std::max<std::size_t>(line.size(), 23), ' ');
    line += user;
    line.resize(std::max<std::size_t>(line.size(), 44), ' ');
    return line += idleTime;
}
