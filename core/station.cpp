#include "station.h"

namespace room {

std::u16string decimalText(long long value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string stationName(int index)
{
    std::u16string name(index < 10 ? u"PC300" : u"PC30");
    return name += decimalText(index);
}

} // namespace room
