#pragma once
// The twelve stations of the room. The table is fixed when the program is
// built; nothing at run time changes it.

#include <QString>
#include <QStringView>

namespace room {

inline constexpr int StationCount = 12;

// Station N (1 to 12) is named "PC30" and N in two digits: "PC3001" .. "PC3012".
QString stationName(int index);

// Object name of station N's shutdown button: the station name, except the
// fifth button, which has always been "Pc3005" (its caption and Tag still
// say "PC3005").
QString stationButtonName(int index);

// The index of the station whose name is exactly `name` (case counts, no
// trimming, no prefix match), or 0 when no station has that name. Inline,
// and checked character by character: this runs once per line of the
// session list.
inline int stationIndex(QStringView name)
{
    // Every station name is "PC30" and two digits, 01 to 12.
    if (name.size() != 6 || name[0] != u'P' || name[1] != u'C' || name[2] != u'3' || name[3] != u'0')
        return 0;
    const char16_t tens = name[4].unicode();
    const char16_t units = name[5].unicode();
    if (tens < u'0' || tens > u'1' || units < u'0' || units > u'9')
        return 0;
    const int index = (tens - u'0') * 10 + (units - u'0');
    return index >= 1 && index <= StationCount ? index : 0;
}

} // namespace room
