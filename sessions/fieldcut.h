#pragma once
// The word-at-a-time tests of the reader's per-line loop, for bytes (char)
// and UTF-16 (char16_t) alike; in a header so that the loop inlines them.

#include "sessionlistformat.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace sessionlist {

// The eight bytes at `at`, read as one word whatever their alignment.
inline std::uint64_t wordAt(const void *at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Whether every byte is below 0x80, a word at a time. The last word may
// overlap the one before: 19 bytes take three loads, fewer instructions than
// two words and three bytes one by one.
inline bool isAscii(std::string_view bytes)
{
    std::uint64_t any = 0;
    if (bytes.size() >= 8) {
        for (std::size_t at = 0; at + 8 < bytes.size(); at += 8)
            any |= wordAt(bytes.data() + at);
        any |= wordAt(bytes.data() + bytes.size() - 8);
    } else {
        for (const char c : bytes)
            any |= static_cast<unsigned char>(c);
    }
    return (any & 0x8080808080808080) == 0;
}

// `text` without the blanks it ends with. A computer name's 17 columns are
// mostly blanks: a word of them is stepped over whole, and the highest bits
// of the first other word that differ from blanks tell how many it ends
// with, in fewer instructions than a character at a time.
template <typename Char>
std::basic_string_view<Char> withoutTrailingBlanks(std::basic_string_view<Char> text)
{
    constexpr std::size_t CharsPerWord = 8 / sizeof(Char);
    constexpr int BitsPerChar = 8 * sizeof(Char);
    constexpr std::uint64_t Blanks = ~std::uint64_t(0) / ((std::uint64_t(1) << BitsPerChar) - 1) * Blank;
    std::size_t end = text.size();
    if constexpr (std::endian::native == std::endian::little) {
        // The last character of a word is its most significant.
        for (; end >= CharsPerWord; end -= CharsPerWord) {
            if (const std::uint64_t differs = wordAt(text.data() + end - CharsPerWord) ^ Blanks)
                return text.substr(0, end - std::size_t(std::countl_zero(differs) / BitsPerChar));
        }
    }
    while (end > 0 && text[end - 1] == Char(Blank))
        --end;
    return text.substr(0, end);
}

} // namespace sessionlist
