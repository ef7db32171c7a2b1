#pragma once
// The cut of a record line's three fields, for the bytes of an ASCII line
// and for the UTF-16 of any line alike (Char is char or char16_t). In a
// header so that the reader's per-line loop can inline it.

#include "sessionlistformat.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace sessionlist::fieldcut {

template <typename Char>
struct Cut {
    std::basic_string_view<Char> computerName, userName, idleTime;
};

// Characters from column `first` to column `last`, both counted from 1.
template <typename Char>
std::basic_string_view<Char> columns(std::basic_string_view<Char> line, int first, int last)
{
    const std::size_t from = std::size_t(first - 1);
    if (from >= line.size())
        return {};
    return line.substr(from, std::size_t(last - first + 1));
}

// Record lines are padded with runs of blanks, so the trims look at one
// 64-bit word of characters at a time: a word of blanks only is stepped over
// whole, and in the first one that is not, the bits that differ from blanks
// tell how many blanks it still starts (or ends) with. This runs three times
// per line of the list.
inline constexpr bool LittleEndian = std::endian::native == std::endian::little;

template <typename Char>
struct Words {
    static constexpr std::size_t CharsPerWord = sizeof(std::uint64_t) / sizeof(Char);
    static constexpr int BitsPerChar = 8 * sizeof(Char);
    static constexpr std::uint64_t Blanks = ~std::uint64_t(0) / ((std::uint64_t(1) << BitsPerChar) - 1) * Blank;

    static std::uint64_t differenceFromBlanks(const Char *at)
    {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        return word ^ Blanks;
    }
};

template <typename Char>
std::basic_string_view<Char> withoutTrailingBlanks(std::basic_string_view<Char> text)
{
    using W = Words<Char>;
    std::size_t end = text.size();
    if constexpr (LittleEndian) {
        // The last character of a word is its most significant.
        for (; end >= W::CharsPerWord; end -= W::CharsPerWord) {
            if (const std::uint64_t difference = W::differenceFromBlanks(text.data() + end - W::CharsPerWord))
                return text.substr(0, end - std::size_t(std::countl_zero(difference) / W::BitsPerChar));
        }
    }
    while (end > 0 && text[end - 1] == Char(Blank))
        --end;
    return text.substr(0, end);
}

// The length of a window of Width bytes, all there to be read, without its
// trailing blanks. The same steps as withoutTrailingBlanks(), with bounds
// known when compiled, so that the loop unrolls in the reader's hot path.
template <std::size_t Width>
std::size_t lengthWithoutTrailingBlanks(const char *text)
{
    using W = Words<char>;
    std::size_t end = Width;
    if constexpr (LittleEndian) {
        for (; end >= W::CharsPerWord; end -= W::CharsPerWord) {
            if (const std::uint64_t difference = W::differenceFromBlanks(text + end - W::CharsPerWord))
                return end - std::size_t(std::countl_zero(difference) / W::BitsPerChar);
        }
    }
    while (end > 0 && text[end - 1] == char(Blank))
        --end;
    return end;
}

template <typename Char>
std::basic_string_view<Char> withoutLeadingBlanks(std::basic_string_view<Char> text)
{
    using W = Words<Char>;
    std::size_t start = 0;
    if constexpr (LittleEndian) {
        for (; text.size() - start >= W::CharsPerWord; start += W::CharsPerWord) {
            if (const std::uint64_t difference = W::differenceFromBlanks(text.data() + start))
                return text.substr(start + std::size_t(std::countr_zero(difference) / W::BitsPerChar));
        }
    }
    while (start < text.size() && text[start] == Char(Blank))
        ++start;
    return text.substr(start);
}

template <typename Char>
std::basic_string_view<Char> computerName(std::basic_string_view<Char> line)
{
    return withoutTrailingBlanks(columns(line, ComputerNameFirstColumn, ComputerNameLastColumn));
}

template <typename Char>
Cut<Char> cut(std::basic_string_view<Char> line)
{
    Cut<Char> fields;
    fields.computerName = computerName(line);
    fields.userName =
        withoutLeadingBlanks(withoutTrailingBlanks(columns(line, UserNameFirstColumn, UserNameLastColumn)));
    const std::basic_string_view<Char> untrailed = withoutTrailingBlanks(line);
    const std::size_t idleWidth = std::min<std::size_t>(IdleTimeWidth, untrailed.size());
    fields.idleTime = withoutLeadingBlanks(untrailed.substr(untrailed.size() - idleWidth));
    return fields;
}

} // namespace sessionlist::fieldcut
