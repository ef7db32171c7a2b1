#include "shutdowncommand.h"

#include "roompaths.h"

namespace room {

std::u16string shutdownCommandLine(std::u16string_view tag, std::u16string_view shutdownArgs)
{
    std::u16string line(ShutdownTool);
    line.reserve(line.size() + 3 + tag.size() + 1 + shutdownArgs.size());
    line.append(u" \\\\").append(tag).append(u" ").append(shutdownArgs);
    return line;
}

} // namespace room
