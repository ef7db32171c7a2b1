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

} // namespace room
