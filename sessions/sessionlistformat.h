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

// Where a writer puts each field so that the reader above takes each one back
// whole and apart from the others:
//
//   \\PC3004           USER17               00:12:41
//   columns 1-2: two record marks; the computer name from column 3, at most
//   14 characters so that it stays clear of the user name's window (column
//   17); the user name in columns 20 to 36, the part of its window that a
//   station's name leaves blank; the idle time right-aligned in the 12
//   columns after it, so that it is the line's last 12 characters.
inline constexpr int WrittenComputerNameWidth = UserNameFirstColumn - ComputerNameFirstColumn;   // 14
inline constexpr int WrittenUserNameFirstColumn = ComputerNameLastColumn + 1;                   // 20
inline constexpr int WrittenUserNameWidth = UserNameLastColumn - WrittenUserNameFirstColumn + 1; // 17
inline constexpr int WrittenIdleTimeLastColumn = UserNameLastColumn + IdleTimeWidth;             // 48

} // namespace sessionlist
