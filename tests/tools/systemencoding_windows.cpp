#include "systemencoding.h"

#include "sesslisthost.h"

std::string systemEncoding(std::u16string_view text)
{
    return lister::WindowsListerHost().encode(text);
}
