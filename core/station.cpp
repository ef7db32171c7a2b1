#include "station.h"

using namespace Qt::StringLiterals;

namespace room {

QString stationName(int index)
{
    return u"PC30"_s + QString::number(index).rightJustified(2, u'0');
}

QString stationButtonName(int index)
{
    return index == 5 ? u"Pc3005"_s : stationName(index);
}

int stationIndex(QStringView name)
{
    // Every station name is "PC30" and two digits, 01 to 12; anything else
    // names no station. Checked character by character, without a call into
    // QtCore, because this runs once per line of the session list.
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
