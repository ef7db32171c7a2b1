#include "station.h"

namespace room {

std::u16string stationName(int index)
{
    return u"PC30" + std::u16string{char16_t(u'0' + index / 10), char16_t(u'0' + index % 10)};
}

} // namespace room
