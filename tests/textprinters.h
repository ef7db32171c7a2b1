#pragma once
// doctest prints UTF-16 texts, and lists of them, as UTF-8 when a check on
// them fails.

#include "platform.h"

#include <doctest/doctest.h>

#include <string>
#include <vector>

namespace doctest {
template <>
struct StringMaker<std::u16string> {
    static String convert(const std::u16string &text) { return ('"' + platform::toUtf8(text) + '"').c_str(); }
};
template <>
struct StringMaker<std::vector<std::u16string>> {
    static String convert(const std::vector<std::u16string> &texts)
    {
        std::string out = "{";
        for (const std::u16string &text : texts)
            out += (out.size() > 1 ? ", \"" : " \"") + platform::toUtf8(text) + '"';
        return (out + " }").c_str();
    }
};
} // namespace doctest
