#pragma once
// What the two Windows tools share: the system's failures as text, and a line
// written to the console or to wherever the standard output goes.

#include "platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace winsupport {

// On Windows wchar_t and char16_t are both UTF-16 code units.
inline const wchar_t *wide(const std::u16string &text)
{
    return reinterpret_cast<const wchar_t *>(text.c_str());
}
inline std::u16string fromWide(const wchar_t *text)
{
    return text ? std::u16string(reinterpret_cast<const char16_t *>(text)) : std::u16string();
}

// The system's text for an error code, from the system's messages or from
// those of the network (netmsg.dll) for the NERR_ codes; without line end
// or final full stop. Never empty.
std::u16string describe(DWORD number);

inline platform::Failure failure(DWORD number)
{
    return platform::Failure{static_cast<int>(number), describe(number)};
}

// Writes `line` and a line end to the console (standard error when
// `error`), in UTF-16 when it is a console, in UTF-8 when it is redirected.
void say(std::u16string_view line, bool error);

// wmain's arguments after the program's name.
std::vector<std::u16string> arguments(int argc, wchar_t **argv);

} // namespace winsupport
