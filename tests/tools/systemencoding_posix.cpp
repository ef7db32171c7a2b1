#include "systemencoding.h"

#include "platform.h"

#include <doctest/doctest.h>

#include <clocale>
#include <cstring>
#include <langinfo.h>

std::string systemEncoding(std::u16string_view text)
{
    std::setlocale(LC_ALL, "");
    REQUIRE(std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0);
    return platform::toUtf8(text);
}
