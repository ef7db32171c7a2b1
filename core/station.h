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
// trimming, no prefix match), or 0 when no station has that name.
int stationIndex(QStringView name);

} // namespace room
