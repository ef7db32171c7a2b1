#pragma once
// The fixed places of the room's outside programs and files, as Windows
// paths on drive D:. The host says where they are on other hosts.

namespace room {

inline constexpr char16_t Folder[] = u"d:\\talvero\\";
inline constexpr char16_t SessionListCommand[] = u"d:\\talvero\\session.bat";
inline constexpr char16_t SessionListFile[] = u"d:\\talvero\\dcon.txt";
inline constexpr char16_t ShutdownTool[] = u"d:\\talvero\\shutcmd.exe";

} // namespace room
