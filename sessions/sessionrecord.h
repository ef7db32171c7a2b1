#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

// What one record line of the session list file yields. Each field may be
// empty. ComputerName has at most 17 characters and no trailing space,
// UserName at most 20 and no space at either end, IdleTime at most 12 and no
// leading space.
struct SessionRecord {
    std::u16string ComputerName;
    std::u16string UserName;
    std::u16string IdleTime;

    friend bool operator==(const SessionRecord &, const SessionRecord &) = default;
};

// SessionRecord("PC3004", "USER17", "00:12:41"), for test frameworks.
std::ostream &operator<<(std::ostream &out, const SessionRecord &record);

// The same three fields as views into the line they were cut from; valid only
// while that line is. The reader hands these out so that a line costs no
// allocation unless someone keeps its fields.
struct SessionRecordView {
    std::u16string_view ComputerName;
    std::u16string_view UserName;
    std::u16string_view IdleTime;

    SessionRecord toRecord() const
    {
        return {std::u16string(ComputerName), std::u16string(UserName), std::u16string(IdleTime)};
    }
};

// Cuts the three fields out of a record line. Defined for any text: a window
// that runs past the end of the line takes what is there, one that starts past
// it gives empty text. Does not look at column 1.
SessionRecordView cutSessionRecord(std::u16string_view line);
