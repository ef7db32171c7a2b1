#pragma once
// The twelve stations of the room. The table is fixed when the program is
// built; nothing at run time changes it.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace room {

inline constexpr int StationCount = 12;

// "42": a whole number in decimal, for station names, control names and the
// status texts.
std::u16string decimalText(long long value);

// Station N (1 to 12) is named "PC30" and N in two digits: "PC3001" .. "PC3012".
std::u16string stationName(int index);

// The index of the station whose name is exactly `name` (case counts, no
// trimming, no prefix match), or 0 when no station has that name. Inline:
// this runs once per line of the session list.
inline int stationIndex(std::u16string_view name)
{
    // Every station name is "PC30" and two digits, 01 to 12. One test, not
    // one per character: most names are other rooms' ("PC1207", "PC3312"),
    // and a branch per character was guessed wrong at every other line.
    if (name.size() != 6)
        return 0;
    static constexpr char16_t Prefix[4] = {u'P', u'C', u'3', u'0'};
    std::uint64_t expected;
    std::uint64_t head;
    std::memcpy(&expected, Prefix, sizeof expected);
    std::memcpy(&head, name.data(), sizeof head);
    const unsigned tens = unsigned(name[4]) - u'0';
    const unsigned units = unsigned(name[5]) - u'0';
    const unsigned index = tens * 10 + units;
    const bool station = (head == expected) & (tens <= 1) & (units <= 9) & (index - 1 < unsigned(StationCount));
    return station ? int(index) : 0;
}

} // namespace room
