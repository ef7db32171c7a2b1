#pragma once
// Text in the 8-bit code page that the panel's reader decodes with on this
// host, as the session lister encodes it: the lister's own WideCharToMultiByte
// on Windows; on POSIX, where ctest runs the tests in a UTF-8 locale, UTF-8.

#include <string>
#include <string_view>

std::string systemEncoding(std::u16string_view text);
