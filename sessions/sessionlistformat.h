#pragma once
// Layout of the session list file dcon.txt, as the session list command writes
// it. Columns count characters from 1 at the start of a line.
//
//   \\PC3004               USER17               00:12:41
//   ^ column 1 is a backslash on every record line; column 2 is never read
//     ^ columns 3 to 19: the computer name
//                 ^ columns 17 to 36: the user name (17 to 19 overlap the name)
//                                    the last 12 characters: the idle time ^

namespace sessionlist {

inline constexpr char16_t RecordMark = u'\\';

inline constexpr int ComputerNameFirstColumn = 3;
inline constexpr int ComputerNameLastColumn = 19;
inline constexpr int ComputerNameWidth = ComputerNameLastColumn - ComputerNameFirstColumn + 1; // 17

inline constexpr int UserNameFirstColumn = 17;
inline constexpr int UserNameLastColumn = 36;
inline constexpr int UserNameWidth = UserNameLastColumn - UserNameFirstColumn + 1; // 20

// Cut from the end of the line once its trailing spaces are gone.
inline constexpr int IdleTimeWidth = 12;

// Trimming takes off this character only; tabs and the rest stay.
inline constexpr char16_t Blank = u' ';

} // namespace sessionlist
