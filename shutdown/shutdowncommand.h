#pragma once

#include <string>
#include <string_view>

namespace room {

// The command line that asks the station named `tag` to restart:
//   d:\talvero\shutcmd.exe \\<tag> <shutdownArgs>
// The tag is taken as it is: no trimming, no change of case, no check.
std::u16string shutdownCommandLine(std::u16string_view tag, std::u16string_view shutdownArgs);

} // namespace room
